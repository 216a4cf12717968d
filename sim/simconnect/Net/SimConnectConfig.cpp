#include "sim/simconnect/Net/SimConnectConfig.h"

#include <cctype>
#include <cstdint>
#include <optional>

#include "sim/simconnect/Net/Ipv4Address.h"

namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

bool SameText(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

bool AllDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

// Decimal 1..65535, digits only.
bool ParsePort(std::string_view text, unsigned short* port) {
  if (!AllDigits(text) || text.size() > 5) return false;
  unsigned long value = 0;
  for (char c : text) value = value * 10 + static_cast<unsigned long>(c - '0');
  if (value == 0 || value > 65535) return false;
  *port = static_cast<unsigned short>(value);
  return true;
}

struct Section {
  bool present = false;
  bool malformed = false;
  std::string problem;
  std::optional<std::string_view> protocol, address, port;
};

}  // namespace

bool ParseSimConnectConfig(std::string_view text, SimConnectServer* server) {
  std::string ignored;
  return ParseSimConnectConfig(text, server, &ignored);
}

bool ParseSimConnectConfig(std::string_view text, SimConnectServer* server, std::string* problem) {
  std::string scratch;
  if (problem == nullptr) problem = &scratch;
  if (server == nullptr) {
    *problem = "no result to fill";
    return false;
  }
  // A byte-order mark some editors put at the start.
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);

  Section plain;    // [SimConnect]
  Section indexed;  // [SimConnect.0]
  Section* current = nullptr;
  std::size_t lineNumber = 0;

  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    ++lineNumber;
    line = Trim(line);  // also drops the CR of CRLF line ends
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;

    if (line.front() == '[') {
      const std::size_t close = line.find(']');
      const std::string_view name = Trim(line.substr(1, close == std::string_view::npos ? 0 : close - 1));
      if (close == std::string_view::npos) {
        current = nullptr;  // an unusable section header; its keys are not ours
        continue;
      }
      if (SameText(name, "SimConnect")) {
        current = &plain;
      } else if (SameText(name, "SimConnect.0")) {
        current = &indexed;
      } else {
        current = nullptr;
      }
      if (current != nullptr) current->present = true;
      continue;
    }
    if (current == nullptr) continue;

    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) {
      if (!current->malformed) {
        current->malformed = true;
        current->problem = "line " + std::to_string(lineNumber) + " is not key=value";
      }
      continue;
    }
    const std::string_view key = Trim(line.substr(0, equals));
    std::string_view value = line.substr(equals + 1);
    value = Trim(value.substr(0, value.find_first_of(";#")));
    if (SameText(key, "Protocol")) {
      current->protocol = value;
    } else if (SameText(key, "Address")) {
      current->address = value;
    } else if (SameText(key, "Port")) {
      current->port = value;
    }
  }

  const Section* used = indexed.present ? &indexed : plain.present ? &plain : nullptr;
  if (used == nullptr) {
    *problem = "no [SimConnect] or [SimConnect.0] section";
    return false;
  }
  if (used->malformed) {
    *problem = used->problem;
    return false;
  }
  SimConnectServer parsed;
  if (used->protocol && !SameText(*used->protocol, "IPv4")) {
    *problem = "Protocol=" + std::string(*used->protocol) + " is not supported (only IPv4)";
    return false;
  }
  if (used->address) {
    if (SameText(*used->address, "localhost")) {
      parsed.address = "127.0.0.1";
    } else if (std::uint32_t ignored; ParseIpv4Address(*used->address, &ignored)) {
      parsed.address = std::string(*used->address);
    } else {
      *problem = "Address=" + std::string(*used->address) +
                 " is not a numeric IPv4 address (four parts of 0 to 255, no leading zeros)";
      return false;
    }
  }
  if (used->port && !ParsePort(*used->port, &parsed.port)) {
    *problem = "Port=" + std::string(*used->port) + " is not a port number (1 to 65535)";
    return false;
  }
  *server = parsed;
  return true;
}
