#include "app/linux/ProcessEnd.h"

#include <cstdio>

#include <unistd.h>

#include "app/linux/TrayStateBridge.h"

void EndProcess(int code) {
  InstallTrayStateRelay(nullptr);
  std::fflush(stdout);
  _exit(code);
}
