#include "app/windows/SupervisorStart.h"

#include <windows.h>

#include "supervisor/SupervisorThread.h"

namespace {
// The supervisor's loop takes no argument and never returns; this gives it
// the shape CreateThread expects.
DWORD WINAPI RunSupervisor(LPVOID) { SupervisorThread(); }
}  // namespace

void StartSupervisorThread() {
  HANDLE thread = CreateThread(nullptr, 0, RunSupervisor, nullptr, 0, nullptr);
  if (thread != nullptr) CloseHandle(thread);
}
