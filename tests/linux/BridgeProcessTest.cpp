// The real bridge executable, started the way a desktop session starts it,
// minus the display: its single-instance lock and its ways out.

#include <gtest/gtest.h>

#include <csignal>
#include <string>

#include "tests/linux/BridgeProcess.h"
#include "tests/linux/TempFolder.h"

namespace {

std::string LockFile(const TempFolder& folder) { return folder.Path() + "/com_vestrel_pelvar.lock"; }

TEST(BridgeProcess, SecondStartLeavesWithCodeOneAndFirstRunsOn) {
  TempFolder folder;
  BridgeProcess first(folder.Path());
  ASSERT_TRUE(WaitUntilLockHolder(LockFile(folder), first.Pid()));

  BridgeProcess second(folder.Path());
  EXPECT_EQ(second.WaitForExit(), 1);
  EXPECT_TRUE(first.Running());
  EXPECT_EQ(LockHolder(LockFile(folder)), first.Pid());
}

TEST(BridgeProcess, KilledHolderLeavesTheLockFree) {
  TempFolder folder;
  BridgeProcess first(folder.Path());
  ASSERT_TRUE(WaitUntilLockHolder(LockFile(folder), first.Pid()));
  first.Signal(SIGKILL);
  EXPECT_EQ(first.WaitForExit(), -2);

  BridgeProcess next(folder.Path());
  EXPECT_TRUE(WaitUntilLockHolder(LockFile(folder), next.Pid()));
  EXPECT_TRUE(next.Running());
}

// Logging out or Ctrl+C take the same way out as "Quit": exit code 0, at
// once, although the supervisor thread is never stopped.
TEST(BridgeProcess, TerminationEndsWithCodeZeroAndFreesTheLock) {
  for (int signal : {SIGTERM, SIGINT}) {
    TempFolder folder;
    BridgeProcess bridge(folder.Path());
    ASSERT_TRUE(WaitUntilLockHolder(LockFile(folder), bridge.Pid()));
    bridge.Signal(signal);
    EXPECT_EQ(bridge.WaitForExit(), 0) << "signal " << signal;
    EXPECT_EQ(LockHolder(LockFile(folder)), 0);
  }
}

// Started from a terminal over ssh or as a user service: no display, no
// platform named. It runs (and bridges) without an icon.
TEST(BridgeProcess, RunsWithoutAnyDisplay) {
  TempFolder folder;
  BridgeProcess bridge(folder.Path(), {}, /*offscreen=*/false);
  ASSERT_TRUE(WaitUntilLockHolder(LockFile(folder), bridge.Pid()));
  bridge.Signal(SIGTERM);
  EXPECT_EQ(bridge.WaitForExit(), 0);
}

TEST(BridgeProcess, CommandLineIsIgnored) {
  TempFolder folder;
  // Qt would act on these (and fail without a display) if it saw them.
  BridgeProcess bridge(folder.Path(), {"-platform", "xcb", "--help", "anything"});
  EXPECT_TRUE(WaitUntilLockHolder(LockFile(folder), bridge.Pid()));
  EXPECT_TRUE(bridge.Running());
}

}  // namespace
