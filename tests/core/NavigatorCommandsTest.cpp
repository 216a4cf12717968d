// Navigator knobs and keys, autopilot altitude and pitch, transponder.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "tests/support/CoreFixture.h"
#include "tests/support/SentEvents.h"

namespace {

class NavigatorTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    ConnectFakeSimulator();
  }
};

TEST_F(NavigatorTest, FmsKnobsSendOnePairPerKnobWhateverTheCount) {
  msfs.TurnFmsKnobs(1, +3, 0);
  EXPECT_EQ(SentEvents(), (std::vector<Sent>{{"MobiFlight.AS530_RightLargeKnob_Right", 1},
                                             {"MobiFlight.AS1000_PFD_FMS_Lower_INC", 1}}));
  fakesim::ClearCalls();
  msfs.TurnFmsKnobs(2, -1, +2);
  EXPECT_EQ(SentEvents(), (std::vector<Sent>{{"MobiFlight.AS430_RightLargeKnob_Left", 1},
                                             {"MobiFlight.AS1000_MFD_FMS_Lower_DEC", 1},
                                             {"MobiFlight.AS430_RightSmallKnob_Right", 1},
                                             {"MobiFlight.AS1000_MFD_FMS_Upper_INC", 1}}));
  fakesim::ClearCalls();
  msfs.TurnFmsKnobs(1, 0, -128);
  EXPECT_EQ(SentEvents(), (std::vector<Sent>{{"MobiFlight.AS530_RightSmallKnob_Left", 1},
                                             {"MobiFlight.AS1000_PFD_FMS_Upper_DEC", 1}}));
}

TEST_F(NavigatorTest, RangeKnobZoomsWithEitherKnob) {
  msfs.TurnRangeKnob(1, +1, +1);
  msfs.TurnRangeKnob(1, +1, -1);
  msfs.TurnRangeKnob(2, 0, -5);
  EXPECT_EQ(SentEvents(), (std::vector<Sent>{
                              {"MobiFlight.AS530_RNG_Zoom", 1}, {"MobiFlight.AS1000_PFD_RANGE_INC", 1},
                              {"MobiFlight.AS530_RNG_Zoom", 1}, {"MobiFlight.AS1000_PFD_RANGE_INC", 1},
                              {"MobiFlight.AS530_RNG_Zoom", 1}, {"MobiFlight.AS1000_PFD_RANGE_INC", 1},
                              {"MobiFlight.AS530_RNG_Dezoom", 1}, {"MobiFlight.AS1000_PFD_RANGE_DEC", 1},
                              {"MobiFlight.AS430_RNG_Dezoom", 1}, {"MobiFlight.AS1000_MFD_RANGE_DEC", 1}}));
}

TEST_F(NavigatorTest, NavigatorKnobsIgnoreInvalidUnits) {
  for (int unit : {0, 3, 255}) {
    msfs.TurnFmsKnobs(static_cast<UnitSelector>(unit), 1, 1);
    msfs.TurnRangeKnob(static_cast<UnitSelector>(unit), 1, 1);
  }
  EXPECT_TRUE(SentEvents().empty());
}

struct AltitudeCase {
  double before;
  int outer;
  int inner;
  double after;
  std::vector<Sent> sent;
};

