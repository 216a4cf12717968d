// Preloaded into the bridge with a synthetic /sys: libudev accepts a /sys only
// when statfs says sysfs, and the synthetic one is a tmpfs in a private mount
// namespace. A file system is told apart by its id, which statfs gives for
// free, so that a call costs what it costs on a real sysfs; anything outside
// /sys is answered as it is.

#define _GNU_SOURCE
#include <dlfcn.h>
#include <string.h>
#include <sys/vfs.h>

#define SYSFS_MAGIC_NUMBER 0x62656572

static int (*realStatfs)(const char*, struct statfs64*);
static int (*realFstatfs)(int, struct statfs64*);

static int IsSynthetic(const struct statfs64* buffer) {
  static int known;
  static __fsid_t synthetic;
  if (!known) {
    struct statfs64 sys;
    if (realStatfs == NULL) realStatfs = (int (*)(const char*, struct statfs64*))dlsym(RTLD_NEXT, "statfs64");
    if (realStatfs("/sys", &sys) != 0) return 0;
    synthetic = sys.f_fsid;
    known = 1;
  }
  return memcmp(&buffer->f_fsid, &synthetic, sizeof synthetic) == 0;
}

int fstatfs64(int fd, struct statfs64* buffer) {
  if (realFstatfs == NULL) realFstatfs = (int (*)(int, struct statfs64*))dlsym(RTLD_NEXT, "fstatfs64");
  const int result = realFstatfs(fd, buffer);
  if (result == 0 && IsSynthetic(buffer)) buffer->f_type = SYSFS_MAGIC_NUMBER;
  return result;
}

int fstatfs(int fd, struct statfs* buffer) { return fstatfs64(fd, (struct statfs64*)buffer); }

int statfs64(const char* path, struct statfs64* buffer) {
  if (realStatfs == NULL) realStatfs = (int (*)(const char*, struct statfs64*))dlsym(RTLD_NEXT, "statfs64");
  const int result = realStatfs(path, buffer);
  if (result == 0 && IsSynthetic(buffer)) buffer->f_type = SYSFS_MAGIC_NUMBER;
  return result;
}

int statfs(const char* path, struct statfs* buffer) { return statfs64(path, (struct statfs64*)buffer); }
