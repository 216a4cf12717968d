// Radios, heading bug, VOR courses and altimeter setting.

#include <cmath>
#include <cstdint>

#include "sim/ClientEvents.h"
#include "sim/FlightSimInterfaceMSFS.h"
#include "sim/SafeConvert.h"

namespace {

// The four tuning events of a COM radio, in the order TuneCom sends them.
struct ComTuningEvents {
  ClientEvent wholeInc, wholeDec, fractionInc, fractionDec;
};
constexpr ComTuningEvents kComTuning[2] = {
    {kCom1WholeInc, kCom1WholeDec, kCom1FractionInc, kCom1FractionDec},
    {kCom2WholeInc, kCom2WholeDec, kCom2FractionInc, kCom2FractionDec},
};

constexpr double kNavMinimum = 108.0;
constexpr double kNavMaximum = 117.0;
constexpr double kNavFractionStep = 0.05;

double SnapToNavGrid(double frequency) { return std::round(frequency * 20.0) / 20.0; }

// Packs a frequency as one decimal digit per nibble in 10 kHz units, leading
// 1 included: 113.45 MHz becomes 0x11345.
bool PackFrequencyBcd(double frequency, SimConnectDword* packed) {
  std::int32_t hundredths;
  // Beyond 655.35 MHz, or below zero, there is no five-digit value to send;
  // cutting it to 16 bits would tune some unrelated frequency.
  if (!TruncateToInt32(frequency * 100.0 + 0.1, &hundredths) || hundredths < 0 || hundredths > 0xFFFF) {
    return false;
  }
  std::uint32_t k = static_cast<std::uint32_t>(hundredths);
  std::uint32_t result = 0;
  for (unsigned shift = 0; k != 0; shift += 4) {
    result += (k % 10) << shift;
    k /= 10;
  }
  *packed = result;
  return true;
}

// Whole degrees after `outer` tens and `inner` ones, wrapped once into 0..360
// (both ends kept). False when the mirror value has no integer form.
bool StepDegrees(double degrees, std::int8_t outer, std::int8_t inner, std::int32_t* result) {
  std::int32_t whole;
  if (!TruncateToInt32(degrees, &whole)) return false;
  // More than a full turn in one report (a fast spin) counts modulo a turn,
  // so the single wrap below lands on the dial; up to one turn it changes
  // nothing.
  std::int64_t step = 10 * outer + inner;
  if (step > 360 || step < -360) step %= 360;
  std::int64_t v = static_cast<std::int64_t>(whole) + step;
  if (v > 360) {
    v -= 360;
  } else if (v < 0) {
    v += 360;
  }
  // |step| <= 360 and the single wrap keep v within 360 of a 32-bit value,
  // pulled back toward zero: it always fits.
  *result = static_cast<std::int32_t>(v);
  return true;
}

}  // namespace

void FlightSimInterfaceMSFS::TuneCom(UnitSelector unit, std::int8_t outer, std::int8_t inner) {
  if ((unit != 1 && unit != 2) || !IsConnected()) return;
  if (!TakeKnobSteps(unit == 1 ? profile::Knob::kCom1 : profile::Knob::kCom2, &outer, &inner)) return;
  const ComTuningEvents& events = kComTuning[unit - 1];
  // Widened so that -128 steps count as 128 events.
  const int wholeSteps = outer;
  const int fractionSteps = inner;
  for (int i = 0; i < wholeSteps; ++i) Send(events.wholeInc, 1);
  for (int i = 0; i < -wholeSteps; ++i) Send(events.wholeDec, 1);
  for (int i = 0; i < fractionSteps; ++i) Send(events.fractionInc, 1);
  for (int i = 0; i < -fractionSteps; ++i) Send(events.fractionDec, 1);
}

double FlightSimInterfaceMSFS::StepNavFrequency(double frequency, double minimum, double maximum, std::int32_t outer,
                                                std::int32_t inner, double fractionStep) const {
  std::int32_t units25kHz;
  std::int32_t span;
  if (!TruncateToInt32(std::round(frequency * 40.0), &units25kHz) || !TruncateToInt32(maximum - minimum + 1.0, &span)) {
    return std::nan("");
  }
  // Steps beyond a whole band (or a whole megahertz of channels) in one
  // report count modulo it, so the single wraps below land inside; up to
  // one full range this changes nothing.
  const std::int32_t channels = static_cast<std::int32_t>(std::lround(1.0 / fractionStep));
  if (outer > span || outer < -span) outer %= span;
  if (channels > 0 && (inner > channels || inner < -channels)) inner %= channels;
  const double fraction = (units25kHz % 40) / 40.0;
  double whole = (frequency - fraction) + outer;
  if (whole > maximum) {
    whole -= span;
  } else if (whole < minimum) {
    whole += span;
  }
  double part = fraction + inner * fractionStep;
  // A sum a rounding residue below zero counts as zero.
  if (part >= 1.0) {
    part -= 1.0;
  } else if (part < -0.012) {
    part += 1.0;
  }
  return whole + part;
}

void FlightSimInterfaceMSFS::TuneNav(UnitSelector unit, std::int8_t outer, std::int8_t inner) {
  if ((unit != 1 && unit != 2) || !IsConnected()) return;
  if (!TakeKnobSteps(unit == 1 ? profile::Knob::kNav1 : profile::Knob::kNav2, &outer, &inner) || !definition0Received) {
    return;
  }
  double& standby = unit == 1 ? nav1Standby : nav2Standby;
  const double stepped =
      StepNavFrequency(SnapToNavGrid(standby), kNavMinimum, kNavMaximum, outer, inner, kNavFractionStep);
  const double tuned = SnapToNavGrid(stepped);
  SimConnectDword packed;
  if (!PackFrequencyBcd(tuned, &packed)) return;
  standby = tuned;
  Send(unit == 1 ? kNav1StandbySet : kNav2StandbySet, packed);
}

void FlightSimInterfaceMSFS::AdjustHeadingBug(UnitSelector, std::int8_t outer, std::int8_t inner) {
  std::int32_t heading;
  if (!IsConnected() || !TakeKnobSteps(profile::Knob::kHeading, &outer, &inner) || !definition0Received ||
      !StepDegrees(headingBug, outer, inner, &heading)) {
    return;
  }
  headingBug = heading;
  Send(kHeadingBugSet, static_cast<SimConnectDword>(heading));
}

void FlightSimInterfaceMSFS::AdjustCourse(UnitSelector unit, std::int8_t outer, std::int8_t inner) {
  if ((unit != 1 && unit != 2) || !IsConnected()) return;
  if (!TakeKnobSteps(unit == 1 ? profile::Knob::kCourse1 : profile::Knob::kCourse2, &outer, &inner) ||
      !definition0Received) {
    return;
  }
  double& course = unit == 1 ? course1 : course2;
  std::int32_t degrees;
  if (!StepDegrees(course, outer, inner, &degrees)) return;
  course = degrees;
  Send(unit == 1 ? kVor1Set : kVor2Set, static_cast<SimConnectDword>(degrees));
}

void FlightSimInterfaceMSFS::AdjustBaro(UnitSelector, std::int8_t outer, std::int8_t inner) {
  if (!TakeKnobSteps(profile::Knob::kBaro, &outer, &inner)) return;
  // One event per report whatever the count; on opposite signs, up wins.
  if (inner > 0 || outer > 0) {
    Send(kKohlsmanInc, 1);
  } else if (inner < 0 || outer < 0) {
    Send(kKohlsmanDec, 1);
  }
}
