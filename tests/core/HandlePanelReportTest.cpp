// What each knob step and key press asks of the simulator, per mode and
// shift state. Expectations are written from the panel's control tables.

#include <gtest/gtest.h>

#include "panel/HandlePanelReport.h"
#include "panel/PanelDevice.h"
#include "panel/PanelMode.h"
#include "tests/support/CoreFixture.h"
#include "tests/support/PanelBytes.h"
#include "tests/support/RecordingSimulator.h"

namespace {

struct DispatchCase {
  const char* name;
  int mode;
  bool shift;
  std::uint32_t heldBefore;  // keys of the previous report
  std::uint32_t keys;
  int outer;
  int inner;
  std::vector<SimOp> expected;
  bool shiftAfter;
};

class DispatchTable : public CoreTest, public ::testing::WithParamInterface<DispatchCase> {};

TEST_P(DispatchTable, CallsExactlyTheExpectedOperations) {
  const DispatchCase& c = GetParam();
  RecordingSimulator sim;
  PanelDevice.simulator = &sim;
  PanelDevice.mode = static_cast<std::uint8_t>(c.mode);
  PanelDevice.shift = c.shift;
  PanelDevice.lastReport.keys = c.heldBefore;
  HandlePanelReport(PanelReport{c.keys, static_cast<std::uint8_t>(c.mode), static_cast<std::int8_t>(c.outer),
                                static_cast<std::int8_t>(c.inner)});
  EXPECT_EQ(sim.ops, c.expected);
  EXPECT_EQ(PanelDevice.shift, c.shiftAfter);
}

std::string CaseName(const ::testing::TestParamInfo<DispatchCase>& info) { return info.param.name; }

using namespace key;

// Knobs: mode x shift -> operation and unit; counts pass through unchanged.
INSTANTIATE_TEST_SUITE_P(Knobs, DispatchTable, ::testing::Values(
    DispatchCase{"Com1", 0, false, 0, 0, 2, -1, {{"TuneCom", 1, 2, -1}}, false},
    DispatchCase{"Com1Shift", 0, true, 0, 0, 1, 0, {{"AdjustHeadingBug", 1, 1, 0}}, true},
    DispatchCase{"Com2", 1, false, 0, 0, 0, 3, {{"TuneCom", 2, 0, 3}}, false},
    DispatchCase{"Com2Shift", 1, true, 0, 0, -1, 0, {{"AdjustBaro", 1, -1, 0}}, true},
    DispatchCase{"Nav1", 2, false, 0, 0, 1, 0, {{"TuneNav", 1, 1, 0}}, false},
    DispatchCase{"Nav1Shift", 2, true, 0, 0, 0, -5, {{"AdjustCourse", 1, 0, -5}}, true},
    DispatchCase{"Nav2", 3, false, 0, 0, -3, 2, {{"TuneNav", 2, -3, 2}}, false},
    DispatchCase{"Nav2Shift", 3, true, 0, 0, 4, 0, {{"AdjustCourse", 2, 4, 0}}, true},
    DispatchCase{"Fms1", 4, false, 0, 0, 1, -1, {{"TurnFmsKnobs", 1, 1, -1}}, false},
    DispatchCase{"Fms1Shift", 4, true, 0, 0, 1, 0, {{"TurnFmsKnobs", 1, 1, 0}}, true},
    DispatchCase{"Fms1SwapHeldIsRange", 4, false, kSwap, kSwap, 1, 0, {{"TurnRangeKnob", 1, 1, 0}}, false},
    DispatchCase{"Fms1SwapPressedWithKnobIsRangeOnly", 4, false, 0, kSwap, 1, 0, {{"TurnRangeKnob", 1, 1, 0}}, false},
    DispatchCase{"Fms2", 5, false, 0, 0, 0, 1, {{"TurnFmsKnobs", 2, 0, 1}}, false},
    DispatchCase{"Fms2SwapHeldIsRange", 5, true, kSwap, kSwap, -2, 0, {{"TurnRangeKnob", 2, -2, 0}}, true},
    DispatchCase{"Autopilot", 6, false, 0, 0, 1, -1, {{"AdjustAltitude", 1, 1, -1}}, false},
    DispatchCase{"AutopilotShift", 6, true, 0, 0, 1, 0, {{"AdjustAltitude", 1, 1, 0}}, true},
    DispatchCase{"Transponder", 7, false, 0, 0, 1, 0, {{"AdjustTransponder", 1, 1, 0}}, false},
    DispatchCase{"TransponderShiftIsUnit2", 7, true, 0, 0, 1, 0, {{"AdjustTransponder", 2, 1, 0}}, true},
    DispatchCase{"NoStepsNoCall", 0, false, 0, 0, 0, 0, {}, false},
    DispatchCase{"NoStepsInNavigatorMode", 4, false, kSwap, kSwap, 0, 0, {}, false},
    DispatchCase{"ExtremeCountsPassThrough", 0, false, 0, 0, -128, 127, {{"TuneCom", 1, -128, 127}}, false},
    DispatchCase{"Mode8KnobsDoNothing", 8, false, 0, 0, 1, 1, {}, false},
    DispatchCase{"Mode255KnobsDoNothing", 255, true, 0, 0, -1, 0, {}, true}),
    CaseName);

// The knob push toggles shift, or pushes the navigator's small knob.
INSTANTIATE_TEST_SUITE_P(KnobPush, DispatchTable, ::testing::Values(
    DispatchCase{"Com1TurnsShiftOn", 0, false, 0, kPush, 0, 0, {}, true},
    DispatchCase{"Com1TurnsShiftOff", 0, true, 0, kPush, 0, 0, {}, false},
    DispatchCase{"HeldPushDoesNotToggleAgain", 0, true, kPush, kPush, 0, 0, {}, true},
    DispatchCase{"Fms1PushesNavigator1", 4, false, 0, kPush, 0, 0, {Press(0)}, false},
    DispatchCase{"Fms2PushesNavigator2", 5, true, 0, kPush, 0, 0, {Press(11)}, true},
    DispatchCase{"Mode9Toggles", 9, false, 0, kPush, 0, 0, {}, true},
    // Knobs of the same report still use the shift state from before.
    DispatchCase{"KnobsBeforeToggle", 0, false, 0, kPush, 1, 0, {{"TuneCom", 1, 1, 0}}, true}),
    CaseName);

// The swap key, including the shift it sees after a push in the same report.
INSTANTIATE_TEST_SUITE_P(SwapKey, DispatchTable, ::testing::Values(
    DispatchCase{"Com1Swap", 0, false, 0, kSwap, 0, 0, {Press(29)}, false},
    DispatchCase{"Com1HeadingSync", 0, true, 0, kSwap, 0, 0, {Press(34)}, true},
    DispatchCase{"Com2Swap", 1, false, 0, kSwap, 0, 0, {Press(30)}, false},
    DispatchCase{"Com2StandardPressure", 1, true, 0, kSwap, 0, 0, {Press(33)}, true},
    DispatchCase{"Nav1Swap", 2, false, 0, kSwap, 0, 0, {Press(31)}, false},
    DispatchCase{"Nav1SwapShift", 2, true, 0, kSwap, 0, 0, {Press(31)}, true},
    DispatchCase{"Nav2Swap", 3, true, 0, kSwap, 0, 0, {Press(32)}, true},
    DispatchCase{"Fms1Nothing", 4, false, 0, kSwap, 0, 0, {}, false},
    DispatchCase{"Fms2Nothing", 5, false, 0, kSwap, 0, 0, {}, false},
    DispatchCase{"AutopilotFlc", 6, true, 0, kSwap, 0, 0, {Press(28)}, true},
    DispatchCase{"TransponderIdent", 7, false, 0, kSwap, 0, 0, {Press(35)}, false},
    DispatchCase{"Mode9Nothing", 9, false, 0, kSwap, 0, 0, {}, false},
    DispatchCase{"HeldSwapFiresOnce", 0, false, kSwap, kSwap, 0, 0, {}, false},
    DispatchCase{"PushThenSwapCom1", 0, false, 0, kPush | kSwap, 0, 0, {Press(34)}, true},
    DispatchCase{"PushThenSwapCom2", 1, false, 0, kPush | kSwap, 0, 0, {Press(33)}, true},
    DispatchCase{"PushOffThenSwapCom1", 0, true, 0, kPush | kSwap, 0, 0, {Press(29)}, false}),
    CaseName);

constexpr std::uint32_t kAutopilotKeys = kApMaster | kHeading | kNav | kApproach | kAltitude | kVerticalSpeed;
constexpr std::uint32_t kNavigatorKeys = kDirectTo | kMenu | kClear | kEnter;

// Function keys: autopilot everywhere but the navigator modes.
INSTANTIATE_TEST_SUITE_P(FunctionKeys, DispatchTable, ::testing::Values(
    DispatchCase{"AutopilotKeysInCom1", 0, false, 0, kAutopilotKeys,
                 0, 0, {Press(22), Press(23), Press(24), Press(25), Press(26), Press(27)}, false},
    DispatchCase{"AutopilotKeysInMode200", 200, false, 0, kAutopilotKeys,
                 0, 0, {Press(22), Press(23), Press(24), Press(25), Press(26), Press(27)}, false},
    DispatchCase{"Navigator1Keys", 4, false, 0, kAutopilotKeys | kNavigatorKeys, 0, 0,
                 {Press(5), Press(6), Press(7), Press(8), Press(9), Press(10), Press(1), Press(2), Press(3), Press(4)},
                 false},
    DispatchCase{"Navigator2Keys", 5, false, 0, kAutopilotKeys | kNavigatorKeys, 0, 0,
                 {Press(16), Press(17), Press(18), Press(19), Press(20), Press(21), Press(12), Press(13), Press(14),
                  Press(15)},
                 false},
    DispatchCase{"CdiThenDirectToInFms2", 5, false, 0, kApMaster | kDirectTo, 0, 0, {Press(16), Press(12)}, false},
    DispatchCase{"NavigatorKeysDoNothingInCom1", 0, false, 0, kNavigatorKeys, 0, 0, {}, false},
    DispatchCase{"HeldKeysDoNotRepeat", 6, false, kApMaster | kHeading, kApMaster | kHeading | kNav, 0, 0,
                 {Press(24)}, false},
    DispatchCase{"ReleaseDoesNothing", 6, false, kApMaster, 0, 0, 0, {}, false},
    DispatchCase{"UnlistedBitsIgnored", 0, false, 0, 0xFFF03C0Fu, 0, 0, {}, false},
    // Everything at once: knobs first, then push, swap and function keys.
    DispatchCase{"AllOnesInCom1", 0, false, 0, 0xFFFFFFFFu, 1, 1,
                 {{"TuneCom", 1, 1, 1}, Press(34), Press(22), Press(23), Press(24), Press(25), Press(26), Press(27)},
                 true},
    DispatchCase{"AllOnesInFms1", 4, false, 0, 0xFFFFFFFFu, -1, 0,
                 {{"TurnRangeKnob", 1, -1, 0}, Press(0), Press(5), Press(6), Press(7), Press(8), Press(9), Press(10),
                  Press(1), Press(2), Press(3), Press(4)},
                 false}),
    CaseName);

TEST_F(CoreTest, ShiftPersistsUntilTheNextPush) {
  RecordingSimulator sim;
  PanelDevice.simulator = &sim;
  AcceptPanelReport(PanelBytes(ModeCom1, key::kPush).data(), 8);
  AcceptPanelReport(PanelBytes(ModeCom1, 0, 1, 0).data(), 8);
  AcceptPanelReport(PanelBytes(ModeCom1, 0, 0, 1).data(), 8);
  AcceptPanelReport(PanelBytes(ModeCom1, key::kPush).data(), 8);
  AcceptPanelReport(PanelBytes(ModeCom1, 0, 1, 0).data(), 8);
  EXPECT_EQ(sim.ops, (std::vector<SimOp>{{"AdjustHeadingBug", 1, 1, 0},
                                         {"AdjustHeadingBug", 1, 0, 1},
                                         {"TuneCom", 1, 1, 0}}));
}

}  // namespace
