// The bridge's behavioural contract: panel report bytes in, simulator events
// and values out, through the real dispatch and the real commands.

#include <gtest/gtest.h>

#include "panel/PanelMode.h"
#include "tests/support/CoreFixture.h"
#include "tests/support/PanelBytes.h"
#include "tests/support/SentEvents.h"

namespace {

using namespace key;

struct ContractRow {
  const char* name;
  std::vector<std::vector<unsigned char>> reports;  // sent by the panel in this order
  std::vector<Sent> expected;
};

class PanelContract : public CoreTest, public ::testing::WithParamInterface<ContractRow> {};

TEST_P(PanelContract, ReportsBecomeTheseSimulatorEvents) {
  ConnectFakeSimulator();
  // The aircraft as the simulator last reported it.
  msfs.nav1Standby = 110.50;
  msfs.nav2Standby = 113.45;
  msfs.headingBug = 355;
  msfs.course1 = 90;
  msfs.course2 = 5;
  msfs.autopilotAltitude = 3000;
  msfs.transponderCode = 0x1200;
  fakehid::PlugIn();
  PanelDevice.device = hid_open(kPanelVendorId, kPanelProductId, nullptr);
  for (const auto& report : GetParam().reports) fakehid::QueueReport(report);
  EXPECT_EQ(ReadPanelReports(), 0);
  EXPECT_EQ(SentEvents(), GetParam().expected);
}

std::string RowName(const ::testing::TestParamInfo<ContractRow>& info) { return info.param.name; }

INSTANTIATE_TEST_SUITE_P(Knobs, PanelContract, ::testing::Values(
    ContractRow{"Com1WholeUp", {PanelBytes(ModeCom1, 0, +1, 0)}, {{"COM_RADIO_WHOLE_INC", 1}}},
    ContractRow{"Com2FractionDown", {PanelBytes(ModeCom2, 0, 0, -2)},
                {{"COM2_RADIO_FRACT_DEC", 1}, {"COM2_RADIO_FRACT_DEC", 1}}},
    ContractRow{"Nav1OneMegahertzUp", {PanelBytes(ModeNav1, 0, +1, 0)}, {{"NAV1_STBY_SET", 0x11150}}},
    ContractRow{"Nav2BothKnobs", {PanelBytes(ModeNav2, 0, +1, +1)}, {{"NAV2_STBY_SET", 0x11450}}},
    ContractRow{"HeadingBugViaShift", {PanelBytes(ModeCom1, kPush), PanelBytes(ModeCom1, 0, +1, 0)},
                {{"HEADING_BUG_SET", 5}}},
    ContractRow{"BaroViaShift", {PanelBytes(ModeCom2, kPush), PanelBytes(ModeCom2, 0, -3, 0)},
                {{"KOHLSMAN_DEC", 1}}},
    ContractRow{"Course1ViaShift", {PanelBytes(ModeNav1, kPush), PanelBytes(ModeNav1, 0, 0, +5)},
                {{"VOR1_SET", 95}}},
    ContractRow{"Course2ViaShift", {PanelBytes(ModeNav2, kPush), PanelBytes(ModeNav2, 0, -1, 0)},
                {{"VOR2_SET", 355}}},
    ContractRow{"ModeChangeDropsShift", {PanelBytes(ModeNav1, kPush), PanelBytes(ModeNav2, 0, +1, 0)},
                {{"NAV2_STBY_SET", 0x11445}}},
    ContractRow{"Navigator1Knobs", {PanelBytes(ModeFms1, 0, +1, -1)},
                {{"MobiFlight.AS530_RightLargeKnob_Right", 1}, {"MobiFlight.AS1000_PFD_FMS_Lower_INC", 1},
                 {"MobiFlight.AS530_RightSmallKnob_Left", 1}, {"MobiFlight.AS1000_PFD_FMS_Upper_DEC", 1}}},
    ContractRow{"Navigator2Range", {PanelBytes(ModeFms2, kSwap, +1, 0)},
                {{"MobiFlight.AS430_RNG_Zoom", 1}, {"MobiFlight.AS1000_MFD_RANGE_INC", 1}}},
    ContractRow{"AltitudeAndPitch", {PanelBytes(ModeAutopilot, 0, +2, -1)},
                {{"AP_ALT_VAR_SET_ENGLISH", 3200}, {"MobiFlight.C_172_AP_NOSE_DN", 1}}},
    ContractRow{"SquawkUp", {PanelBytes(ModeTransponder, 0, +1, 0)}, {{"XPNDR_SET", 0x1300}}},
    ContractRow{"SquawkWithShiftDoesNothing", {PanelBytes(ModeTransponder, kPush), PanelBytes(ModeTransponder, 0, 1, 1)},
                {}},
    ContractRow{"FastSpinEveryDetentCounts", {PanelBytes(ModeCom1, 0, +1, 0), PanelBytes(ModeCom1, 0, +1, 0),
                                              PanelBytes(ModeNav1, 0, 0, +1), PanelBytes(ModeNav1, 0, 0, +1)},
                {{"COM_RADIO_WHOLE_INC", 1}, {"COM_RADIO_WHOLE_INC", 1}, {"NAV1_STBY_SET", 0x11055},
                 {"NAV1_STBY_SET", 0x11060}}}),
    RowName);

INSTANTIATE_TEST_SUITE_P(Keys, PanelContract, ::testing::Values(
    ContractRow{"Com1Swap", {PanelBytes(ModeCom1, kSwap)}, {{"COM_STBY_RADIO_SWAP", 0}}},
    ContractRow{"HeadingSync", {PanelBytes(ModeCom1, kPush | kSwap)}, {{"MobiFlight.AS1000_PFD_HEADING_SYNC", 0}}},
    ContractRow{"Com2Swap", {PanelBytes(ModeCom2, kSwap)}, {{"COM2_RADIO_SWAP", 0}}},
    ContractRow{"StandardPressure", {PanelBytes(ModeCom2, kPush), PanelBytes(ModeCom2, kSwap)},
                {{"BAROMETRIC_STD_PRESSURE", 0}}},
    ContractRow{"Nav1Swap", {PanelBytes(ModeNav1, kSwap)}, {{"NAV1_RADIO_SWAP", 0}}},
    ContractRow{"Nav2Swap", {PanelBytes(ModeNav2, kSwap)}, {{"NAV2_RADIO_SWAP", 0}}},
    ContractRow{"FlightLevelChange", {PanelBytes(ModeAutopilot, kSwap)}, {{"MobiFlight.C_172_AP_FLC", 0}}},
    ContractRow{"Ident", {PanelBytes(ModeTransponder, kSwap)}, {{"XPNDR_IDENT_ON", 0}}},
    ContractRow{"AutopilotKeys",
                {PanelBytes(ModeCom1, kApMaster), PanelBytes(ModeCom1, kHeading), PanelBytes(ModeCom1, kNav),
                 PanelBytes(ModeCom1, kApproach), PanelBytes(ModeCom1, kAltitude),
                 PanelBytes(ModeCom1, kVerticalSpeed)},
                {{"AP_MASTER", 0}, {"AP_PANEL_HEADING_HOLD", 0}, {"AP_NAV1_HOLD", 0}, {"AP_APR_HOLD", 0},
                 {"AP_PANEL_ALTITUDE_HOLD", 0}, {"AP_PANEL_VS_HOLD", 0}}},
    ContractRow{"KeyHeldAcrossReportsFiresOnce",
                {PanelBytes(ModeAutopilot, kApMaster), PanelBytes(ModeAutopilot, kApMaster, 0, 0),
                 PanelBytes(ModeAutopilot, 0), PanelBytes(ModeAutopilot, kApMaster)},
                {{"AP_MASTER", 0}, {"AP_MASTER", 0}}},
    ContractRow{"Navigator1Keys",
                {PanelBytes(ModeFms1, kPush), PanelBytes(ModeFms1, kDirectTo), PanelBytes(ModeFms1, kMenu),
                 PanelBytes(ModeFms1, kClear), PanelBytes(ModeFms1, kEnter), PanelBytes(ModeFms1, kApMaster),
                 PanelBytes(ModeFms1, kHeading), PanelBytes(ModeFms1, kNav), PanelBytes(ModeFms1, kApproach),
                 PanelBytes(ModeFms1, kAltitude), PanelBytes(ModeFms1, kVerticalSpeed)},
                {{"MobiFlight.AS530_RightSmallKnob_Push", 0}, {"MobiFlight.AS1000_PFD_FMS_Upper_PUSH", 0},
                 {"MobiFlight.AS530_DirectTo_Push", 0}, {"MobiFlight.AS1000_PFD_DIRECTTO", 0},
                 {"MobiFlight.AS530_MENU_Push", 0}, {"MobiFlight.AS1000_PFD_MENU_Push", 0},
                 {"MobiFlight.AS530_CLR_Push", 0}, {"MobiFlight.AS1000_PFD_CLR", 0},
                 {"MobiFlight.AS530_ENT_Push", 0}, {"MobiFlight.AS1000_PFD_ENT_Push", 0},
                 {"TOGGLE_GPS_DRIVES_NAV1", 0}, {"<private 71>", 0},
                 {"MobiFlight.AS530_OBS_Push", 0}, {"<private 72>", 0},
                 {"MobiFlight.AS530_MSG_Push", 0}, {"<private 73>", 0},
                 {"MobiFlight.AS530_FPL_Push", 0}, {"MobiFlight.AS1000_PFD_FPL_Push", 0},
                 {"MobiFlight.AS530_VNAV_Push", 0}, {"<private 75>", 0},
                 {"MobiFlight.AS530_PROC_Push", 0}, {"MobiFlight.AS1000_PFD_PROC_Push", 0}}},
    ContractRow{"Navigator2Keys",
                {PanelBytes(ModeFms2, kPush), PanelBytes(ModeFms2, kDirectTo), PanelBytes(ModeFms2, kMenu),
                 PanelBytes(ModeFms2, kClear), PanelBytes(ModeFms2, kEnter), PanelBytes(ModeFms2, kApMaster),
                 PanelBytes(ModeFms2, kHeading), PanelBytes(ModeFms2, kNav), PanelBytes(ModeFms2, kApproach),
                 PanelBytes(ModeFms2, kAltitude), PanelBytes(ModeFms2, kVerticalSpeed)},
                {{"MobiFlight.AS430_RightSmallKnob_Push", 0}, {"MobiFlight.AS1000_MFD_FMS_Upper_PUSH", 0},
                 {"MobiFlight.AS430_DirectTo_Push", 0}, {"MobiFlight.AS1000_MFD_DIRECTTO", 0},
                 {"MobiFlight.AS430_MENU_Push", 0}, {"MobiFlight.AS1000_MFD_MENU_Push", 0},
                 {"MobiFlight.AS430_CLR_Push", 0}, {"MobiFlight.AS1000_MFD_CLR", 0},
                 {"MobiFlight.AS430_ENT_Push", 0}, {"MobiFlight.AS1000_MFD_ENT_Push", 0},
                 {"MobiFlight.AS430_CDI_Push", 0}, {"<private 82>", 0},
                 {"MobiFlight.AS430_OBS_Push", 0}, {"<private 83>", 0},
                 {"MobiFlight.AS430_MSG_Push", 0}, {"<private 84>", 0},
                 {"MobiFlight.AS430_FPL_Push", 0}, {"MobiFlight.AS1000_MFD_FPL_Push", 0},
                 {"MobiFlight.AS430_VNAV_Push", 0}, {"<private 86>", 0},
                 {"MobiFlight.AS430_PROC_Push", 0}, {"MobiFlight.AS1000_MFD_PROC_Push", 0}}},
    ContractRow{"OutOfRangeModeStillFliesTheAutopilot", {PanelBytes(9, kApMaster | kSwap, 1, 1)},
                {{"AP_MASTER", 0}}}),
    RowName);

}  // namespace
