#pragma once

#include <string>
#include <string_view>

#include "sim/profile/AircraftProfile.h"

namespace profile {

// Reads the TOML text of the profile file `file` into `profile`. On the first
// mistake it returns false, leaving `profile` in no defined state, and sets
// `problem` to one line without its newline: "FILE:LINE:COLUMN: what is
// wrong", with the nearest valid name when a name is misspelt. A profile
// either reads whole or not at all.
bool ReadProfile(std::string_view text, const std::string& file, AircraftProfile* profile, std::string* problem);

}  // namespace profile
