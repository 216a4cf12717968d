#include "LocalVariables.h"

#include <cmath>
#include <cstdio>

namespace {
// Names are compared without their "L:" and without trailing blanks, so
// "L:A32NX_FCU_AP_1_LIGHT_ON" and "l:A32NX_FCU_AP_1_LIGHT_ON " are one.
std::string Key(std::string_view variable) {
  std::string_view name = variable.substr(2);
  while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
  return std::string(name);
}
}  // namespace

bool LocalVariables::Names(std::string_view variable) {
  return variable.size() > 2 && (variable[0] == 'L' || variable[0] == 'l') && variable[1] == ':';
}

double LocalVariables::Read(std::string_view variable) const {
  const auto found = values_.find(Key(variable));
  return found == values_.end() ? 0.0 : found->second;
}

bool LocalVariables::Write(std::string_view variable, double value) {
  const std::string key = Key(variable);
  const auto found = values_.find(key);
  const bool changed = found == values_.end() ? value != 0.0 : found->second != value;
  values_[key] = value;
  return changed;
}

std::string FormatVariableValue(double value) {
  char text[32];
  if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15) {
    std::snprintf(text, sizeof text, "%.0f", value);
  } else {
    std::snprintf(text, sizeof text, "%.15g", value);
  }
  return text;
}
