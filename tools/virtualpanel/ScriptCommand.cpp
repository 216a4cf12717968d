#include "tools/virtualpanel/ScriptCommand.h"

#include <cctype>

namespace virtualpanel {

namespace {

std::string_view Trim(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

// Splits off the first word; `rest` is what follows it, trimmed.
std::string_view FirstWord(std::string_view text, std::string_view* rest) {
  std::size_t end = 0;
  while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
  *rest = Trim(text.substr(end));
  return text.substr(0, end);
}

// A decimal integer with an optional sign, within [low, high].
bool ParseInteger(std::string_view text, long low, long high, int* value) {
  if (text.empty()) return false;
  bool negative = false;
  if (text.front() == '+' || text.front() == '-') {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.size() > 9) return false;
  long number = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    number = number * 10 + (c - '0');
  }
  if (negative) number = -number;
  if (number < low || number > high) return false;
  *value = static_cast<int>(number);
  return true;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool ParseHex(std::string_view text, std::vector<unsigned char>* bytes) {
  if (text.empty() || text.size() % 2 != 0 || text.size() > 2 * static_cast<std::size_t>(kMaxRawReport)) return false;
  bytes->clear();
  for (std::size_t i = 0; i < text.size(); i += 2) {
    const int high = HexDigit(text[i]);
    const int low = HexDigit(text[i + 1]);
    if (high < 0 || low < 0) return false;
    bytes->push_back(static_cast<unsigned char>(high << 4 | low));
  }
  return true;
}

}  // namespace

bool ParseScriptLine(std::string_view line, ScriptCommand* command, std::string* error) {
  line = Trim(line);
  ScriptCommand parsed;
  if (line.empty() || line.front() == '#') {
    *command = parsed;
    return true;
  }
  std::string_view argument;
  const std::string_view verb = FirstWord(line, &argument);

  if (verb == "quit" && argument.empty()) {
    parsed.kind = ScriptCommand::kQuit;
  } else if (verb == "mode" || verb == "outer" || verb == "inner") {
    const bool mode = verb == "mode";
    int value = 0;
    if (!ParseInteger(argument, mode ? 0 : -128, mode ? 255 : 127, &value)) {
      *error = mode ? "mode takes 0-255" : std::string(verb) + " takes a step count from -128 to 127";
      return false;
    }
    parsed.kind = ScriptCommand::kAction;
    parsed.action.kind = mode              ? PanelAction::kSelectMode
                         : verb == "outer" ? PanelAction::kTurnOuter
                                           : PanelAction::kTurnInner;
    parsed.action.value = value;
  } else if (verb == "press" || verb == "release" || verb == "tap") {
    PanelKey key;
    if (!FindKey(argument, &key)) {
      *error = "unknown key '" + std::string(argument) + "'";
      return false;
    }
    parsed.kind = verb == "tap" ? ScriptCommand::kTap : ScriptCommand::kAction;
    parsed.action.kind = verb == "release" ? PanelAction::kRelease : PanelAction::kPress;
    parsed.action.key = key;
  } else if (verb == "raw") {
    if (!ParseHex(argument, &parsed.raw)) {
      *error = "raw takes 2 to 128 hex digits, an even number";
      return false;
    }
    parsed.kind = ScriptCommand::kRaw;
  } else if (verb == "wait") {
    if (!ParseInteger(argument, 0, kMaxWaitMilliseconds, &parsed.milliseconds)) {
      *error = "wait takes 0 to 60000 milliseconds";
      return false;
    }
    parsed.kind = ScriptCommand::kWait;
  } else {
    *error = "unknown command '" + std::string(verb) + "'";
    return false;
  }
  *command = parsed;
  return true;
}

}  // namespace virtualpanel
