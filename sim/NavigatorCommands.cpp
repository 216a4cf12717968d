// Navigator knobs and keys, autopilot altitude and pitch, transponder.

#include <cmath>
#include <cstdint>
#include <initializer_list>

#include "sim/ClientEvents.h"
#include "sim/FlightSimInterfaceMSFS.h"
#include "sim/SafeConvert.h"

namespace {

// A GPS event and its glass-cockpit twin, sent together.
struct EventPair {
  ClientEvent gps;
  ClientEvent glass;
};

// [unit - 1][clockwise ? 0 : 1]
constexpr EventPair kOuterKnobPairs[2][2] = {{{kGps1OuterRight, kPfdOuterInc}, {kGps1OuterLeft, kPfdOuterDec}},
                                             {{kGps2OuterRight, kMfdOuterInc}, {kGps2OuterLeft, kMfdOuterDec}}};
constexpr EventPair kInnerKnobPairs[2][2] = {{{kGps1InnerRight, kPfdInnerInc}, {kGps1InnerLeft, kPfdInnerDec}},
                                             {{kGps2InnerRight, kMfdInnerInc}, {kGps2InnerLeft, kMfdInnerDec}}};
constexpr EventPair kRangePairs[2][2] = {{{kGps1RangeZoomIn, kPfdRangeInc}, {kGps1RangeZoomOut, kPfdRangeDec}},
                                         {{kGps2RangeZoomIn, kMfdRangeInc}, {kGps2RangeZoomOut, kMfdRangeDec}}};

// What each key action sends: one event, or a navigator's GPS event and its
// glass-cockpit twin.
struct KeyActionEvents {
  keyaction::Action action;
  ClientEvent first;
  bool paired;
  ClientEvent second;
};

constexpr KeyActionEvents Pair(keyaction::Action action, ClientEvent gps, ClientEvent glass) {
  return {action, gps, true, glass};
}
constexpr KeyActionEvents Single(keyaction::Action action, ClientEvent event) { return {action, event, false, event}; }

constexpr KeyActionEvents kKeyActionEvents[keyaction::kCount] = {
    Pair(keyaction::kNavigator1KnobPush, kGps1KnobPush, kPfdKnobPush),
    Pair(keyaction::kNavigator1DirectTo, kGps1DirectTo, kPfdDirectTo),
    Pair(keyaction::kNavigator1Menu, kGps1Menu, kPfdMenu),
    Pair(keyaction::kNavigator1Clear, kGps1Clear, kPfdClear),
    Pair(keyaction::kNavigator1Enter, kGps1Enter, kPfdEnter),
    Pair(keyaction::kNavigator1Cdi, kGps1Cdi, kPfdPrivateCdi),
    Pair(keyaction::kNavigator1Obs, kGps1Obs, kPfdPrivateObs),
    Pair(keyaction::kNavigator1Message, kGps1Message, kPfdPrivateMessage),
    Pair(keyaction::kNavigator1FlightPlan, kGps1FlightPlan, kPfdFlightPlan),
    Pair(keyaction::kNavigator1Vnav, kGps1Vnav, kPfdPrivateVnav),
    Pair(keyaction::kNavigator1Procedure, kGps1Procedure, kPfdProcedure),
    Pair(keyaction::kNavigator2KnobPush, kGps2KnobPush, kMfdKnobPush),
    Pair(keyaction::kNavigator2DirectTo, kGps2DirectTo, kMfdDirectTo),
    Pair(keyaction::kNavigator2Menu, kGps2Menu, kMfdMenu),
    Pair(keyaction::kNavigator2Clear, kGps2Clear, kMfdClear),
    Pair(keyaction::kNavigator2Enter, kGps2Enter, kMfdEnter),
    Pair(keyaction::kNavigator2Cdi, kGps2Cdi, kMfdPrivateCdi),
    Pair(keyaction::kNavigator2Obs, kGps2Obs, kMfdPrivateObs),
    Pair(keyaction::kNavigator2Message, kGps2Message, kMfdPrivateMessage),
    Pair(keyaction::kNavigator2FlightPlan, kGps2FlightPlan, kMfdFlightPlan),
    Pair(keyaction::kNavigator2Vnav, kGps2Vnav, kMfdPrivateVnav),
    Pair(keyaction::kNavigator2Procedure, kGps2Procedure, kMfdProcedure),
    Single(keyaction::kAutopilotMaster, kAutopilotMaster),
    Single(keyaction::kAutopilotHeading, kAutopilotHeadingHold),
    Single(keyaction::kAutopilotNav, kAutopilotNav1Hold),
    Single(keyaction::kAutopilotApproach, kAutopilotApproachHold),
    Single(keyaction::kAutopilotAltitude, kAutopilotAltitudeHold),
    Single(keyaction::kAutopilotVerticalSpeed, kAutopilotVerticalSpeedHold),
    Single(keyaction::kAutopilotFlightLevelChange, kAutopilotFlightLevelChange),
    Single(keyaction::kCom1Swap, kCom1Swap),
    Single(keyaction::kCom2Swap, kCom2Swap),
    Single(keyaction::kNav1Swap, kNav1Swap),
    Single(keyaction::kNav2Swap, kNav2Swap),
    Single(keyaction::kStandardPressure, kStandardPressure),
    Single(keyaction::kHeadingSync, kHeadingSync),
    Single(keyaction::kTransponderIdent, kTransponderIdent),
};

constexpr bool IndexedByAction() {
  for (ButtonId i = 0; i < keyaction::kCount; ++i) {
    if (kKeyActionEvents[i].action != i) return false;
  }
  return true;
}
static_assert(IndexedByAction(), "the row of each key action stands at its number");

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
  if (!TakeKnobSteps(unit == 1 ? profile::Knob::kFms1 : profile::Knob::kFms2, &outer, &inner)) return;
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
  if (!TakeKnobSteps(unit == 1 ? profile::Knob::kRange1 : profile::Knob::kRange2, &outer, &inner)) return;
  for (const std::int8_t steps : {outer, inner}) {
    if (steps == 0) continue;
    const EventPair& pair = kRangePairs[unit - 1][steps > 0 ? 0 : 1];
    Send(pair.gps, 1);
    Send(pair.glass, 1);
  }
}

