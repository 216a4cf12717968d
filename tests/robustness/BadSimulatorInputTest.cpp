// What the simulator can send that it should not, and what the bridge does
// with it: values no instrument shows, squawks with digits above 7, messages
// cut short or of kinds we never asked for. Everything arrives through the
// supervisor's dispatch, the way the connection delivers it.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "panel/PanelMode.h"
#include "tests/robustness/ConnectedBridge.h"

namespace {

using namespace key;
using ReportBytes = std::vector<unsigned char>;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();

// ---- Mirror values no instrument shows ----------------------------------------

struct MirrorRow {
  const char* name;
  Aircraft aircraft;
  bool shift;
  ReportBytes report;
  std::vector<Sent> expected;
};

Aircraft With(void (*change)(Aircraft&)) {
  Aircraft aircraft;
  change(aircraft);
  return aircraft;
}

class StrangeMirror : public ConnectedBridge, public ::testing::WithParamInterface<MirrorRow> {};

TEST_P(StrangeMirror, SendsTheComputedValueOrNothing) {
  const MirrorRow& row = GetParam();
  const std::uint8_t mode = row.report[7];
  Panel({PanelBytes(mode)});
  if (row.shift) Panel({PanelBytes(mode, kPush), PanelBytes(mode)});
  SimulatorReports(row.aircraft);
  const std::vector<Sent> sent = Panel({row.report});
  EXPECT_EQ(sent, row.expected);
}

INSTANTIATE_TEST_SUITE_P(Rows, StrangeMirror, ::testing::Values(
    // A heading below zero is still a heading: -90 is 270.
    MirrorRow{"HeadingMinus90PlusTen", With([](Aircraft& a) { a.headingBug = -90; }), true,
              PanelBytes(ModeCom1, 0, 1, 0), {{"HEADING_BUG_SET", 280}}},
    MirrorRow{"HeadingMinusZeroMinusOne", With([](Aircraft& a) { a.headingBug = -0.0; }), true,
              PanelBytes(ModeCom1, 0, 0, -1), {{"HEADING_BUG_SET", 359}}},
    MirrorRow{"CourseDenormalPlusOne", With([](Aircraft& a) { a.course1 = 5e-324; }), true,
              PanelBytes(ModeNav1, 0, 0, 1), {{"VOR1_SET", 1}}},
    // Values with no whole-number form send nothing rather than garbage;
    // the knobs of other instruments keep working.
    MirrorRow{"CourseInfinity", With([](Aircraft& a) { a.course2 = kInfinity; }), true,
              PanelBytes(ModeNav2, kApMaster, 1, 0), {{"AP_MASTER", 0}}},
    MirrorRow{"Nav2NaN", With([](Aircraft& a) { a.nav2Standby = kNaN; }), false,
              PanelBytes(ModeNav2, kApMaster, 1, 0), {{"AP_MASTER", 0}}},
    // An autopilot altitude below ground clamps to zero.
    MirrorRow{"AltitudeMinus500PlusOneStep", With([](Aircraft& a) { a.autopilotAltitude = -500; }), false,
              PanelBytes(ModeAutopilot, 0, 1, 0), {{"AP_ALT_VAR_SET_ENGLISH", 0}}},
    MirrorRow{"AltitudeNaNStillPitches", With([](Aircraft& a) { a.autopilotAltitude = kNaN; }), false,
              PanelBytes(ModeAutopilot, 0, 1, 1), {{"MobiFlight.C_172_AP_NOSE_UP", 1}}},
    // A NAV frequency that cannot be written as five decimal digits of
    // 10 kHz has no event value; sending its low 16 bits instead would tune
    // some other frequency.
    MirrorRow{"Nav1Minus110", With([](Aircraft& a) { a.nav1Standby = -110.5; }), false,
              PanelBytes(ModeNav1, kApMaster, 1, 0), {{"AP_MASTER", 0}}},
    MirrorRow{"Nav1At1000MHz", With([](Aircraft& a) { a.nav1Standby = 1000; }), false,
              PanelBytes(ModeNav1, kApMaster, 1, 0), {{"AP_MASTER", 0}}},
    // Still representable, out of the band: sent as computed.
    MirrorRow{"Nav1ZeroBeforeTheFirstData", With([](Aircraft& a) { a.nav1Standby = 0; }), false,
              PanelBytes(ModeNav1, 0, 1, 0), {{"NAV1_STBY_SET", 0x1100}}},
    // Squawks with digits 8 to F, or more than four digits, come back as a
    // real four-digit code after one click.
    MirrorRow{"Squawk1288PlusOne", With([](Aircraft& a) { a.transponderCode = 0x1288; }), false,
              PanelBytes(ModeTransponder, 0, 0, 1), {{"XPNDR_SET", 0x1311}}},
    MirrorRow{"SquawkAllNibblesFMinusOne", With([](Aircraft& a) { a.transponderCode = -1; }), false,
              PanelBytes(ModeTransponder, 0, 0, -1), {{"XPNDR_SET", 0x1106}}},
    MirrorRow{"SquawkEightDigitsPlusOne", With([](Aircraft& a) { a.transponderCode = 0x12345678; }), false,
              PanelBytes(ModeTransponder, 0, 0, 1), {{"XPNDR_SET", 0x5701}}}),
    [](const auto& info) { return std::string(info.param.name); });

class SimulatorInput : public ConnectedBridge {};

// Any non-zero flag is set; no flag value reaches bits 6 and 7.
TEST_F(SimulatorInput, FlagValuesOtherThanOneLightTheLampsAndNothingElse) {
  Aircraft aircraft;
  for (std::int32_t& flag : aircraft.flags) flag = INT32_MIN;
  fakehid::ClearWrites();
  SimulatorReports(aircraft);
  EXPECT_EQ(fakehid::Writes(), (std::vector<fakehid::Bytes>{{11, 0x3F}}));
}

// ---- Messages cut short, at every byte ----------------------------------------

// The dispatch hands over a data message that ends early, then a report
// arrives: the commands work from the last complete aircraft, as if the cut
// message had never come.
TEST_F(SimulatorInput, AMessageCutAtAnyByteIsIgnoredWhole) {
  Aircraft changed;
  changed.nav1Standby = 116.00;
  changed.transponderCode = 0x7700;
  for (const fakesim::Bytes& full : {changed.Request0(), changed.Request1()}) {
    for (std::size_t length = 0; length < full.size(); ++length) {
      // Its size field, once present, still claims the whole length.
      fakesim::Bytes cut(full.begin(), full.begin() + static_cast<long>(length));
      fakesim::QueueMessage(cut);
      SupervisorPass();
      ASSERT_EQ(Panel({PanelBytes(ModeNav1, 0, 1, 0), PanelBytes(ModeTransponder, 0, 0, 1)}),
                (std::vector<Sent>{{"NAV1_STBY_SET", 0x11150}, {"XPNDR_SET", 0x1201}}))
          << "cut at " << length;
      SimulatorReports(Aircraft{});  // the commands moved the mirror; back to the start
    }
  }
}

TEST_F(SimulatorInput, ACompleteMessageAfterACutOneInTheSameDispatchStillCounts) {
  Aircraft changed;
  changed.nav1Standby = 116.00;
  fakesim::Bytes cut = changed.Request0();
  cut.resize(60);
  fakesim::QueueMessage(cut);
  fakesim::QueueMessage(changed.Request0());
  SupervisorPass();
  EXPECT_EQ(Panel({PanelBytes(ModeNav1, 0, 1, 0)}), (std::vector<Sent>{{"NAV1_STBY_SET", 0x11700}}));
}

// ---- Message kinds we never asked for -------------------------------------------

fakesim::Bytes Words(std::vector<std::uint32_t> words) {
  fakesim::Bytes bytes(words.size() * 4);
  std::memcpy(bytes.data(), words.data(), bytes.size());
  return bytes;
}

struct KindRow {
  const char* name;
  fakesim::Bytes message;
};

class UnexpectedMessage : public ConnectedBridge, public ::testing::WithParamInterface<KindRow> {};

TEST_P(UnexpectedMessage, LeavesTheAircraftAsItWas) {
  fakesim::QueueMessage(GetParam().message);
  SupervisorPass();
  EXPECT_TRUE(simConnected);
  EXPECT_EQ(Panel({PanelBytes(ModeNav1, 0, 1, 0)}), (std::vector<Sent>{{"NAV1_STBY_SET", 0x11150}}));
}

fakesim::Bytes DataShapedAs(std::uint32_t kind) {
  Aircraft changed;
  changed.nav1Standby = 116.00;
  fakesim::Bytes message = changed.Request0();
  std::memcpy(message.data() + 8, &kind, 4);
  return message;
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnexpectedMessage, ::testing::Values(
    // An event notification is 24 bytes; its group id sits where a data
    // message has its request number, and may well be 0.
    KindRow{"EventNotificationOfGroup0", Words({24, 5, 4, 0, 95, 0})},
    KindRow{"ExceptionReport", Words({24, 5, 1, 3, 7, 1})},
    KindRow{"OpenReply", fakesim::Concat(Words({12 + 256 + 40, 5, 2}), fakesim::Bytes(256 + 40, 0))},
    KindRow{"Quit", Words({12, 5, 3})},
    KindRow{"HeaderOnly", Words({12, 5, 8})},
    KindRow{"SizeFieldZero", fakesim::Concat(Words({0, 5, 8, 0}), fakesim::Bytes(60, 0))},
    KindRow{"DataShapedKind7", DataShapedAs(7)},
    KindRow{"DataShapedKind9", DataShapedAs(9)},
    KindRow{"DataShapedKind4", DataShapedAs(4)},
    KindRow{"DataShapedKindAllOnes", DataShapedAs(0xFFFFFFFF)},
    KindRow{"Empty", fakesim::Bytes{}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
