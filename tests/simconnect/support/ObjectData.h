#pragma once

// An object-data message as the simulator sends it: a request's FLOAT64
// values, framed by our codec.

#include <cstdint>
#include <vector>

#include "sim/simconnect/Net/ByteOrder.h"
#include "sim/simconnect/Net/ServerMessages.h"

inline simwire::Bytes ObjectDataMessage(std::uint32_t request, const std::vector<double>& values) {
  simwire::SimObjectData fields;
  fields.requestId = request;
  fields.defineId = request;
  fields.defineCount = static_cast<std::uint32_t>(values.size());
  simwire::Bytes block;
  for (double v : values) simwire::ByteWriter(&block).F64(v);
  simwire::Bytes message;
  simwire::EncodeSimObjectData(&message, simwire::kProtocolVersion, fields, block.data(), block.size());
  return message;
}
