#pragma once

// The aircraft's own variables, the "L:" ones a study-level aircraft keeps
// for its lamps and switches. Any name exists and reads 0 until written, as
// in the simulator.

#include <map>
#include <string>
#include <string_view>

class LocalVariables {
 public:
  // Whether a variable name names one of these ("L:NAME", either case of L).
  static bool Names(std::string_view variable);

  double Read(std::string_view variable) const;
  // Writes `value`; true when it changed what a reader sees.
  bool Write(std::string_view variable, double value);

  // Every variable written so far, by name.
  const std::map<std::string, double>& written() const { return values_; }

 private:
  std::map<std::string, double> values_;  // keyed by the name without "L:"
};

// A value as the log shows it: whole numbers without a decimal point.
std::string FormatVariableValue(double value);
