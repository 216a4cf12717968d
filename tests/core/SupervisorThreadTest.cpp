// The supervisor on a thread of its own, as the shells run it, with the
// tray state crossing to another thread.

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "panel/PanelMode.h"
#include "tests/support/CoreFixture.h"
#include "tests/support/PanelBytes.h"

namespace {

TEST(SupervisorThread, ConnectsBridgesAndReportsStateAcrossThreads) {
  ResetBridgeState();
  fakehid::PlugIn();
  fakesim::SetSimulatorRunning(true);
  fakehid::QueueReport(PanelBytes(ModeCom1, 0, 1, 0));

  std::atomic<bool> running{true};
  std::thread supervisor([&running] { RunSupervisorWhile(running); });
  // The tray records what the supervisor shows; wait for a connected pass.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  bool connected = false;
  while (!connected && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    connected = faketray::CountShown(TrayConnected) >= 3;
  }
  running = false;
  supervisor.join();

  EXPECT_TRUE(connected);
  EXPECT_EQ(fakesim::Transmissions().size(), 1u);
  ResetBridgeState();
}

}  // namespace
