#pragma once

// Fields of a message the simulator sent, read where they stand: the bytes
// need not be aligned for the field's type.

#include <cstdint>
#include <cstring>

#include "sim/SimConnect.h"

inline SimConnectDword ReadDword(const unsigned char* bytes) {
  SimConnectDword value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

inline std::int32_t ReadInt32(const unsigned char* bytes) {
  std::int32_t value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

inline double ReadFloat64(const unsigned char* bytes) {
  double value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}
