#pragma once

// Which aircraft the simulated pilot has loaded, as a client learns it: its
// TITLE variable and the file path of the "AircraftLoaded" state and event.
// A few well-known aircraft are built in under short keys, so that a test or
// a demo can switch between them by name.

#include <string>
#include <string_view>
#include <vector>

struct AircraftIdentity {
  std::string key;  // "default", "a32nx", ... or "" for one given by title and path
  std::string title;
  std::string path;
};

// The built-in aircraft, the start aircraft ("default") first.
const std::vector<AircraftIdentity>& BuiltInAircraft();

// The built-in aircraft under `key`, or nullptr.
const AircraftIdentity* FindBuiltInAircraft(std::string_view key);

// The built-in aircraft after the one under `key`, round the table.
const AircraftIdentity& NextBuiltInAircraft(std::string_view key);

// "default, a32nx, ...", for usage and error lines.
std::string BuiltInAircraftKeys();
