#include "tools/virtualpanel/QuitSignals.h"

#include <csignal>

namespace virtualpanel {

namespace {

volatile std::sig_atomic_t quitRequested = 0;

void RequestQuit(int) { quitRequested = 1; }

}  // namespace

void InstallQuitSignals() {
  struct sigaction action {};
  action.sa_handler = RequestQuit;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
  std::signal(SIGPIPE, SIG_IGN);
}

bool QuitRequested() { return quitRequested != 0; }

}  // namespace virtualpanel
