#pragma once

// The object-data message the simulator sends for a periodic request, built
// byte for byte: the 12-byte header, the seven numbers of the request and
// the data block. One builder for the core's mirror, the network client,
// the fuzzers and the benchmarks. Header-only, so it links beside any
// SimConnect backend.

#include <cstdint>
#include <cstring>
#include <vector>

#include "sim/DataDefinitions.h"
#include "sim/SimConnect.h"
#include "sim/simconnect/Net/WireFormat.h"

namespace objectdata {

using Bytes = std::vector<unsigned char>;

inline Bytes Message(std::uint32_t request, const Bytes& block) {
  Bytes message(kSimObjectDataBlockOffset + block.size(), 0);
  // size, protocol, kind; request, object, definition, flags, entry, out of, count
  const std::uint32_t header[] = {static_cast<std::uint32_t>(message.size()),
                                  simwire::kProtocolVersion,
                                  SIMCONNECT_RECV_ID_SIMOBJECT_DATA,
                                  request,
                                  0,
                                  request,
                                  0,
                                  1,
                                  1,
                                  1};
  std::memcpy(message.data(), header, sizeof header);
  if (!block.empty()) std::memcpy(message.data() + kSimObjectDataBlockOffset, block.data(), block.size());
  return message;
}

inline Bytes Float64s(const std::vector<double>& values) {
  Bytes bytes(values.size() * 8);
  if (!values.empty()) std::memcpy(bytes.data(), values.data(), bytes.size());
  return bytes;
}

inline Bytes Int32s(const std::vector<std::int32_t>& values) {
  Bytes bytes(values.size() * 4);
  if (!values.empty()) std::memcpy(bytes.data(), values.data(), bytes.size());
  return bytes;
}

inline Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// The data block of `definition` laid out as its entries declare, from one
// number per entry in entry order; values beyond the entries follow as 8-byte
// floats, for messages longer than their block.
inline Bytes Block(std::uint32_t definition, const std::vector<double>& values) {
  Bytes block;
  std::size_t next = 0;
  for (const DataDefinitionEntry& entry : kDataDefinitionEntries) {
    if (entry.definition != definition) continue;
    const double value = next < values.size() ? values[next] : 0.0;
    ++next;
    if (entry.type == SIMCONNECT_DATATYPE_FLOAT64) {
      block = Concat(block, Float64s({value}));
    } else {
      block = Concat(block, Int32s({static_cast<std::int32_t>(value)}));
    }
  }
  if (next < values.size()) block = Concat(block, Float64s({values.begin() + next, values.end()}));
  return block;
}

// Definition 0: COM 1/2, NAV 1/2 standby (MHz), heading bug, course 1/2 (degrees).
inline Bytes Definition0(const std::vector<double>& values) { return Message(0, Block(0, values)); }

// Definition 1: autopilot altitude (ft) and vertical speed (ft/min), then the
// transponder code (BCO16) and the six autopilot flags.
inline Bytes Definition1(double altitude, double verticalSpeed, const std::vector<std::int32_t>& integers) {
  std::vector<double> values = {altitude, verticalSpeed};
  values.insert(values.end(), integers.begin(), integers.end());
  return Message(1, Block(1, values));
}

}  // namespace objectdata
