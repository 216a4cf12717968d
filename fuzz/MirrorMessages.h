#pragma once

// Object-data messages that load the bridge's mirror of the aircraft, built
// from fuzz input either as values a simulator reports or as raw bits.

#include <cstdint>
#include <vector>

#include "fuzz/ByteReader.h"

namespace mirror {

using Bytes = std::vector<unsigned char>;

// An object-data message for `request` carrying `block`.
Bytes DataMessage(std::uint32_t request, const void* block, std::size_t size);

// The two messages (request 0, then 1) of one update of the aircraft.
// Plausible: standby frequencies on NAV channels, degrees 0 to 360, altitude
// at or above zero, a four-digit squawk. Raw: whatever bits the input holds.
void PlausibleAircraft(ByteReader& in, Bytes* request0, Bytes* request1);
void RawAircraft(ByteReader& in, Bytes* request0, Bytes* request1);

}  // namespace mirror
