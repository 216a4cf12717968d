// The profile reader, fed any text: it never crashes, refuses with one line
// that names the file and a position, and a profile it accepts is whole:
// every action, lamp and binding points inside what the profile holds, so
// the bridge can index it without a check.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "sim/profile/ProfileReader.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

void CheckWhole(const profile::AircraftProfile& p) {
  Require(!p.name.empty());
  Require(!p.titlePatterns.empty() || !p.pathPatterns.empty());
  Require(p.events.size() == p.eventOrigins.size() && p.events.size() <= profile::kMaxEventNames);
  Require(p.variables.size() == p.variableOrigins.size() && p.variables.size() <= profile::kMaxVariables);
  for (const profile::FunctionBinding& binding : p.functions) {
    if (binding.mode != profile::FunctionBinding::kActions) continue;
    Require(binding.count > 0 && binding.count <= profile::kMaxActionsPerFunction);
    Require(static_cast<std::size_t>(binding.first) + binding.count <= p.actions.size());
  }
  for (const profile::ProfileAction& action : p.actions) {
    const bool event = action.kind == profile::ProfileAction::kEvent;
    Require(action.name < (event ? p.events.size() : p.variables.size()));
    Require(action.repeat >= 1 && action.repeat <= profile::kMaxRepeat);
    Require(!action.wrap || (action.hasMinimum && action.hasMaximum && action.minimum <= action.maximum));
  }
  for (const int lamp : p.lamps) Require(lamp < static_cast<int>(p.variables.size()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  profile::AircraftProfile profile;
  std::string problem;
  if (profile::ReadProfile(text, "fuzz.toml", &profile, &problem)) {
    CheckWhole(profile);
  } else {
    Require(problem.rfind("fuzz.toml:", 0) == 0 && problem.find('\n') == std::string::npos);
  }
  return 0;
}
