#include "app/linux/ProcessEnd.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include "app/linux/TrayStateBridge.h"

void EndProcess(int code) {
  InstallTrayStateRelay(nullptr);
  std::fflush(stdout);
  _exit(code);
}

void EndProcessOnExit() {
  // on_exit (glibc) rather than atexit: it hands over the exit status.
  on_exit([](int status, void*) { EndProcess(status); }, nullptr);
}
