// The bridge's way of ending, cut down to its simulator half: a detached
// thread connects the network client to the simulator named by the
// SimConnect.cfg in the working folder, then dispatches into the data mirror
// every pass, as the supervisor does; the main thread calls exit() under it,
// DELAY milliseconds after the thread's second dispatch.
//   usage: exit_during_dispatch DELAY

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "sim/FlightSimInterfaceMSFS.h"
#include "supervisor/SupervisorThread.h"

namespace {

// Relaxed on purpose: an ordering counter would tell the thread checker that
// the thread's accesses come before exit(), hiding the very race looked for.
std::atomic<int> dispatches{0};

[[noreturn]] void Supervise() {
  SimConnectHandle handle = nullptr;
  for (;;) {
    if (handle == nullptr) {
      if (SimConnect_Open(&handle, "Request Data", nullptr, 0, nullptr, 0) >= 0) {
        msfs.connection = &handle;
        msfs.Initialize();
      }
    } else if (SimConnect_CallDispatch(handle, OnSimMessage, nullptr) >= 0) {
      dispatches.fetch_add(1, std::memory_order_relaxed);
    } else {
      SimConnect_Close(handle);
      handle = nullptr;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kSupervisorPeriodMilliseconds));
  }
}

}  // namespace

int main(int argc, char** argv) {
  const int delay = argc == 2 ? std::atoi(argv[1]) : 0;
  std::thread(Supervise).detach();
  while (dispatches.load(std::memory_order_relaxed) < 2) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::this_thread::sleep_for(std::chrono::milliseconds(delay));
  std::exit(0);
}
