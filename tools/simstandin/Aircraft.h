#pragma once

// The one simulated aircraft: the radios, courses, altimeter, autopilot and
// transponder the bridge works on, changed by simulator events and read as
// simulator variables.

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct AircraftState {
  // Frequencies in kHz, so 25 kHz steps stay exact.
  std::int32_t com1Active = 118000, com1Standby = 121500;
  std::int32_t com2Active = 119000, com2Standby = 122800;
  std::int32_t nav1Active = 108000, nav1Standby = 110500;
  std::int32_t nav2Active = 109000, nav2Standby = 113450;
  std::int32_t headingBug = 355;  // degrees
  std::int32_t course1 = 90, course2 = 5;
  std::int32_t baroHundredths = 2992;  // inHg * 100
  bool apMaster = false, apHeading = false, apNav1 = false, apApproach = false, apAltitude = false, apVs = false;
  std::int32_t apAltitudeFeet = 3000;
  std::int32_t apVerticalSpeed = 0;  // feet per minute
  std::uint32_t squawk = 0x1200;     // four octal digits, one per nibble
  bool ident = false;
};

// What an event did, for the log.
struct EventOutcome {
  enum Kind {
    kApplied,   // acted on; `changes` says what changed (may be empty: no change)
    kCustom,    // a dotted custom event or a numbered third-party one: only recorded
    kRejected,  // a known event with a value it cannot take
    kUnknown,   // an event this aircraft does not simulate
  } kind = kUnknown;
  std::vector<std::string> changes;  // e.g. "NAV1 standby 110.50 -> 111.50"
  std::string reason;                // for kRejected
};

class Aircraft {
 public:
  using Clock = std::chrono::steady_clock;

  const AircraftState& state() const { return state_; }

  // Performs the simulator event `name` with its 32-bit value.
  EventOutcome Apply(std::string_view name, std::uint32_t data, Clock::time_point now);

  // Whether the simulator would map `name` to an event: one this aircraft
  // acts on, one it knows without simulating, a dotted custom name
  // ("A32NX.FCU_HDG_INC") or a third-party number ("#70022", "#0x1116E").
  static bool Recognises(std::string_view name);

  // Time-driven changes (the transponder's ident ends by itself).
  std::vector<std::string> Advance(Clock::time_point now);
  // When Advance next has something to do, if ever.
  bool NextChange(Clock::time_point* when) const;

  // The value of simulator variable `name` (with an optional ":index") in
  // `units`; unknown variables read as 0.
  double Read(std::string_view name, std::string_view units) const;

 private:
  AircraftState state_;
  Clock::time_point identEndsAt_{};
};

// Formatting shared by the log, the state line and the live view.
std::string FormatMhz(std::int32_t kHz, bool allDigits = false);  // "118.00", or "118.025" with allDigits
std::string FormatInHg(std::int32_t hundredths);                  // "29.92"
std::string FormatSquawk(std::uint32_t bco16);                    // "1200"

// The `state` line's key=value pairs, without the leading "state".
std::string StateFields(const AircraftState& state);
