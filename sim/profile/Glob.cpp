#include "sim/profile/Glob.h"

namespace profile {

namespace {

char Fold(char c, bool path) {
  if (c >= 'A' && c <= 'Z') return static_cast<char>(c - 'A' + 'a');
  if (path && c == '\\') return '/';
  return c;
}

}  // namespace

bool GlobMatches(std::string_view pattern, std::string_view text, bool path) {
  std::size_t p = 0;
  std::size_t t = 0;
  // Where the last `*` was, and the text position it currently swallows up to.
  std::size_t starAt = std::string_view::npos;
  std::size_t starText = 0;
  while (t < text.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starAt = p++;
      starText = t;
    } else if (p < pattern.size() && (pattern[p] == '?' || Fold(pattern[p], path) == Fold(text[t], path))) {
      ++p;
      ++t;
    } else if (starAt != std::string_view::npos) {
      p = starAt + 1;
      t = ++starText;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace profile