void FlightSimInterfaceMSFS::AdjustAltitude(UnitSelector, std::int8_t outer, std::int8_t inner) {
  if (!IsConnected() || !TakeKnobSteps(profile::Knob::kAltitude, &outer, &inner)) return;
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
    Send(kAutopilotNoseUp, 1);
  } else if (inner < 0) {
    Send(kAutopilotNoseDown, 1);
  }
}

void FlightSimInterfaceMSFS::AdjustTransponder(UnitSelector unit, std::int8_t outer, std::int8_t inner) {
  if (unit != 1 || !IsConnected() || !TakeKnobSteps(profile::Knob::kTransponder, &outer, &inner) ||
      !definition1Received) {
    return;
  }
  // Even a malformed code (nibbles above 7) unpacks to at most about 36
  // million, so the sum cannot overflow; the full modulo then yields a valid
  // four-digit code for any count.
  const std::int64_t number = UnpackOctalNibbles(static_cast<std::uint32_t>(transponderCode));
  std::int64_t sum = (number + 64 * std::int64_t{outer} + inner) % 4096;
  if (sum < 0) sum += 4096;
  const std::uint32_t code = PackOctalNibbles(static_cast<std::uint32_t>(sum));
  transponderCode = static_cast<std::int32_t>(code);
  Send(kTransponderSet, code);
}

void FlightSimInterfaceMSFS::PressButton(ButtonId button) {
  if (button >= keyaction::kCount || RunProfileFunction(profile::KeyFunction(button), 1)) return;
  const KeyActionEvents& events = kKeyActionEvents[button];
  Send(events.first, 0);
  if (events.paired) Send(events.second, 0);
}
