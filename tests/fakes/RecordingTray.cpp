#include "tests/fakes/RecordingTray.h"

#include <mutex>

namespace faketray {
namespace {
std::mutex& Lock() {
  static std::mutex lock;
  return lock;
}
std::vector<TrayState>& Log() {
  static std::vector<TrayState> log;
  return log;
}
}  // namespace

void Reset() {
  std::lock_guard<std::mutex> guard(Lock());
  Log().clear();
}
const std::vector<TrayState>& Shown() { return Log(); }
int CountShown(TrayState state) {
  std::lock_guard<std::mutex> guard(Lock());
  int count = 0;
  for (TrayState shown : Log()) count += shown == state;
  return count;
}
}  // namespace faketray

void ShowTrayState(TrayState state) {
  std::lock_guard<std::mutex> guard(faketray::Lock());
  faketray::Log().push_back(state);
}
