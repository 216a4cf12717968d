#include "sim/simconnect/Net/Ipv4Address.h"

bool ParseIpv4Address(std::string_view text, std::uint32_t* address) {
  std::uint32_t parsed = 0;
  for (int part = 0; part < 4; ++part) {
    if (part > 0) {
      if (text.empty() || text.front() != '.') return false;
      text.remove_prefix(1);
    }
    std::size_t digits = 0;
    std::uint32_t value = 0;
    while (digits < text.size() && text[digits] >= '0' && text[digits] <= '9') {
      value = value * 10 + static_cast<std::uint32_t>(text[digits] - '0');
      if (++digits > 3 || value > 255) return false;
    }
    if (digits == 0 || (digits > 1 && text.front() == '0')) return false;
    text.remove_prefix(digits);
    parsed = parsed << 8 | value;
  }
  if (!text.empty()) return false;
  *address = parsed;
  return true;
}
