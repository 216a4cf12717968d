// The supervisor on a thread of its own, as the shells run it, with the tray
// state crossing to another thread (the TSan stage runs this).

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "panel/PanelMode.h"
#include "tests/support/CoreFixture.h"
#include "tests/support/PanelBytes.h"

TEST_F(CoreTest, SupervisorThreadConnectsBridgesAndReportsStateAcrossThreads) {
  fakehid::PlugIn();
  fakesim::SetSimulatorRunning(true);
  fakehid::QueueReport(PanelBytes(ModeCom1, 0, 1, 0));
  std::atomic<bool> running{true};
  std::thread supervisor([&running] { RunSupervisorWhile(running); });
  // Wait for a few connected passes, as the tray saw them.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (faketray::CountShown(TrayConnected) < 3 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  running = false;
  supervisor.join();
  EXPECT_GE(faketray::CountShown(TrayConnected), 3);
  EXPECT_EQ(fakesim::Transmissions().size(), 1u);
}
