// Hours of a bridge's life compressed into passes: 10,000 panel losses and
// 10,000 simulator losses, with reports before, during and after each, and
// the autopilot lamps changing all along. Run by make soak, not make test.
//
// Checked: every report handled while both sides are connected reaches the
// simulator exactly once and none handled while the simulator is gone does;
// each loss is logged once; afterwards no more file descriptors, panel
// handles, connections or resident memory are held than before.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <dirent.h>
#include <string>

#include "panel/PanelMode.h"
#include "tests/robustness/ConnectedBridge.h"

namespace {

using namespace key;

int OpenFileDescriptors() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (const dirent* entry = readdir(dir)) count += entry->d_name[0] != '.';
    closedir(dir);
    --count;  // the directory stream's own descriptor
  }
  return count;
}

// Resident memory of the process in kB: all of it, and the part that is not
// backed by files (the heap and stacks, where a leak would show; code pages
// of the program and its libraries come and go with the paths taken).
struct Resident {
  long total = 0;
  long anonymous = 0;
};

Resident ResidentKilobytes() {
  long size = 0, resident = 0, shared = 0;
  if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld %ld", &size, &resident, &shared) != 3) resident = shared = 0;
    std::fclose(statm);
  }
  const long pageKb = sysconf(_SC_PAGESIZE) / 1024;
  return {resident * pageKb, (resident - shared) * pageKb};
}

std::size_t Count(const std::string& text, const std::string& line) {
  std::size_t count = 0;
  for (std::size_t at = 0; (at = text.find(line, at)) != std::string::npos; at += line.size()) ++count;
  return count;
}

constexpr int kLossesEach = 10000;

// The sanitizers hold on to freed memory for a while to catch late uses, so
// under them resident memory grows by design and says nothing about leaks.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kMemoryIsMeaningful = false;
#else
constexpr bool kMemoryIsMeaningful = true;
#endif

class Soak : public ConnectedBridge {
 protected:
  // The fakes keep a record of every call; dropping it now and then keeps
  // their memory out of the figures.
  void ForgetRecords() {
    fakesim::ClearCalls();
    fakehid::ClearWrites();
    faketray::Reset();
  }

  // Reports of one, two or three knob steps; each step is one event.
  int QueueSteps(int cycle) {
    const int reports = 1 + cycle % 3;
    for (int i = 0; i < reports; ++i) fakehid::QueueReport(PanelBytes(ModeCom1, 0, i % 2 ? -1 : 1, 0));
    fakehid::QueueReport(PanelBytes(ModeCom1));
    return reports;
  }

  std::size_t Transmitted() { return fakesim::Transmissions().size(); }

  // One cycle: reports while connected, a loss with reports during it, and
  // the reconnection. Returns the events that must have been sent.
  void Cycle(int cycle, bool losePanel, long* expected, long* sent) {
    if (!(deviceOpen && simConnected)) SupervisorPass();
    ASSERT_TRUE(deviceOpen && simConnected) << "cycle " << cycle;

    // The autopilot master flips every cycle, so the lamps are rewritten.
    Aircraft aircraft;
    aircraft.flags[0] = cycle % 2;
    fakesim::QueueMessage(aircraft.Request0());
    fakesim::QueueMessage(aircraft.Request1());
    *expected += QueueSteps(cycle);
    SupervisorPass();
    *sent += static_cast<long>(Transmitted());
    ASSERT_EQ(*sent, *expected) << "cycle " << cycle;
    ForgetRecords();

    if (losePanel) {
      fakehid::Unplug();  // its queued reports go with it
      SupervisorPass();
      ASSERT_FALSE(deviceOpen);
      SupervisorPass();  // still unplugged: waiting, simulator neither dispatched nor closed
      fakehid::PlugIn();
      SupervisorPass();  // reopened; nothing read on the opening pass
    } else {
      fakesim::SetSimulatorRunning(false);
      fakesim::FailNextDispatch();
      QueueSteps(cycle);  // waits: a failed dispatch ends the pass before the panel is read
      SupervisorPass();
      ASSERT_FALSE(simConnected);
      SupervisorPass();  // standby: the queued reports are read and reach nobody
      QueueSteps(cycle);
      SupervisorPass();
      fakesim::SetSimulatorRunning(true);
    }
    ASSERT_EQ(Transmitted(), 0u) << "sent while disconnected, cycle " << cycle;
    ASSERT_LE(fakehid::OpenHandles(), 1);
    ASSERT_LE(fakesim::OpenConnections(), 1);
    ForgetRecords();
  }
};

TEST_F(Soak, TenThousandLossesOfEachSideLeakNothingAndLoseNoCommand) {
  ::testing::internal::CaptureStdout();
  long expected = 0, sent = 0;
  // Warm up, so that the allocator and the fakes have grown to their working size.
  for (int cycle = 0; cycle < 200; ++cycle) Cycle(cycle, cycle % 2 == 0, &expected, &sent);
  const int fdsBefore = OpenFileDescriptors();
  const Resident residentBefore = ResidentKilobytes();

  for (int cycle = 0; cycle < 2 * kLossesEach; ++cycle) {
    Cycle(cycle, cycle % 2 == 0, &expected, &sent);
    if (HasFatalFailure()) break;
  }
  if (!(deviceOpen && simConnected)) SupervisorPass();

  const int fdsAfter = OpenFileDescriptors();
  const Resident residentAfter = ResidentKilobytes();
  const std::string output = ::testing::internal::GetCapturedStdout();

  std::printf("soak: %d panel losses, %d simulator losses, %ld events sent of %ld expected\n", kLossesEach,
              kLossesEach, sent, expected);
  std::printf("soak: file descriptors %d -> %d, resident memory %ld kB -> %ld kB (not file-backed %ld kB -> %ld kB)\n",
              fdsBefore, fdsAfter, residentBefore.total, residentAfter.total, residentBefore.anonymous,
              residentAfter.anonymous);
  RecordProperty("fd_before", fdsBefore);
  RecordProperty("fd_after", fdsAfter);
  RecordProperty("rss_kb_before", static_cast<int>(residentBefore.total));
  RecordProperty("rss_kb_after", static_cast<int>(residentAfter.total));
  RecordProperty("anon_rss_kb_before", static_cast<int>(residentBefore.anonymous));
  RecordProperty("anon_rss_kb_after", static_cast<int>(residentAfter.anonymous));

  EXPECT_EQ(sent, expected);
  EXPECT_EQ(fakesim::CallsOnClosedHandles(), 0);
  // 200 warm-up cycles lose each side 100 times as well.
  EXPECT_EQ(Count(output, "Connection to Dorvik lost\n"), static_cast<std::size_t>(kLossesEach + 100));
  EXPECT_EQ(Count(output, "Connection to MSFS lost\n"), static_cast<std::size_t>(kLossesEach + 100));
  EXPECT_EQ(fdsAfter, fdsBefore);
  EXPECT_EQ(fakehid::OpenHandles(), 1);
  EXPECT_EQ(fakesim::OpenConnections(), 1);
  // A leak of even one small allocation per loss would show as hundreds of
  // kilobytes of heap; the allocator's own slack stays well below that.
  if (kMemoryIsMeaningful) {
    EXPECT_LT(residentAfter.anonymous - residentBefore.anonymous, 64);
  }
}

}  // namespace
