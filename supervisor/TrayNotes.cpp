#include "supervisor/TrayNotes.h"

#include <atomic>
#include <cstring>

namespace {

constexpr std::size_t kWords = (kProfileNameSize + kProfileProblemSize) / sizeof(std::uint64_t);
static_assert((kProfileNameSize + kProfileProblemSize) % sizeof(std::uint64_t) == 0, "whole words");

// Plain atomics with constant initialisation: nothing here runs at exit.
std::atomic<std::uint32_t> sequence{0};  // odd while a write is under way
std::atomic<std::uint64_t> words[kWords];
std::atomic<std::uint32_t> problems{0};
// The writer's own copy, on the supervisor thread alone.
char written[kProfileNameSize + kProfileProblemSize];

void PublishWritten(bool newProblem) {
  sequence.fetch_add(1, std::memory_order_acq_rel);
  if (newProblem) problems.fetch_add(1, std::memory_order_relaxed);
  for (std::size_t i = 0; i < kWords; ++i) {
    std::uint64_t word;
    std::memcpy(&word, written + i * sizeof word, sizeof word);
    words[i].store(word, std::memory_order_relaxed);
  }
  sequence.fetch_add(1, std::memory_order_release);
}

}  // namespace

void CopyUtf8Cut(char* out, std::size_t size, const char* text) {
  if (size == 0) return;
  std::size_t length = text != nullptr ? std::strlen(text) : 0;
  if (length >= size) {
    length = size - 1;
    // Back off continuation bytes so no character is cut in half.
    while (length > 0 && (static_cast<unsigned char>(text[length]) & 0xC0) == 0x80) --length;
  }
  for (std::size_t i = 0; i < size; ++i) out[i] = i < length ? text[i] : '\0';
}

void PublishProfileName(const char* name) {
  char cut[kProfileNameSize];
  CopyUtf8Cut(cut, sizeof cut, name);
  if (std::memcmp(cut, written, sizeof cut) == 0) return;
  std::memcpy(written, cut, sizeof cut);
  PublishWritten(false);
}

void PublishProfileProblem(const char* line) {
  CopyUtf8Cut(written + kProfileNameSize, kProfileProblemSize, line);
  PublishWritten(true);
}

std::uint32_t TrayNotesVersion() { return sequence.load(std::memory_order_acquire); }

void ReadTrayNotes(TrayNotesSnapshot* snapshot) {
  char copy[kProfileNameSize + kProfileProblemSize];
  std::uint32_t before;
  std::uint32_t number;
  for (;;) {
    before = sequence.load(std::memory_order_acquire);
    if ((before & 1) != 0) continue;
    number = problems.load(std::memory_order_relaxed);
    for (std::size_t i = 0; i < kWords; ++i) {
      const std::uint64_t word = words[i].load(std::memory_order_relaxed);
      std::memcpy(copy + i * sizeof word, &word, sizeof word);
    }
    // A read-modify-write that changes nothing: its release half keeps the
    // loads above before it, as a fence would (which thread checkers cannot
    // follow).
    if (sequence.fetch_add(0, std::memory_order_acq_rel) == before) break;
  }
  std::memcpy(snapshot->profileName, copy, kProfileNameSize);
  std::memcpy(snapshot->profileProblem, copy + kProfileNameSize, kProfileProblemSize);
  snapshot->profileName[kProfileNameSize - 1] = '\0';
  snapshot->profileProblem[kProfileProblemSize - 1] = '\0';
  snapshot->problemNumber = number;
}
