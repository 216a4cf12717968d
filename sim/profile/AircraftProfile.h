#pragma once

// An aircraft profile as the bridge uses it: plain data, checked whole by
// the reader before anything uses it, so applying it cannot fail half-way.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/profile/ProfileFunctions.h"

namespace profile {

// Bounds that keep one profile's registration small and its actions cheap.
constexpr std::size_t kMaxEventNames = 256;  // distinct event names in one profile
constexpr std::size_t kMaxVariables = 64;    // distinct variables read or written
constexpr std::size_t kMaxActionsPerFunction = 16;
constexpr std::uint32_t kMaxRepeat = 100;

struct ProfileAction {
  enum Kind : std::uint8_t {
    kEvent,    // transmit events[name] with `eventValue`, `repeat` times
    kLvarSet,  // write `amount` to variables[name]
    kLvarAdd,  // add `amount` to the followed value of variables[name]
  };
  Kind kind = kEvent;
  std::uint16_t name = 0;  // index into the profile's events or variables
  std::uint32_t eventValue = 0;
  std::uint32_t repeat = 1;
  double amount = 0.0;
  bool hasMinimum = false;
  bool hasMaximum = false;
  bool wrap = false;
  double minimum = 0.0;
  double maximum = 0.0;
};

// What one panel function does under this profile.
struct FunctionBinding {
  enum Mode : std::uint8_t {
    kBuiltIn,  // not named: the bridge's own behaviour
    kNothing,  // "none"
    kActions,  // actions[first .. first + count)
  };
  Mode mode = kBuiltIn;
  std::uint16_t first = 0;
  std::uint16_t count = 0;
};

struct ProfileVariable {
  std::string name;  // "L:A32NX_FCU_AP_1_LIGHT_ON", or a simulator variable
  std::string unit;  // "number" unless the profile says
};

// Which function or lamp first named an event or variable, for the line told
// when the simulator refuses it.
struct NameOrigin {
  bool lamp = false;
  std::uint16_t index = 0;  // function or lamp number
};

struct AircraftProfile {
  std::string file;  // as it was found, for messages
  std::string name;  // the profile's own name, or the file's
  std::vector<std::string> titlePatterns;
  std::vector<std::string> pathPatterns;

  std::array<FunctionBinding, kFunctionCount> functions{};
  std::vector<ProfileAction> actions;
  std::array<int, kLampCount> lamps{-1, -1, -1, -1, -1, -1};  // variable index, or -1: built in

  std::vector<std::string> events;
  std::vector<NameOrigin> eventOrigins;
  std::vector<ProfileVariable> variables;
  std::vector<NameOrigin> variableOrigins;
};

}  // namespace profile
