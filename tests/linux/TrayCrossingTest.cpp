// The whole crossing as the bridge wires it: a supervisor stand-in thread
// calls ShowTrayState, the tray icon on the GUI thread changes.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "app/linux/TrayController.h"
#include "app/linux/TrayStateBridge.h"
#include "app/linux/TrayStateRelay.h"
#include "tests/linux/EventLoopWait.h"
#include "tests/linux/TrayLooks.h"

namespace {

TEST(TrayCrossing, SupervisorThreadStatesReachTheIcon) {
  TrayController tray;
  TrayStateRelay relay(TrayStandby);
  QObject::connect(&relay, &TrayStateRelay::StateChanged, &tray, &TrayController::Show);
  InstallTrayStateRelay(&relay);

  for (const Look& look : kLooks) {
    // Passes at full speed, as long as the GUI thread takes to catch up.
    std::atomic<bool> stop{false};
    std::thread supervisor([&] {
      while (!stop) {
        ShowTrayState(look.state);
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    });
    const QString expected = QString::fromUtf8(look.toolTip);
    EXPECT_TRUE(ProcessEventsUntil([&] { return tray.Icon().toolTip() == expected; })) << look.emblem;
    stop = true;
    supervisor.join();
    EXPECT_EQ(Shown(tray.Icon(), 32), CommittedEmblem(look.emblem, 32)) << look.emblem;
  }
  InstallTrayStateRelay(nullptr);
}

}  // namespace
