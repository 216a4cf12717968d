// What the panel can send that it should not, and what the bridge does with
// it, end to end: report bytes queued on the panel, supervisor passes, events
// at the simulator. Each case names the behaviour a pilot can rely on.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panel/PanelMode.h"
#include "tests/robustness/ConnectedBridge.h"

namespace {

using namespace key;
using ReportBytes = std::vector<unsigned char>;

// ---- Report lengths 0 to 64 -----------------------------------------------------

// NAV 1 outer knob one step clockwise with the autopilot key newly pressed,
// padded with 0xFF (or cut) to the length under test.
ReportBytes OfLength(std::size_t length) {
  ReportBytes report = PanelBytes(ModeNav1, kApMaster, +1, 0);
  report.resize(length, 0xFF);
  return report;
}

class ReportLength : public ConnectedBridge, public ::testing::WithParamInterface<int> {};

TEST_P(ReportLength, ShortIsDroppedWholeLongActsOnItsFirstEightBytes) {
  const std::size_t length = static_cast<std::size_t>(GetParam());
  const PanelReport before = PanelDevice.lastReport;
  // A well-formed NAV 1 fine step queued behind it.
  const std::vector<Sent> sent = Panel({OfLength(length), PanelBytes(ModeNav1, 0, 0, +1)});

  if (length >= kPanelReportSize) {
    // Bytes past the eighth are not looked at, whatever they hold.
    EXPECT_EQ(sent, (std::vector<Sent>{{"NAV1_STBY_SET", 0x11150}, {"AP_MASTER", 0}, {"NAV1_STBY_SET", 0x11155}}));
    return;
  }
  if (length == 0) {
    // An empty read means "nothing pending": the drain stops, and the report
    // behind it is handled on the next pass, not lost.
    EXPECT_TRUE(sent.empty());
    EXPECT_EQ(Panel({}), (std::vector<Sent>{{"NAV1_STBY_SET", 0x11055}}));
    return;
  }
  // A short report changes nothing, not even the reference for new key
  // presses; the next report acts as if it were alone.
  EXPECT_EQ(sent, (std::vector<Sent>{{"NAV1_STBY_SET", 0x11055}}));
  EXPECT_EQ(PanelDevice.lastReport.keys, before.keys);
}

INSTANTIATE_TEST_SUITE_P(ZeroTo64Bytes, ReportLength, ::testing::Range(0, 65));

// ---- Mode bytes 8 to 255 --------------------------------------------------------

class UnknownMode : public ConnectedBridge, public ::testing::WithParamInterface<int> {};

TEST_P(UnknownMode, OnlyTheAutopilotKeysAndTheShiftToggleAct) {
  const auto mode = static_cast<std::uint8_t>(GetParam());
  Panel({PanelBytes(ModeCom1, kPush), PanelBytes(ModeCom1)});  // shift on in COM 1
  ASSERT_TRUE(PanelDevice.shift);

  // Every knob and key at once: knobs, swap and navigator keys mean nothing
  // in a mode the panel does not have; the autopilot keys work as in any
  // radio mode, and the push toggles shift (cleared first by the mode change).
  const std::vector<Sent> sent = Panel({PanelBytes(mode, 0xFFFFFFFF, -128, 127)});
  EXPECT_EQ(sent, (std::vector<Sent>{{"AP_MASTER", 0}, {"AP_PANEL_HEADING_HOLD", 0}, {"AP_NAV1_HOLD", 0},
                                     {"AP_APR_HOLD", 0}, {"AP_PANEL_ALTITUDE_HOLD", 0}, {"AP_PANEL_VS_HOLD", 0}}));
  EXPECT_EQ(PanelDevice.mode, mode);
  EXPECT_TRUE(PanelDevice.shift);

  // Back in COM 1 the mode change clears shift: the knob tunes COM 1 again
  // instead of moving the heading bug.
  EXPECT_EQ(Panel({PanelBytes(ModeCom1, 0, +1, 0)}), (std::vector<Sent>{{"COM_RADIO_WHOLE_INC", 1}}));
}

INSTANTIATE_TEST_SUITE_P(EightTo255, UnknownMode, ::testing::Range(8, 256));

// ---- All-ones key masks ---------------------------------------------------------

struct AllKeysRow {
  const char* name;
  int mode;
  std::vector<Sent> expected;  // for every key pressed at once, knobs still
};

const std::vector<Sent> kAutopilotKeys = {{"AP_MASTER", 0},   {"AP_PANEL_HEADING_HOLD", 0}, {"AP_NAV1_HOLD", 0},
                                          {"AP_APR_HOLD", 0}, {"AP_PANEL_ALTITUDE_HOLD", 0}, {"AP_PANEL_VS_HOLD", 0}};

std::vector<Sent> Then(std::vector<Sent> first, const std::vector<Sent>& rest) {
  first.insert(first.end(), rest.begin(), rest.end());
  return first;
}

class AllKeysAtOnce : public ConnectedBridge, public ::testing::WithParamInterface<AllKeysRow> {};

TEST_P(AllKeysAtOnce, EachKeyActsOnceInTableOrderAndHoldingThemDoesNothing) {
  const AllKeysRow& row = GetParam();
  const auto mode = static_cast<std::uint8_t>(row.mode);
  Panel({PanelBytes(mode)});
  EXPECT_EQ(Panel({PanelBytes(mode, 0xFFFFFFFF)}), row.expected);
  EXPECT_TRUE(Panel({PanelBytes(mode, 0xFFFFFFFF)}).empty());  // held, not pressed again
}

INSTANTIATE_TEST_SUITE_P(EveryMode, AllKeysAtOnce, ::testing::Values(
    // The push turns shift on before the swap key is looked at.
    AllKeysRow{"Com1", ModeCom1, Then({{"MobiFlight.AS1000_PFD_HEADING_SYNC", 0}}, kAutopilotKeys)},
    AllKeysRow{"Com2", ModeCom2, Then({{"BAROMETRIC_STD_PRESSURE", 0}}, kAutopilotKeys)},
    AllKeysRow{"Nav1", ModeNav1, Then({{"NAV1_RADIO_SWAP", 0}}, kAutopilotKeys)},
    AllKeysRow{"Nav2", ModeNav2, Then({{"NAV2_RADIO_SWAP", 0}}, kAutopilotKeys)},
    AllKeysRow{"Fms1", ModeFms1, {{"MobiFlight.AS530_RightSmallKnob_Push", 0}, {"MobiFlight.AS1000_PFD_FMS_Upper_PUSH", 0},
                                  {"TOGGLE_GPS_DRIVES_NAV1", 0}, {"<private 71>", 0},
                                  {"MobiFlight.AS530_OBS_Push", 0}, {"<private 72>", 0},
                                  {"MobiFlight.AS530_MSG_Push", 0}, {"<private 73>", 0},
                                  {"MobiFlight.AS530_FPL_Push", 0}, {"MobiFlight.AS1000_PFD_FPL_Push", 0},
                                  {"MobiFlight.AS530_VNAV_Push", 0}, {"<private 75>", 0},
                                  {"MobiFlight.AS530_PROC_Push", 0}, {"MobiFlight.AS1000_PFD_PROC_Push", 0},
                                  {"MobiFlight.AS530_DirectTo_Push", 0}, {"MobiFlight.AS1000_PFD_DIRECTTO", 0},
                                  {"MobiFlight.AS530_MENU_Push", 0}, {"MobiFlight.AS1000_PFD_MENU_Push", 0},
                                  {"MobiFlight.AS530_CLR_Push", 0}, {"MobiFlight.AS1000_PFD_CLR", 0},
                                  {"MobiFlight.AS530_ENT_Push", 0}, {"MobiFlight.AS1000_PFD_ENT_Push", 0}}},
    AllKeysRow{"Fms2", ModeFms2, {{"MobiFlight.AS430_RightSmallKnob_Push", 0}, {"MobiFlight.AS1000_MFD_FMS_Upper_PUSH", 0},
                                  {"MobiFlight.AS430_CDI_Push", 0}, {"<private 82>", 0},
                                  {"MobiFlight.AS430_OBS_Push", 0}, {"<private 83>", 0},
                                  {"MobiFlight.AS430_MSG_Push", 0}, {"<private 84>", 0},
                                  {"MobiFlight.AS430_FPL_Push", 0}, {"MobiFlight.AS1000_MFD_FPL_Push", 0},
                                  {"MobiFlight.AS430_VNAV_Push", 0}, {"<private 86>", 0},
                                  {"MobiFlight.AS430_PROC_Push", 0}, {"MobiFlight.AS1000_MFD_PROC_Push", 0},
                                  {"MobiFlight.AS430_DirectTo_Push", 0}, {"MobiFlight.AS1000_MFD_DIRECTTO", 0},
                                  {"MobiFlight.AS430_MENU_Push", 0}, {"MobiFlight.AS1000_MFD_MENU_Push", 0},
                                  {"MobiFlight.AS430_CLR_Push", 0}, {"MobiFlight.AS1000_MFD_CLR", 0},
                                  {"MobiFlight.AS430_ENT_Push", 0}, {"MobiFlight.AS1000_MFD_ENT_Push", 0}}},
    AllKeysRow{"Autopilot", ModeAutopilot, Then({{"MobiFlight.C_172_AP_FLC", 0}}, kAutopilotKeys)},
    AllKeysRow{"Transponder", ModeTransponder, Then({{"XPNDR_IDENT_ON", 0}}, kAutopilotKeys)}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- Whole knob ranges in one report --------------------------------------------

// A report can carry up to 127 detents one way or 128 the other (a fast spin
// between two reads, or a corrupted report). However many, a set value stays
// a value the instrument can show: a NAV channel of 108.00-117.95 MHz, a
// course or heading of 0-360 degrees, a four-digit squawk.
struct SpinRow {
  const char* name;
  bool shift;  // knob push pressed beforehand in the row's mode
  ReportBytes report;
  std::vector<Sent> expected;
};

class WholeRangeSpin : public ConnectedBridge, public ::testing::WithParamInterface<SpinRow> {};

TEST_P(WholeRangeSpin, LandsOnAValueTheInstrumentCanShow) {
  const SpinRow& row = GetParam();
  const std::uint8_t mode = row.report[7];
  Panel({PanelBytes(mode)});
  if (row.shift) Panel({PanelBytes(mode, kPush), PanelBytes(mode)});
  ASSERT_EQ(PanelDevice.shift, row.shift);
  const std::vector<Sent> sent = Panel({row.report});
  EXPECT_EQ(sent, row.expected);
}

// From the aircraft of ConnectedBridge: NAV 1 110.50, heading bug 355,
// course 2 at 5, squawk 1200.
INSTANTIATE_TEST_SUITE_P(Rows, WholeRangeSpin, ::testing::Values(
    // 110 + 127 MHz is twelve times round the 10 MHz band and 9 more.
    SpinRow{"Nav1OuterPlus127", false, PanelBytes(ModeNav1, 0, 127, 0), {{"NAV1_STBY_SET", 0x11750}}},
    SpinRow{"Nav1OuterMinus128", false, PanelBytes(ModeNav1, 0, -128, 0), {{"NAV1_STBY_SET", 0x11250}}},
    // Channel 10 of 20 (.50) minus 128 channels is channel 2 (.10).
    SpinRow{"Nav1InnerMinus128", false, PanelBytes(ModeNav1, 0, 0, -128), {{"NAV1_STBY_SET", 0x11010}}},
    SpinRow{"Nav1TenMegahertzIsOneTurn", false, PanelBytes(ModeNav1, 0, 10, 0), {{"NAV1_STBY_SET", 0x11050}}},
    // 355 + 1397 degrees = 1752, four turns and 312.
    SpinRow{"HeadingPlus1397", true, PanelBytes(ModeCom1, 0, 127, 127), {{"HEADING_BUG_SET", 312}}},
    // 5 - 1408 degrees = -1403, four turns back and 37.
    SpinRow{"Course2Minus1408", true, PanelBytes(ModeNav2, 0, -128, -128), {{"VOR2_SET", 37}}},
    SpinRow{"HeadingOneTurnExactly", true, PanelBytes(ModeCom1, 0, 36, 0), {{"HEADING_BUG_SET", 355}}},
    // 1200 is 640; + 127 x 64 = 8768, twice round 4096 and 576 = 1100.
    SpinRow{"Squawk1200OuterPlus127", false, PanelBytes(ModeTransponder, 0, 127, 0), {{"XPNDR_SET", 0x1100}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
