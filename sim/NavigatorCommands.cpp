// Navigator knobs and keys, autopilot altitude and pitch, transponder.

#include <cmath>
#include <cstdint>
#include <initializer_list>

#include "sim/FlightSimInterfaceMSFS.h"
#include "sim/SafeConvert.h"

namespace {

enum : SimConnectDword {
  kTransponderSet = 7,
  kAutopilotAltitudeSet = 8,
  kNoseUp = 103,
  kNoseDown = 104,
};

// A GPS event and its glass-cockpit twin, sent together.
struct EventPair {
  SimConnectDword gps;
  SimConnectDword glass;
};

// [unit - 1][clockwise ? 0 : 1]
constexpr EventPair kOuterKnobPairs[2][2] = {{{20, 32}, {21, 33}}, {{26, 38}, {27, 39}}};
constexpr EventPair kInnerKnobPairs[2][2] = {{{22, 34}, {23, 35}}, {{28, 40}, {29, 41}}};
constexpr EventPair kRangePairs[2][2] = {{{24, 36}, {25, 37}}, {{30, 42}, {31, 43}}};

// Events of each key action; 0 as the second event means none (event 0 is
// never sent by a key).
constexpr EventPair kButtonEvents[36] = {
    {44, 66}, {45, 67}, {46, 68}, {47, 69}, {48, 70}, {49, 71}, {50, 72}, {51, 73}, {52, 74},
    {53, 75}, {54, 76}, {55, 77}, {56, 78}, {57, 79}, {58, 80}, {59, 81}, {60, 82}, {61, 83},
    {62, 84}, {63, 85}, {64, 86}, {65, 87}, {95, 0},  {96, 0},  {97, 0},  {98, 0},  {99, 0},
    {100, 0}, {102, 0}, {88, 0},  {89, 0},  {90, 0},  {91, 0},  {92, 0},  {93, 0},  {94, 0},
};

// Transponder codes are four octal digits, one per nibble (BCO16).
std::uint32_t UnpackOctalNibbles(std::uint32_t code) {
  std::uint32_t number = 0;
  std::uint32_t weight = 1;
  for (; code != 0; code >>= 4, weight *= 8) number += (code & 0xF) * weight;
  return number;
}

std::uint32_t PackOctalNibbles(std::uint32_t number) {
  std::uint32_t code = 0;
  for (unsigned shift = 0; number != 0; shift += 4, number /= 8) code |= (number % 8) << shift;
  return code;
}

}  // namespace

void FlightSimInterfaceMSFS::TurnFmsKnobs(UnitSelector unit, std::int8_t outer, std::int8_t inner) {
  if (unit != 1 && unit != 2) return;
  if (outer != 0) {
    const EventPair& pair = kOuterKnobPairs[unit - 1][outer > 0 ? 0 : 1];
    Send(pair.gps, 1);
    Send(pair.glass, 1);
  }
  if (inner != 0) {
    const EventPair& pair = kInnerKnobPairs[unit - 1][inner > 0 ? 0 : 1];
    Send(pair.gps, 1);
    Send(pair.glass, 1);
  }
}

void FlightSimInterfaceMSFS::TurnRangeKnob(UnitSelector unit, std::int8_t outer, std::int8_t inner) {
  if (unit != 1 && unit != 2) return;
  for (const std::int8_t steps : {outer, inner}) {
    if (steps == 0) continue;
    const EventPair& pair = kRangePairs[unit - 1][steps > 0 ? 0 : 1];
    Send(pair.gps, 1);
    Send(pair.glass, 1);
  }
}

void FlightSimInterfaceMSFS::AdjustAltitude(UnitSelector, std::int8_t outer, std::int8_t inner) {
  if (!IsConnected()) return;
  if (outer != 0 && definition1Received) {
    double altitude = autopilotAltitude + outer * 100.0;
    if (altitude < 0.0) altitude = 0.0;
    std::int32_t feet;
    if (std::isfinite(autopilotAltitude) && TruncateToInt32(altitude, &feet)) {
      autopilotAltitude = altitude;
      Send(kAutopilotAltitudeSet, static_cast<SimConnectDword>(feet));
    }
  }
  if (inner > 0) {
    Send(kNoseUp, 1);
  } else if (inner < 0) {
    Send(kNoseDown, 1);
  }
}

void FlightSimInterfaceMSFS::AdjustTransponder(UnitSelector unit, std::int8_t outer, std::int8_t inner) {
  if (unit != 1 || !IsConnected() || !definition1Received) return;
  // Even a malformed code (nibbles above 7) unpacks to at most about 36
  // million, so the sum cannot overflow; the full modulo then yields a valid
  // four-digit code for any count.
  const std::int64_t number = UnpackOctalNibbles(static_cast<std::uint32_t>(transponderCode));
  std::int64_t sum = (number + 64 * outer + inner) % 4096;
  if (sum < 0) sum += 4096;
  const std::uint32_t code = PackOctalNibbles(static_cast<std::uint32_t>(sum));
  transponderCode = static_cast<std::int32_t>(code);
  Send(kTransponderSet, code);
}

void FlightSimInterfaceMSFS::PressButton(ButtonId button) {
  if (button >= sizeof kButtonEvents / sizeof kButtonEvents[0]) return;
  const EventPair& events = kButtonEvents[button];
  Send(events.gps, 0);
  if (events.glass != 0) Send(events.glass, 0);
}
