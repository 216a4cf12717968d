#include "app/linux/SupervisorRunner.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "supervisor/SupervisorThread.h"

namespace {

std::atomic<bool> supervising{true};
std::mutex stopMutex;
std::condition_variable stopSignal;
bool stopped = true;  // until started

}  // namespace

void StartSupervisor() {
  {
    std::lock_guard<std::mutex> lock(stopMutex);
    stopped = false;
  }
  std::thread([] {
    RunSupervisorWhile(supervising);
    {
      std::lock_guard<std::mutex> lock(stopMutex);
      stopped = true;
    }
    stopSignal.notify_all();
  }).detach();
}

bool StopSupervisor(std::chrono::milliseconds bound) {
  supervising.store(false, std::memory_order_relaxed);
  std::unique_lock<std::mutex> lock(stopMutex);
  return stopSignal.wait_for(lock, bound, [] { return stopped; });
}
