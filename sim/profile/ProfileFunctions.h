#pragma once

// The panel functions and lamps an aircraft profile can take over, under the
// names a profile uses for them. This is the one list: the profile reader,
// the bridge's dispatch, the checker's listing and the guide's table all
// come from it.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "sim/FlightSimInterface.h"

namespace profile {

// The knobs the panel turns, by what they act on. Each has an outer and an
// inner part and two directions, so four functions: <knob>_<outer|inner>_<inc|dec>.
enum class Knob : std::uint8_t {
  kCom1,
  kCom2,
  kNav1,
  kNav2,
  kHeading,
  kCourse1,
  kCourse2,
  kBaro,
  kFms1,
  kFms2,
  kRange1,
  kRange2,
  kAltitude,
  kTransponder,
};
constexpr std::size_t kKnobCount = 14;

// Function numbers: the knob functions first (knob * 4 + inner * 2 +
// decrease), then the key actions in their own order.
constexpr std::size_t kKnobFunctionCount = kKnobCount * 4;
constexpr std::size_t kFunctionCount = kKnobFunctionCount + keyaction::kCount;

constexpr std::size_t KnobFunction(Knob knob, bool inner, bool decrease) {
  return static_cast<std::size_t>(knob) * 4 + (inner ? 2 : 0) + (decrease ? 1 : 0);
}
constexpr std::size_t KeyFunction(ButtonId button) { return kKnobFunctionCount + button; }

// The six lamps, in the order of their bits in AutopilotLampBits.
constexpr std::size_t kLampCount = 6;

// The name of function or lamp `index` as a profile writes it, and what it
// does when no profile names it. Null beyond the list.
const char* FunctionName(std::size_t function);
const char* FunctionBuiltIn(std::size_t function);
const char* LampName(std::size_t lamp);
const char* LampBuiltIn(std::size_t lamp);

// The index of `name`, or -1 when no function (lamp) has it.
int FindFunction(std::string_view name);
int FindLamp(std::string_view name);

}  // namespace profile
