// Preloaded into the bridge by the waiting benchmark: forwards hid_open to
// hidapi and appends, for each call, its CLOCK_MONOTONIC start time and the
// CPU time it took (its thread's), in seconds, to the file named by
// VP_HID_OPEN_LOG.

#define _GNU_SOURCE
#include <dlfcn.h>
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>
#include <unistd.h>
#include <wchar.h>

typedef struct hid_device_ hid_device;

hid_device* hid_open(unsigned short vendor, unsigned short product, const wchar_t* serial) {
  static hid_device* (*real)(unsigned short, unsigned short, const wchar_t*);
  if (real == NULL)
    real = (hid_device * (*)(unsigned short, unsigned short, const wchar_t*)) dlsym(RTLD_NEXT, "hid_open");
  struct timespec now, cpuBefore, cpuAfter;
  clock_gettime(CLOCK_MONOTONIC, &now);
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuBefore);
  hid_device* device = real(vendor, product, serial);
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuAfter);
  const double cpu = (double)(cpuAfter.tv_sec - cpuBefore.tv_sec) + (cpuAfter.tv_nsec - cpuBefore.tv_nsec) / 1e9;
  const char* log = getenv("VP_HID_OPEN_LOG");
  if (log != NULL) {
    const int file = open(log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (file >= 0) {
      char line[64];
      const int length = snprintf(line, sizeof line, "%lld.%09ld %.6f\n", (long long)now.tv_sec, now.tv_nsec, cpu);
      if (write(file, line, (size_t)length) < 0) {
        // Nothing to do: a lost line shows as a missing call in the report.
      }
      close(file);
    }
  }
  return device;
}
