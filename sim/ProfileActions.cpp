// What the panel's functions do while a profile applies: the profile's
// actions in place of the built-in commands, and its variables behind the
// lamps. One array look-up per function; nothing is allocated.

#include <cmath>
#include <cstdlib>

#include "sim/FlightSimInterfaceMSFS.h"
#include "sim/profile/ProfileRuntime.h"

using profile::FunctionBinding;
using profile::ProfileAction;

namespace {

// The value `add` arrives at: kept within min and max, or, with wrap, carried
// round as a dial is, so that one past max is min.
double Stepped(const ProfileAction& action, double current) {
  double value = current + action.amount;
  if (action.wrap) {
    const double span = action.maximum - action.minimum + 1.0;
    if (value > action.maximum || value < action.minimum) {
      value = action.minimum + std::fmod(value - action.minimum, span);
      if (value < action.minimum) value += span;
    }
    return value;
  }
  if (action.hasMaximum && value > action.maximum) value = action.maximum;
  if (action.hasMinimum && value < action.minimum) value = action.minimum;
  return value;
}

}  // namespace

void FlightSimInterfaceMSFS::WriteVariable(std::size_t variable, double value) {
  if (!IsConnected()) return;
  const SimConnectDword definition = profiles->variableBase + static_cast<SimConnectDword>(variable);
  SimConnect_SetDataOnSimObject(*connection, definition, SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_DATA_SET_FLAG_DEFAULT, 0,
                                sizeof value, &value);
}

bool FlightSimInterfaceMSFS::RunProfileFunction(std::size_t function, int times) {
  if (profiles == nullptr || !profiles->active) return false;
  profile::ProfileRuntime& p = *profiles;
  const FunctionBinding& binding = p.profile.functions[function];
  if (binding.mode == FunctionBinding::kBuiltIn) return false;
  if (binding.mode == FunctionBinding::kNothing || !IsConnected()) return true;
  for (int time = 0; time < times; ++time) {
    for (std::size_t i = binding.first; i < binding.first + binding.count; ++i) {
      const ProfileAction& action = p.profile.actions[i];
      switch (action.kind) {
        case ProfileAction::kEvent: {
          const ClientEventId id = p.eventIds[action.name];
          if (id == SIMCONNECT_UNUSED) break;
          for (std::uint32_t r = 0; r < action.repeat; ++r) Send(id, action.eventValue);
          break;
        }
        case ProfileAction::kLvarSet:
          WriteVariable(action.name, action.amount);
          break;
        case ProfileAction::kLvarAdd:
          // Only from a value this connection has reported: a step from a
          // stale or unknown value would jump the aircraft's setting (and a
          // NaN or infinity has no next value).
          if (p.received[action.name] == 0 || !std::isfinite(p.values[action.name])) break;
          p.values[action.name] = Stepped(action, p.values[action.name]);
          WriteVariable(action.name, p.values[action.name]);
          break;
      }
    }
  }
  return true;
}

bool FlightSimInterfaceMSFS::TakeKnobSteps(profile::Knob knob, std::int8_t* outer, std::int8_t* inner) {
  // A report with no steps at all keeps whatever the built-in command does with it.
  if (*outer == 0 && *inner == 0) return true;
  if (profiles != nullptr && profiles->active) {
    if (*outer != 0 && RunProfileFunction(profile::KnobFunction(knob, false, *outer < 0), std::abs(int{*outer}))) {
      *outer = 0;
    }
    if (*inner != 0 && RunProfileFunction(profile::KnobFunction(knob, true, *inner < 0), std::abs(int{*inner}))) {
      *inner = 0;
    }
  }
  return *outer != 0 || *inner != 0;
}
