#pragma once

#include <string_view>

namespace profile {

// Whether `text` matches `pattern` as a whole, ignoring ASCII case: `*`
// stands for any run of characters, `?` for one. With `path` set, `/` and
// `\` match each other, so a pattern works whichever separator the
// simulator reports. Linear in practice: no recursion, one backtrack point.
bool GlobMatches(std::string_view pattern, std::string_view text, bool path);

}  // namespace profile
