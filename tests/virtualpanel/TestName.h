#pragma once

#include <cctype>
#include <string>

// A table row's description as a test name:
// "half a report, then gone" -> "HalfAReportThenGone".
inline std::string TestName(const char* what) {
  std::string name;
  bool upper = true;
  for (const char* c = what; *c != '\0'; ++c) {
    if (std::isalnum(static_cast<unsigned char>(*c))) {
      name += upper ? static_cast<char>(std::toupper(static_cast<unsigned char>(*c))) : *c;
      upper = false;
    } else {
      upper = true;
    }
  }
  return name;
}
