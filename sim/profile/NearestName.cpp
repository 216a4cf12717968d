#include "sim/profile/NearestName.h"

#include <algorithm>
#include <cstddef>

#include "sim/profile/ProfileFunctions.h"

namespace profile {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Levenshtein distance with one row; names here are short (under 40), and
// longer input is cut there, which keeps a pasted paragraph cheap.
std::size_t EditDistance(std::string_view a, std::string_view b) {
  constexpr std::size_t kLongest = 48;
  a = a.substr(0, kLongest);
  b = b.substr(0, kLongest);
  std::size_t row[kLongest + 1] = {};
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const std::size_t substitution = diagonal + (Lower(a[i - 1]) == Lower(b[j - 1]) ? 0 : 1);
      row[j] = std::min({above + 1, row[j - 1] + 1, substitution});
      diagonal = above;
    }
  }
  return row[b.size()];
}

template <typename NameAt>
const char* Nearest(std::string_view typed, std::size_t count, NameAt nameAt) {
  const char* best = nullptr;
  std::size_t bestDistance = 0;
  for (std::size_t i = 0; i < count; ++i) {
    const char* name = nameAt(i);
    const std::size_t distance = EditDistance(typed, name);
    if (best == nullptr || distance < bestDistance) {
      best = name;
      bestDistance = distance;
    }
  }
  // A third of the name may be wrong, and never fewer than two letters.
  const std::size_t allowed = std::max<std::size_t>(2, typed.size() / 3);
  return best != nullptr && bestDistance <= allowed ? best : nullptr;
}

}  // namespace

const char* NearestName(std::string_view typed, const char* const* candidates) {
  std::size_t count = 0;
  while (candidates[count] != nullptr) ++count;
  return Nearest(typed, count, [candidates](std::size_t i) { return candidates[i]; });
}

const char* NearestFunctionName(std::string_view typed) { return Nearest(typed, kFunctionCount, FunctionName); }
const char* NearestLampName(std::string_view typed) { return Nearest(typed, kLampCount, LampName); }

}  // namespace profile
