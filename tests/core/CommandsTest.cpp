// The arithmetic of every command, in a pilot's numbers: what the mirror
// held, the knob steps, what the mirror holds afterwards and exactly which
// events went to the simulator with which values.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/support/CoreFixture.h"

namespace {

using Sim = FlightSimInterfaceMSFS;
using Command = void (Sim::*)(UnitSelector, std::int8_t, std::int8_t);
using Events = std::vector<Sent>;

constexpr Command kCom = &Sim::TuneCom, kNav = &Sim::TuneNav, kHeading = &Sim::AdjustHeadingBug,
                  kCourse = &Sim::AdjustCourse, kBaro = &Sim::AdjustBaro, kAltitude = &Sim::AdjustAltitude,
                  kFms = &Sim::TurnFmsKnobs, kRange = &Sim::TurnRangeKnob;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

// The mirror value a command reads and stores, if any.
double* Field(Command command, int unit) {
  if (command == kNav) return unit == 2 ? &msfs.nav2Standby : &msfs.nav1Standby;
  if (command == kCourse) return unit == 2 ? &msfs.course2 : &msfs.course1;
  if (command == kHeading) return &msfs.headingBug;
  return command == kAltitude ? &msfs.autopilotAltitude : nullptr;
}

// Command, unit, mirror value before (MHz, degrees or feet), outer and inner
// steps, mirror value after, the events sent.
const struct Row {
  Command command;
  int unit;
  double before;
  int outer, inner;
  double after;
  Events sent;
  // clang-format off
} kRows[] = {
    // COM: one relative event per step, whole megahertz first.
    {kCom, 1, 0, 3, -2, 0, {{"COM_RADIO_WHOLE_INC", 1}, {"COM_RADIO_WHOLE_INC", 1}, {"COM_RADIO_WHOLE_INC", 1},
                            {"COM_RADIO_FRACT_DEC", 1}, {"COM_RADIO_FRACT_DEC", 1}}},
    {kCom, 2, 0, -1, 1, 0, {{"COM2_RADIO_WHOLE_DEC", 1}, {"COM2_RADIO_FRACT_INC", 1}}},
    {kCom, 2, 0, 1, -1, 0, {{"COM2_RADIO_WHOLE_INC", 1}, {"COM2_RADIO_FRACT_DEC", 1}}},
    {kCom, 3, 0, 1, 1, 0, {}},
    // NAV: both band edges are inside; the fraction wraps without carrying; a
    // value off the 50 kHz grid is snapped first.
    {kNav, 1, 117.95, +1, 0, 108.95, {{"NAV1_STBY_SET", 0x10895}}},
    {kNav, 1, 108.00, 0, -1, 108.95, {{"NAV1_STBY_SET", 0x10895}}},
    {kNav, 1, 108.00, -1, 0, 117.00, {{"NAV1_STBY_SET", 0x11700}}},
    {kNav, 2, 116.95, +1, +1, 117.00, {{"NAV2_STBY_SET", 0x11700}}},
    {kNav, 2, 113.45, +1, +1, 114.50, {{"NAV2_STBY_SET", 0x11450}}},
    {kNav, 1, 109.50, -2, 0, 117.50, {{"NAV1_STBY_SET", 0x11750}}},
    {kNav, 1, 112.30, 0, -7, 112.95, {{"NAV1_STBY_SET", 0x11295}}},
    {kNav, 1, 113.47, +1, 0, 114.45, {{"NAV1_STBY_SET", 0x11445}}},
    {kNav, 1, 110.50, +1, 0, 111.50, {{"NAV1_STBY_SET", 0x11150}}},
    {kNav, 1, 110.15, 0, -3, 110.00, {{"NAV1_STBY_SET", 0x11000}}},  // a residue below zero is zero
    {kNav, 1, 110.50, 127, 0, 117.50, {{"NAV1_STBY_SET", 0x11750}}},  // spins count round the band
    {kNav, 1, 110.50, 0, -128, 110.10, {{"NAV1_STBY_SET", 0x11010}}},
    // No five-digit value to send: nothing sent, nothing stored.
    {kNav, 2, kNaN, 1, 0, kNaN, {}},
    {kNav, 1, -110.5, 1, 0, -110.5, {}},
    {kNav, 1, 1000.0, 1, 0, 1000.0, {}},
    {kNav, 0, 110.50, 1, 0, 110.50, {}},
    // Heading and courses: 10 degrees a step outer, 1 inner; 0 and 360 kept.
    {kHeading, 1, 355, +1, 0, 5, {{"HEADING_BUG_SET", 5}}},
    {kHeading, 1, 359.7, 0, +1, 360, {{"HEADING_BUG_SET", 360}}},
    {kHeading, 1, 360, 0, +1, 1, {{"HEADING_BUG_SET", 1}}},
    {kHeading, 1, 0.4, 0, -1, 359, {{"HEADING_BUG_SET", 359}}},
    {kHeading, 1, 350, +1, 0, 360, {{"HEADING_BUG_SET", 360}}},
    {kHeading, 1, 1, 0, -1, 0, {{"HEADING_BUG_SET", 0}}},
    {kHeading, 7, 90, +2, +3, 113, {{"HEADING_BUG_SET", 113}}},
    {kHeading, 1, 355, 127, 127, 312, {{"HEADING_BUG_SET", 312}}},  // +1397: four turns and 317
    {kHeading, 1, 2147483647.0, 127, 127, 2147483604.0, {{"HEADING_BUG_SET", 2147483604u}}},  // as computed
    {kHeading, 1, kNaN, 1, 0, kNaN, {}},
    {kCourse, 2, 5, -1, 0, 355, {{"VOR2_SET", 355}}},
    {kCourse, 1, 180, +1, -1, 189, {{"VOR1_SET", 189}}},
    {kCourse, 3, 90, 1, 0, 90, {}},
    // Altimeter: one event a report, up winning over down.
    {kBaro, 1, 0, -1, +1, 0, {{"KOHLSMAN_INC", 1}}},
    {kBaro, 1, 0, +3, 0, 0, {{"KOHLSMAN_INC", 1}}},
    {kBaro, 2, 0, -5, 0, 0, {{"KOHLSMAN_DEC", 1}}},
    {kBaro, 1, 0, 0, -1, 0, {{"KOHLSMAN_DEC", 1}}},
    // Autopilot altitude: 100 ft a step, not below zero, not snapped; the
    // inner knob pitches once a report.
    {kAltitude, 1, 3000, +2, 0, 3200, {{"AP_ALT_VAR_SET_ENGLISH", 3200}}},
    {kAltitude, 1, 50, -1, 0, 0, {{"AP_ALT_VAR_SET_ENGLISH", 0}}},
    {kAltitude, 1, 1234.6, +1, 0, 1334.6, {{"AP_ALT_VAR_SET_ENGLISH", 1334}}},
    {kAltitude, 2, 5000, 0, -3, 5000, {{"MobiFlight.C_172_AP_NOSE_DN", 1}}},
    {kAltitude, 1, 5000, +1, +1, 5100, {{"AP_ALT_VAR_SET_ENGLISH", 5100}, {"MobiFlight.C_172_AP_NOSE_UP", 1}}},
    {kAltitude, 1, 5000, -128, 127, 0, {{"AP_ALT_VAR_SET_ENGLISH", 0}, {"MobiFlight.C_172_AP_NOSE_UP", 1}}},
    {kAltitude, 1, kNaN, +1, -1, kNaN, {{"MobiFlight.C_172_AP_NOSE_DN", 1}}},
    {kAltitude, 1, -kInf, +1, 0, -kInf, {}},
    {kAltitude, 1, 3e9, +1, 0, 3e9, {}},
    // Navigator knobs and range: a GPS event and its glass-cockpit twin per
    // knob and direction, once however many steps, the outer knob first.
    {kFms, 1, 0, +3, 0, 0, {{"MobiFlight.AS530_RightLargeKnob_Right", 1}, {"MobiFlight.AS1000_PFD_FMS_Lower_INC", 1}}},
    {kFms, 1, 0, -1, 0, 0, {{"MobiFlight.AS530_RightLargeKnob_Left", 1}, {"MobiFlight.AS1000_PFD_FMS_Lower_DEC", 1}}},
    {kFms, 1, 0, 0, +1, 0, {{"MobiFlight.AS530_RightSmallKnob_Right", 1}, {"MobiFlight.AS1000_PFD_FMS_Upper_INC", 1}}},
    {kFms, 1, 0, 0, -128, 0, {{"MobiFlight.AS530_RightSmallKnob_Left", 1}, {"MobiFlight.AS1000_PFD_FMS_Upper_DEC", 1}}},
    {kFms, 2, 0, 127, 0, 0, {{"MobiFlight.AS430_RightLargeKnob_Right", 1}, {"MobiFlight.AS1000_MFD_FMS_Lower_INC", 1}}},
    {kFms, 2, 0, -1, 0, 0, {{"MobiFlight.AS430_RightLargeKnob_Left", 1}, {"MobiFlight.AS1000_MFD_FMS_Lower_DEC", 1}}},
    {kFms, 2, 0, 0, +2, 0, {{"MobiFlight.AS430_RightSmallKnob_Right", 1}, {"MobiFlight.AS1000_MFD_FMS_Upper_INC", 1}}},
    {kFms, 2, 0, 0, -1, 0, {{"MobiFlight.AS430_RightSmallKnob_Left", 1}, {"MobiFlight.AS1000_MFD_FMS_Upper_DEC", 1}}},
    {kRange, 1, 0, +1, 0, 0, {{"MobiFlight.AS530_RNG_Zoom", 1}, {"MobiFlight.AS1000_PFD_RANGE_INC", 1}}},
    {kRange, 1, 0, 0, -1, 0, {{"MobiFlight.AS530_RNG_Dezoom", 1}, {"MobiFlight.AS1000_PFD_RANGE_DEC", 1}}},
    {kRange, 2, 0, 0, +4, 0, {{"MobiFlight.AS430_RNG_Zoom", 1}, {"MobiFlight.AS1000_MFD_RANGE_INC", 1}}},
    {kRange, 2, 0, -5, 0, 0, {{"MobiFlight.AS430_RNG_Dezoom", 1}, {"MobiFlight.AS1000_MFD_RANGE_DEC", 1}}},
    {kFms, 2, 0, -1, +2, 0, {{"MobiFlight.AS430_RightLargeKnob_Left", 1}, {"MobiFlight.AS1000_MFD_FMS_Lower_DEC", 1},
                             {"MobiFlight.AS430_RightSmallKnob_Right", 1}, {"MobiFlight.AS1000_MFD_FMS_Upper_INC", 1}}},
    {kRange, 1, 0, +1, -1, 0, {{"MobiFlight.AS530_RNG_Zoom", 1}, {"MobiFlight.AS1000_PFD_RANGE_INC", 1},
                               {"MobiFlight.AS530_RNG_Dezoom", 1}, {"MobiFlight.AS1000_PFD_RANGE_DEC", 1}}},
    {kFms, 0, 0, 1, 1, 0, {}}, {kRange, 3, 0, 1, 1, 0, {}},
};
// clang-format on

class CommandsTest : public CoreTest {
  void SetUp() override {
    CoreTest::SetUp();
    ConnectFakeSimulator();
  }
};

TEST_F(CommandsTest, KnobCommandsStoreAndSendTheseValues) {
  for (const Row& r : kRows) {
    SCOPED_TRACE(testing::Message() << "unit " << r.unit << " at " << r.before << " by " << r.outer << "/" << r.inner);
    fakesim::ClearCalls();
    double* field = Field(r.command, r.unit);
    if (field != nullptr) *field = r.before;
    (msfs.*r.command)(static_cast<UnitSelector>(r.unit), static_cast<std::int8_t>(r.outer),
                      static_cast<std::int8_t>(r.inner));
    EXPECT_EQ(SentEvents(), r.sent);
    const double after = field != nullptr ? *field : r.after;
    EXPECT_TRUE(std::isnan(r.after) ? std::isnan(after) : after == r.after) << after;
  }
  fakesim::ClearCalls();
  msfs.TuneCom(1, -128, 127);  // a count of -128 is 128 steps
  Events steps(128, Sent{"COM_RADIO_WHOLE_DEC", 1});
  steps.resize(255, Sent{"COM_RADIO_FRACT_INC", 1});
  EXPECT_EQ(SentEvents(), steps);
}

TEST_F(CommandsTest, EveryNavChannelStepsOntoAChannelAndPacksToItsDigits) {
  // From every 50 kHz channel of the band: the megahertz move by `outer`
  // round the band, the channel by `inner` round the megahertz, and the
  // value sent reads back as the value stored.
  for (int channel = 0; channel < 200; ++channel) {
    for (int outer = -9; outer <= 9; ++outer) {
      for (int inner : {-19, -3, -1, 0, 1, 3, 19}) {
        msfs.nav1Standby = 108.0 + channel * 0.05;
        fakesim::ClearCalls();
        msfs.TuneNav(1, static_cast<std::int8_t>(outer), static_cast<std::int8_t>(inner));
        const long tuned = std::lround(msfs.nav1Standby * 20);
        ASSERT_NEAR(msfs.nav1Standby * 20, tuned, 1e-6);
        ASSERT_EQ(tuned % 20, ((channel % 20 + inner) % 20 + 20) % 20) << channel << " " << inner;
        ASSERT_EQ(tuned / 20, 108 + ((channel / 20 + outer) % 10 + 10) % 10) << channel << " " << outer;
        // A decimal digit of the 10 kHz count per nibble: the digits read as hexadecimal.
        const auto packed = static_cast<std::uint32_t>(std::stoul(std::to_string(tuned * 5), nullptr, 16));
        ASSERT_EQ(SentEvents(), Events(1, Sent{"NAV1_STBY_SET", packed}));
      }
    }
  }
}

TEST_F(CommandsTest, SquawkCountsAsOneOctalCounter) {
  // Unit, code before (as a pilot reads it: 0x7700 is squawk 7700), outer and
  // inner steps, code after.
  // clang-format off
  const long long squawks[][5] = {
      {1, 0x1200, +1, 0, 0x1300}, {1, 0x7000, +1, 0, 0x7100}, {1, 0x7700, +1, 0, 0x0000},
      {1, 0x7777, +1, 0, 0x0077}, {1, 0x7777, 0, +1, 0x0000}, {1, 0x7777, +1, +1, 0x0100},
      {1, 0x0000, 0, -1, 0x7777}, {1, 0x0000, -1, 0, 0x7700}, {1, 0x1277, 0, +1, 0x1300},
      {1, 0x0007, 0, +1, 0x0010},
      // Whole turns in one report wrap right round.
      {1, 0x1200, +64, 0, 0x1200}, {1, 0x0000, -128, -128, 0x7600}, {1, 0x1200, +127, 0, 0x1100},
      // Digits 8 to F, or more than four digits, give a real code.
      {1, 0x1288, 0, +1, 0x1311}, {1, 0xFFFFFFFF, 0, -1, 0x1106}, {1, 0x12345678, 0, +1, 0x5701},
      // Shift turns the knobs into unit 2, which has no transponder.
      {2, 0x1200, +1, 0, 0x1200}, {0, 0x1200, 0, +1, 0x1200},
  };
  // clang-format on
  for (const auto& s : squawks) {
    SCOPED_TRACE(::testing::Message() << std::hex << s[1] << " by " << std::dec << s[2] << "/" << s[3]);
    fakesim::ClearCalls();
    msfs.transponderCode = static_cast<std::int32_t>(s[1]);
    msfs.AdjustTransponder(static_cast<UnitSelector>(s[0]), static_cast<std::int8_t>(s[2]),
                           static_cast<std::int8_t>(s[3]));
    const auto after = static_cast<std::uint32_t>(s[4]);
    EXPECT_EQ(static_cast<std::uint32_t>(msfs.transponderCode), after);
    EXPECT_EQ(SentEvents(), s[0] == 1 ? Events(1, Sent{"XPNDR_SET", after}) : Events());
  }
}

// clang-format off
const Events kButtons[] = {
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
    /* 22 */ {{"AP_MASTER", 0}}, /* 23 */ {{"AP_PANEL_HEADING_HOLD", 0}}, /* 24 */ {{"AP_NAV1_HOLD", 0}},
    /* 25 */ {{"AP_APR_HOLD", 0}}, /* 26 */ {{"AP_PANEL_ALTITUDE_HOLD", 0}}, /* 27 */ {{"AP_PANEL_VS_HOLD", 0}},
    /* 28 */ {{"MobiFlight.C_172_AP_FLC", 0}}, /* 29 */ {{"COM_STBY_RADIO_SWAP", 0}},
    /* 30 */ {{"COM2_RADIO_SWAP", 0}}, /* 31 */ {{"NAV1_RADIO_SWAP", 0}}, /* 32 */ {{"NAV2_RADIO_SWAP", 0}},
    /* 33 */ {{"BAROMETRIC_STD_PRESSURE", 0}}, /* 34 */ {{"MobiFlight.AS1000_PFD_HEADING_SYNC", 0}},
    /* 35 */ {{"XPNDR_IDENT_ON", 0}},
};
// clang-format on

TEST_F(CommandsTest, EveryButtonSendsItsEventsInOrderAndNoneBeyondTheTable) {
  for (ButtonId button = 0; button < 36; ++button) {
    fakesim::ClearCalls();
    msfs.PressButton(button);
    EXPECT_EQ(SentEvents(), kButtons[button]) << "button " << button;
  }
  fakesim::ClearCalls();
  for (ButtonId button : {36u, 0xFFFFFFFFu}) msfs.PressButton(button);
  EXPECT_EQ(SentEvents(), Events{});
}

}  // namespace
