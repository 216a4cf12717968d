#pragma once

#include <cmath>
#include <cstdint>

// Converts a floating-point simulator value to a 32-bit integer, toward zero.
// NaN, infinities and values outside the 32-bit range have no defined
// conversion in C++; for them this returns false and leaves `out` alone, and
// the caller sends nothing.
inline bool TruncateToInt32(double value, std::int32_t* out) {
  // The open interval (-2^31 - 1, 2^31) holds exactly the doubles whose
  // truncation fits; NaN fails both comparisons.
  if (!(value > -2147483649.0 && value < 2147483648.0)) return false;
  *out = static_cast<std::int32_t>(value);
  return true;
}