TEST_F(NavigatorTest, AltitudeStepsHundredsClampsAtZeroAndPitchesOncePerReport) {
  const AltitudeCase cases[] = {
      {3000.0, +2, 0, 3200.0, {{"AP_ALT_VAR_SET_ENGLISH", 3200}}},
      {50.0, -1, 0, 0.0, {{"AP_ALT_VAR_SET_ENGLISH", 0}}},
      {1234.6, +1, 0, 1334.6, {{"AP_ALT_VAR_SET_ENGLISH", 1334}}},
      {45000.0, +127, 0, 57700.0, {{"AP_ALT_VAR_SET_ENGLISH", 57700}}},
      {5000.0, 0, -3, 5000.0, {{"MobiFlight.C_172_AP_NOSE_DN", 1}}},
      {5000.0, +1, +1, 5100.0, {{"AP_ALT_VAR_SET_ENGLISH", 5100}, {"MobiFlight.C_172_AP_NOSE_UP", 1}}},
      {5000.0, -128, +127, 0.0, {{"AP_ALT_VAR_SET_ENGLISH", 0}, {"MobiFlight.C_172_AP_NOSE_UP", 1}}},
  };
  for (const AltitudeCase& c : cases) {
    msfs.autopilotAltitude = c.before;
    fakesim::ClearCalls();
    msfs.AdjustAltitude(static_cast<UnitSelector>(c.outer & 3), static_cast<std::int8_t>(c.outer),
                        static_cast<std::int8_t>(c.inner));
    EXPECT_DOUBLE_EQ(msfs.autopilotAltitude, c.after) << c.before << " " << c.outer;
    EXPECT_EQ(SentEvents(), c.sent) << c.before << " " << c.outer << " " << c.inner;
  }
}

TEST_F(NavigatorTest, UnrepresentableAltitudeSendsNoAltitudeButStillPitches) {
  for (const double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(), 1e300, 3e9}) {
    msfs.autopilotAltitude = bad;
    fakesim::ClearCalls();
    msfs.AdjustAltitude(1, +1, -1);
    EXPECT_EQ(SentEvents(), (std::vector<Sent>{{"MobiFlight.C_172_AP_NOSE_DN", 1}})) << bad;
    EXPECT_EQ(std::memcmp(&msfs.autopilotAltitude, &bad, sizeof bad), 0);
  }
  msfs.autopilotAltitude = -1e300;  // far below zero clamps to the ground like any negative altitude
  fakesim::ClearCalls();
  msfs.AdjustAltitude(1, +1, 0);
  EXPECT_EQ(SentEvents(), (std::vector<Sent>{{"AP_ALT_VAR_SET_ENGLISH", 0}}));
}

struct SquawkCase {
  std::uint32_t before;  // BCO16, as a pilot reads it: 0x7700 is squawk 7700
  int outer;
  int inner;
  std::uint32_t after;
};

class Squawk : public NavigatorTest, public ::testing::WithParamInterface<SquawkCase> {};

TEST_P(Squawk, CountsAsOneOctalCounter) {
  const SquawkCase& c = GetParam();
  msfs.transponderCode = static_cast<std::int32_t>(c.before);
  msfs.AdjustTransponder(1, static_cast<std::int8_t>(c.outer), static_cast<std::int8_t>(c.inner));
  EXPECT_EQ(static_cast<std::uint32_t>(msfs.transponderCode), c.after);
  EXPECT_EQ(SentEvents(), (std::vector<Sent>{{"XPNDR_SET", c.after}}));
}

INSTANTIATE_TEST_SUITE_P(Examples, Squawk, ::testing::Values(
    SquawkCase{0x1200, +1, 0, 0x1300}, SquawkCase{0x7000, +1, 0, 0x7100}, SquawkCase{0x7700, +1, 0, 0x0000},
    SquawkCase{0x7777, +1, 0, 0x0077}, SquawkCase{0x7777, 0, +1, 0x0000}, SquawkCase{0x7777, +1, +1, 0x0100},
    SquawkCase{0x0000, 0, -1, 0x7777}, SquawkCase{0x0000, -1, 0, 0x7700}, SquawkCase{0x1277, 0, +1, 0x1300},
    SquawkCase{0x0007, 0, +1, 0x0010},
    // Whole turns of the code in one report wrap right round.
    SquawkCase{0x1200, +64, 0, 0x1200}, SquawkCase{0x1200, -64, 0, 0x1200},
    SquawkCase{0x0000, -128, 0, 0x0000}, SquawkCase{0x0000, -128, -128, 0x7600},
    SquawkCase{0x7777, +127, +127, 0x0076}, SquawkCase{0x0000, +127, -128, 0x7500},
    SquawkCase{0x7777, -128, +127, 0x0176},
    // Malformed codes (digits 8 to F) still give a valid code.
    SquawkCase{0x0008, 0, +1, 0x0011}, SquawkCase{0xFFFF, 0, +1, 0x1110},
    SquawkCase{0xFFFFFFFF, +1, 0, 0x1207}, SquawkCase{0x80000000, 0, +1, 0x0001}));

