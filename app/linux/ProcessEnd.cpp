#include "app/linux/ProcessEnd.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>

#include <unistd.h>

#include "app/linux/TrayStateBridge.h"

namespace {

std::atomic<void (*)()> finishing{nullptr};

}  // namespace

void FinishBeforeProcessEnd(void (*finish)()) { finishing.store(finish); }

void EndProcess(int code) {
  InstallTrayStateRelay(nullptr);
  if (void (*finish)() = finishing.exchange(nullptr)) finish();
  std::fflush(stdout);
  _exit(code);
}

void EndProcessOnExit() {
  // on_exit (glibc) rather than atexit: it hands over the exit status.
  on_exit([](int status, void*) { EndProcess(status); }, nullptr);
}
