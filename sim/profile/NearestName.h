#pragma once

#include <string_view>

namespace profile {

// The name among `candidates` (ended by a null) closest to `typed` by edit
// distance, ignoring case, when it is close enough to be a slip of the
// fingers; null otherwise.
const char* NearestName(std::string_view typed, const char* const* candidates);

// The same over the profile's function (or lamp) names.
const char* NearestFunctionName(std::string_view typed);
const char* NearestLampName(std::string_view typed);

}  // namespace profile
