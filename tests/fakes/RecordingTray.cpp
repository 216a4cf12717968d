#include "tests/fakes/RecordingTray.h"

#include <algorithm>
#include <mutex>

namespace faketray {
namespace {
struct {
  std::mutex lock;
  std::vector<TrayState> shown;
} tray;
}  // namespace

void Reset() {
  std::lock_guard<std::mutex> guard(tray.lock);
  tray.shown.clear();
}
const std::vector<TrayState>& Shown() { return tray.shown; }
int CountShown(TrayState state) {
  std::lock_guard<std::mutex> guard(tray.lock);
  return static_cast<int>(std::count(tray.shown.begin(), tray.shown.end(), state));
}
}  // namespace faketray

void ShowTrayState(TrayState state) {
  std::lock_guard<std::mutex> guard(faketray::tray.lock);
  faketray::tray.shown.push_back(state);
}
