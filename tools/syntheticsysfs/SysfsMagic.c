// Preloaded into the bridge by the waiting benchmark: libudev accepts a /sys
// only when statfs says sysfs, and the benchmark's /sys is a tmpfs in a
// private mount namespace. Anything outside /sys is answered as it is.

#define _GNU_SOURCE
#include <dlfcn.h>
#include <limits.h>
#include <stdio.h>
#include <string.h>
#include <sys/vfs.h>
#include <unistd.h>

#define SYSFS_MAGIC_NUMBER 0x62656572

static int UnderSys(const char* path) { return strncmp(path, "/sys", 4) == 0 && (path[4] == '/' || path[4] == '\0'); }

static int DescriptorUnderSys(int fd) {
  char link[64], path[PATH_MAX];
  snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
  const ssize_t length = readlink(link, path, sizeof path - 1);
  if (length <= 0) return 0;
  path[length] = '\0';
  return UnderSys(path);
}

int fstatfs64(int fd, struct statfs64* buffer) {
  static int (*real)(int, struct statfs64*);
  if (real == NULL) real = (int (*)(int, struct statfs64*))dlsym(RTLD_NEXT, "fstatfs64");
  const int result = real(fd, buffer);
  if (result == 0 && DescriptorUnderSys(fd)) buffer->f_type = SYSFS_MAGIC_NUMBER;
  return result;
}

int fstatfs(int fd, struct statfs* buffer) { return fstatfs64(fd, (struct statfs64*)buffer); }

int statfs64(const char* path, struct statfs64* buffer) {
  static int (*real)(const char*, struct statfs64*);
  if (real == NULL) real = (int (*)(const char*, struct statfs64*))dlsym(RTLD_NEXT, "statfs64");
  const int result = real(path, buffer);
  if (result == 0 && UnderSys(path)) buffer->f_type = SYSFS_MAGIC_NUMBER;
  return result;
}

int statfs(const char* path, struct statfs* buffer) { return statfs64(path, (struct statfs64*)buffer); }
