// The Qt shell's side of ShowTrayState: the supervisor thread's only way
// into the GUI.

#include "app/linux/TrayStateBridge.h"

#include <atomic>

#include "app/linux/TrayStateRelay.h"
#include "supervisor/TrayState.h"

namespace {
std::atomic<TrayStateRelay*> installedRelay{nullptr};
}

void InstallTrayStateRelay(TrayStateRelay* relay) { installedRelay.store(relay, std::memory_order_release); }

void ShowTrayState(TrayState state) {
  TrayStateRelay* relay = installedRelay.load(std::memory_order_acquire);
  if (relay != nullptr) relay->Request(state);
}
