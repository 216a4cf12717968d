#pragma once

// What the tray tells beside its state: the name of the aircraft profile in
// use (a third tooltip line) and the latest profile refused (a one-time
// notification). The supervisor writes, the shell reads, on any thread and
// without a lock: the text sits in atomic words guarded by a sequence
// number, so a reader never sees half of one note and half of another.

#include <cstddef>
#include <cstdint>

constexpr std::size_t kProfileNameSize = 128;     // the tooltip's whole budget
constexpr std::size_t kProfileProblemSize = 256;  // a notification's text

struct TrayNotesSnapshot {
  char profileName[kProfileNameSize];        // "" while no profile applies
  char profileProblem[kProfileProblemSize];  // "" until a profile is refused
  std::uint32_t problemNumber;               // counts refusals; a new one is news
};

// Supervisor thread only. Texts are cut to fit, at a UTF-8 character boundary.
void PublishProfileName(const char* name);
void PublishProfileProblem(const char* line);

// Changes whenever either note does: one atomic load, cheap on every pass.
std::uint32_t TrayNotesVersion();
// Any thread.
void ReadTrayNotes(TrayNotesSnapshot* snapshot);

// Copies `text` into `out` of `size` bytes, cut at a UTF-8 character boundary.
void CopyUtf8Cut(char* out, std::size_t size, const char* text);