TEST_F(NavigatorTest, EveryExtremeCountGivesAValidFourDigitCode) {
  for (std::uint32_t start : {0x0000u, 0x1200u, 0x7777u, 0x8888u, 0xFFFFFFFFu, 0x80000000u}) {
    for (int outer = -128; outer <= 127; ++outer) {
      for (int inner : {-128, -1, 0, 1, 127}) {
        msfs.transponderCode = static_cast<std::int32_t>(start);
        fakesim::ClearCalls();
        msfs.AdjustTransponder(1, static_cast<std::int8_t>(outer), static_cast<std::int8_t>(inner));
        const std::uint32_t code = static_cast<std::uint32_t>(msfs.transponderCode);
        ASSERT_LE(code, 0x7777u);
        for (std::uint32_t c = code; c != 0; c >>= 4) ASSERT_LE(c & 0xF, 7u) << std::hex << code;
        ASSERT_EQ(fakesim::Transmissions().at(0).data, code);
      }
    }
  }
}

TEST_F(NavigatorTest, TransponderActsForUnit1Only) {
  msfs.transponderCode = 0x1200;
  msfs.AdjustTransponder(2, +1, 0);
  msfs.AdjustTransponder(0, 0, +1);
  EXPECT_TRUE(SentEvents().empty());
  EXPECT_EQ(msfs.transponderCode, 0x1200);
}

