#include "app/linux/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace {

bool IsWritableFolder(const std::string& path) {
  struct stat info;
  return !path.empty() && path[0] == '/' && stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
         access(path.c_str(), W_OK | X_OK) == 0;
}

std::string FallbackDirectory() {
  const std::string path = "/tmp/vestrel-pelvar-" + std::to_string(getuid());
  return MakePrivateFolder(path) ? path : std::string();
}

}  // namespace

// /tmp is shared with every user: only a folder that is ours alone may hold
// the lock, or someone else could plant a lock file there and keep us out.
bool MakePrivateFolder(const std::string& path) {
  if (mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) return false;
  struct stat info;
  return lstat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) && info.st_uid == getuid() &&
         (info.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

std::string InstanceLockDirectory() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  if (runtime != nullptr && IsWritableFolder(runtime)) return runtime;
  return FallbackDirectory();
}

InstanceLockResult TakeInstanceLock(const std::string& directory, int* heldDescriptor) {
  if (directory.empty()) return InstanceLockResult::Unavailable;
  const std::string path = directory + "/" + kInstanceLockName + ".lock";
  const int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
  if (descriptor < 0) return InstanceLockResult::Unavailable;
  int result;
  do {
    result = flock(descriptor, LOCK_EX | LOCK_NB);
  } while (result != 0 && errno == EINTR);
  if (result != 0) {
    const bool held = errno == EWOULDBLOCK;
    close(descriptor);
    return held ? InstanceLockResult::HeldByAnother : InstanceLockResult::Unavailable;
  }
  if (heldDescriptor != nullptr) *heldDescriptor = descriptor;
  return InstanceLockResult::Acquired;
}
