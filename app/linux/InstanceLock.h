#pragma once

#include <string>

// One bridge per desktop user: the first instance holds an exclusive flock on
// a file named after the lock name in the user's runtime folder. The kernel
// drops the lock when its holder ends, however it ends, so a crashed bridge
// never blocks the next start.

inline constexpr const char* kInstanceLockName = "com_vestrel_pelvar";

enum class InstanceLockResult {
  Acquired,       // this process is the only instance
  HeldByAnother,  // another process holds the lock: this one must leave
  Unavailable,    // no lock could be made; start-up goes on without one
};

// The folder for the lock: $XDG_RUNTIME_DIR when it names a folder we can
// write to, otherwise /tmp/vestrel-pelvar-<uid>, created private (0700) and
// accepted only when it is a real folder owned by us that nobody else can
// write to. Returns an empty string when neither is usable.
std::string InstanceLockDirectory();

// Creates `path` as a private folder (0700) if it is missing. True when it
// then is a real folder (no symbolic link) owned by this user that no one
// else may write to.
bool MakePrivateFolder(const std::string& path);

// Takes the lock in `directory`. On success the lock's file descriptor is
// left open on purpose (close-on-exec) for the rest of the process; when
// `heldDescriptor` is not null it receives that descriptor, so a caller that
// must give the lock back (a test) can close it.
InstanceLockResult TakeInstanceLock(const std::string& directory, int* heldDescriptor = nullptr);