// Every key action, written out from the button table.
const std::vector<std::vector<Sent>> kButtonTable = {
    /* 0 */ {{"MobiFlight.AS530_RightSmallKnob_Push", 0}, {"MobiFlight.AS1000_PFD_FMS_Upper_PUSH", 0}},
    /* 1 */ {{"MobiFlight.AS530_DirectTo_Push", 0}, {"MobiFlight.AS1000_PFD_DIRECTTO", 0}},
    /* 2 */ {{"MobiFlight.AS530_MENU_Push", 0}, {"MobiFlight.AS1000_PFD_MENU_Push", 0}},
    /* 3 */ {{"MobiFlight.AS530_CLR_Push", 0}, {"MobiFlight.AS1000_PFD_CLR", 0}},
    /* 4 */ {{"MobiFlight.AS530_ENT_Push", 0}, {"MobiFlight.AS1000_PFD_ENT_Push", 0}},
    /* 5 */ {{"TOGGLE_GPS_DRIVES_NAV1", 0}, {"<private 71>", 0}},
    /* 6 */ {{"MobiFlight.AS530_OBS_Push", 0}, {"<private 72>", 0}},
    /* 7 */ {{"MobiFlight.AS530_MSG_Push", 0}, {"<private 73>", 0}},
    /* 8 */ {{"MobiFlight.AS530_FPL_Push", 0}, {"MobiFlight.AS1000_PFD_FPL_Push", 0}},
    /* 9 */ {{"MobiFlight.AS530_VNAV_Push", 0}, {"<private 75>", 0}},
    /* 10 */ {{"MobiFlight.AS530_PROC_Push", 0}, {"MobiFlight.AS1000_PFD_PROC_Push", 0}},
    /* 11 */ {{"MobiFlight.AS430_RightSmallKnob_Push", 0}, {"MobiFlight.AS1000_MFD_FMS_Upper_PUSH", 0}},
    /* 12 */ {{"MobiFlight.AS430_DirectTo_Push", 0}, {"MobiFlight.AS1000_MFD_DIRECTTO", 0}},
    /* 13 */ {{"MobiFlight.AS430_MENU_Push", 0}, {"MobiFlight.AS1000_MFD_MENU_Push", 0}},
    /* 14 */ {{"MobiFlight.AS430_CLR_Push", 0}, {"MobiFlight.AS1000_MFD_CLR", 0}},
    /* 15 */ {{"MobiFlight.AS430_ENT_Push", 0}, {"MobiFlight.AS1000_MFD_ENT_Push", 0}},
    /* 16 */ {{"MobiFlight.AS430_CDI_Push", 0}, {"<private 82>", 0}},
    /* 17 */ {{"MobiFlight.AS430_OBS_Push", 0}, {"<private 83>", 0}},
    /* 18 */ {{"MobiFlight.AS430_MSG_Push", 0}, {"<private 84>", 0}},
    /* 19 */ {{"MobiFlight.AS430_FPL_Push", 0}, {"MobiFlight.AS1000_MFD_FPL_Push", 0}},
    /* 20 */ {{"MobiFlight.AS430_VNAV_Push", 0}, {"<private 86>", 0}},
    /* 21 */ {{"MobiFlight.AS430_PROC_Push", 0}, {"MobiFlight.AS1000_MFD_PROC_Push", 0}},
    /* 22 */ {{"AP_MASTER", 0}},
    /* 23 */ {{"AP_PANEL_HEADING_HOLD", 0}},
    /* 24 */ {{"AP_NAV1_HOLD", 0}},
    /* 25 */ {{"AP_APR_HOLD", 0}},
    /* 26 */ {{"AP_PANEL_ALTITUDE_HOLD", 0}},
    /* 27 */ {{"AP_PANEL_VS_HOLD", 0}},
    /* 28 */ {{"MobiFlight.C_172_AP_FLC", 0}},
    /* 29 */ {{"COM_STBY_RADIO_SWAP", 0}},
    /* 30 */ {{"COM2_RADIO_SWAP", 0}},
    /* 31 */ {{"NAV1_RADIO_SWAP", 0}},
    /* 32 */ {{"NAV2_RADIO_SWAP", 0}},
    /* 33 */ {{"BAROMETRIC_STD_PRESSURE", 0}},
    /* 34 */ {{"MobiFlight.AS1000_PFD_HEADING_SYNC", 0}},
    /* 35 */ {{"XPNDR_IDENT_ON", 0}},
};

TEST_F(NavigatorTest, EveryButtonSendsItsEventsInOrder) {
  ASSERT_EQ(kButtonTable.size(), 36u);
  for (ButtonId button = 0; button < 36; ++button) {
    fakesim::ClearCalls();
    msfs.PressButton(button);
    EXPECT_EQ(SentEvents(), kButtonTable[button]) << "button " << button;
  }
}

TEST_F(NavigatorTest, ButtonsBeyondTheTableSendNothing) {
  for (ButtonId button : {36u, 37u, 100u, 0x7FFFFFFFu, 0xFFFFFFFFu}) msfs.PressButton(button);
  EXPECT_TRUE(SentEvents().empty());
}

TEST_F(NavigatorTest, NothingReachesAClosedConnection) {
  msfs.transponderCode = 0x1200;
  msfs.autopilotAltitude = 3000;
  DisconnectFakeSimulator();
  msfs.TurnFmsKnobs(1, 1, 1);
  msfs.TurnRangeKnob(2, 1, 1);
  msfs.AdjustAltitude(1, 1, 1);
  msfs.AdjustTransponder(1, 1, 1);
  for (ButtonId button = 0; button < 36; ++button) msfs.PressButton(button);
  EXPECT_TRUE(fakesim::Calls().empty());
  EXPECT_EQ(msfs.transponderCode, 0x1200);
  EXPECT_EQ(msfs.autopilotAltitude, 3000);
}

}  // namespace
