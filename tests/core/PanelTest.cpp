// Report bytes in, simulator-interface calls out: decoding, the drain of the
// panel's queue, mode and shift tracking, and the routing of every knob and
// key by mode and shift.

#include <gtest/gtest.h>

#include "panel/PanelDevice.h"
#include "panel/PanelMode.h"
#include "tests/support/CoreFixture.h"
#include "tests/support/PanelBytes.h"
#include "tests/support/RecordingSimulator.h"

namespace {

using namespace key;
using Ops = std::vector<std::string>;

constexpr std::uint32_t kAutopilotKeys = kApMaster | kHeading | kNav | kApproach | kAltitude | kVerticalSpeed;
constexpr std::uint32_t kNavigatorKeys = kDirectTo | kMenu | kClear | kEnter;
const Ops kAutopilotPresses = {Press(22), Press(23), Press(24), Press(25), Press(26), Press(27)};

// Mode (of this report and the one before), shift before, keys of the report
// before, keys, knob steps, the calls, shift after.
const struct Route {
  std::uint8_t mode;
  bool shift;
  std::uint32_t held, keys;
  int outer, inner;
  Ops ops;
  bool shiftAfter;
  // clang-format off
} kRoutes[] = {
    // Knobs: mode x shift picks the operation and unit; counts pass unchanged.
    {ModeCom1, false, 0, 0, +2, -1, {"TuneCom 1 2 -1"}, false},
    {ModeCom1, true, 0, 0, 1, 0, {"AdjustHeadingBug 1 1 0"}, true},
    {ModeCom2, false, 0, 0, -1, 3, {"TuneCom 2 -1 3"}, false},
    {ModeCom2, true, 0, 0, -1, 0, {"AdjustBaro 1 -1 0"}, true},
    {ModeNav1, false, 0, 0, 1, 0, {"TuneNav 1 1 0"}, false},
    {ModeNav1, true, 0, 0, 0, -5, {"AdjustCourse 1 0 -5"}, true},
    {ModeNav2, false, 0, 0, -3, 2, {"TuneNav 2 -3 2"}, false},
    {ModeNav2, true, 0, 0, 4, 0, {"AdjustCourse 2 4 0"}, true},
    {ModeFms1, true, 0, 0, 1, -1, {"TurnFmsKnobs 1 1 -1"}, true},
    {ModeFms1, false, kSwap, kSwap, 1, 0, {"TurnRangeKnob 1 1 0"}, false},  // swap held: range
    {ModeFms2, false, 0, 0, 0, 1, {"TurnFmsKnobs 2 0 1"}, false},
    {ModeFms2, true, 0, kSwap, -2, 0, {"TurnRangeKnob 2 -2 0"}, true},  // its press itself sends nothing
    {ModeAutopilot, true, 0, 0, 1, -1, {"AdjustAltitude 1 1 -1"}, true},
    {ModeTransponder, false, 0, 0, 1, 0, {"AdjustTransponder 1 1 0"}, false},
    {ModeTransponder, true, 0, 0, 1, 0, {"AdjustTransponder 2 1 0"}, true},
    {ModeCom1, false, 0, 0, -128, 127, {"TuneCom 1 -128 127"}, false},
    {8, false, 0, 0, 1, 1, {}, false}, {255, true, 0, 0, -1, 0, {}, true},
    // Knob push: toggles shift after this report's knobs, or pushes the
    // navigator's small knob.
    {ModeCom1, false, 0, kPush, 1, 0, {"TuneCom 1 1 0"}, true}, {ModeCom1, true, 0, kPush, 0, 0, {}, false},
    {ModeCom1, true, kPush, kPush, 0, 0, {}, true}, {9, false, 0, kPush, 0, 0, {}, true},
    {ModeFms1, false, 0, kPush, 0, 0, {Press(0)}, false}, {ModeFms2, true, 0, kPush, 0, 0, {Press(11)}, true},
    // Swap key, seeing the shift of a push in the same report.
    {ModeCom1, false, 0, kSwap, 0, 0, {Press(29)}, false}, {ModeCom1, true, 0, kSwap, 0, 0, {Press(34)}, true},
    {ModeCom2, false, 0, kSwap, 0, 0, {Press(30)}, false}, {ModeCom2, true, 0, kSwap, 0, 0, {Press(33)}, true},
    {ModeNav1, true, 0, kSwap, 0, 0, {Press(31)}, true}, {ModeNav2, false, 0, kSwap, 0, 0, {Press(32)}, false},
    {ModeNav2, true, 0, kSwap, 0, 0, {Press(32)}, true},
    {ModeAutopilot, true, 0, kSwap, 0, 0, {Press(28)}, true}, {ModeAutopilot, false, 0, kSwap, 0, 0, {Press(28)}, false},
    {ModeTransponder, false, 0, kSwap, 0, 0, {Press(35)}, false},
    {ModeTransponder, true, 0, kSwap, 0, 0, {Press(35)}, true},
    {ModeFms1, false, 0, kSwap, 0, 0, {}, false}, {9, false, 0, kSwap, 0, 0, {}, false},
    {ModeCom1, false, kSwap, kSwap, 0, 0, {}, false},
    {ModeCom1, false, 0, kPush | kSwap, 0, 0, {Press(34)}, true},
    {ModeCom1, true, 0, kPush | kSwap, 0, 0, {Press(29)}, false},
    // Function keys: autopilot keys everywhere but the navigator modes,
    // navigator keys only there; new presses only, in table order.
    {ModeCom1, false, 0, kAutopilotKeys | kNavigatorKeys, 0, 0, kAutopilotPresses, false},
    {255, false, 0, kAutopilotKeys, 0, 0, kAutopilotPresses, false},
    {ModeFms1, false, 0, kAutopilotKeys | kNavigatorKeys, 0, 0,
     {Press(5), Press(6), Press(7), Press(8), Press(9), Press(10), Press(1), Press(2), Press(3), Press(4)}, false},
    {ModeFms2, false, 0, kAutopilotKeys | kNavigatorKeys, 0, 0,
     {Press(16), Press(17), Press(18), Press(19), Press(20), Press(21), Press(12), Press(13), Press(14), Press(15)},
     false},
    {ModeAutopilot, false, kApMaster | kHeading, kApMaster | kHeading | kNav, 0, 0, {Press(24)}, false},
    {ModeAutopilot, false, kApMaster, 0, 0, 0, {}, false},
    {ModeAutopilot, false, 0, 0xFF000000u, 0, 0, {}, false},  // the fourth key byte means nothing
    {ModeCom1, false, 0, 0xFFFFFFFFu, 1, 1, {"TuneCom 1 1 1", Press(34), Press(22), Press(23), Press(24),
                                            Press(25), Press(26), Press(27)}, true},
};
// clang-format on

class PanelTest : public CoreTest {
 protected:
  RecordingSimulator sim;
  void SetUp() override {
    CoreTest::SetUp();
    PanelDevice.simulator = &sim;
    fakehid::PlugIn();
    PanelDevice.device = hid_open(kPanelVendorId, kPanelProductId, nullptr);
  }
  Ops Read(const std::vector<fakehid::Bytes>& reports, int expectedResult = 0) {
    sim.ops.clear();
    for (const auto& report : reports) fakehid::QueueReport(report);
    EXPECT_EQ(ReadPanelReports(), expectedResult);
    return sim.ops;
  }
};

TEST_F(PanelTest, RoutesEveryKnobAndKeyByModeAndShift) {
  for (const Route& r : kRoutes) {
    SCOPED_TRACE(::testing::Message() << "mode " << int(r.mode) << " shift " << r.shift << " keys " << r.keys);
    sim.ops.clear();
    PanelDevice.mode = r.mode;
    PanelDevice.shift = r.shift;
    PanelDevice.lastReport.keys = r.held;
    AcceptPanelReport(PanelBytes(r.mode, r.keys, r.outer, r.inner).data(), kPanelReportSize);
    EXPECT_EQ(sim.ops, r.ops);
    EXPECT_EQ(PanelDevice.shift, r.shiftAfter);
  }
}

TEST_F(PanelTest, DrainsEveryReportInOrderUntilAReadIsEmptyOrFails) {
  EXPECT_TRUE(Read({}).empty());
  // The second report's new keys are measured against the first's; bytes
  // past the eighth are not looked at; an empty read ends the drain.
  fakehid::Bytes longReport = PanelBytes(ModeCom1, kApMaster | kHeading, 2, 0);
  longReport.resize(64, 0xFF);
  EXPECT_EQ(Read({PanelBytes(ModeCom1, kApMaster, 0, -2), longReport, {}, PanelBytes(ModeCom2, 0, 1, 0)}),
            (Ops{"TuneCom 1 0 -2", Press(22), "TuneCom 1 2 0", Press(23)}));
  fakehid::QueueReadError();
  EXPECT_EQ(Read({PanelBytes(ModeNav1, 0, 1, 0)}, -1), (Ops{"TuneCom 2 1 0"}));
  EXPECT_EQ(Read({}), (Ops{"TuneNav 1 1 0"}));
}

// A report shorter than eight bytes would be read from stale buffer bytes:
// it is dropped without touching any state.
TEST_F(PanelTest, ShortReportsAreDroppedWhole) {
  std::vector<fakehid::Bytes> reports;
  for (std::size_t length = 1; length < 8; ++length) {
    reports.push_back(PanelBytes(ModeNav2, kPush | kSwap, 1, 1));
    reports.back().resize(length);
  }
  reports.push_back(PanelBytes(ModeNav1, kApMaster | kSwap, 1, 0));
  EXPECT_EQ(Read(reports), (Ops{"TuneNav 1 1 0", Press(31), Press(22)}));
  EXPECT_FALSE(PanelDevice.shift);
  EXPECT_EQ(PanelDevice.mode, ModeNav1);
}

}  // namespace
