// Radio tuning, heading bug, courses and altimeter setting.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "tests/support/CoreFixture.h"
#include "tests/support/SentEvents.h"

namespace {

enum class Op { TuneNav, HeadingBug, Course };

struct WorkedExample {
  Op op;
  int unit;
  double before;  // MHz or degrees in the mirror
  int outer;
  int inner;
  double after;
  const char* event;
  std::uint32_t data;
};

double& MirrorField(Op op, int unit) {
  switch (op) {
    case Op::TuneNav: return unit == 2 ? msfs.nav2Standby : msfs.nav1Standby;
    case Op::HeadingBug: return msfs.headingBug;
    case Op::Course: return unit == 2 ? msfs.course2 : msfs.course1;
  }
  return msfs.headingBug;
}

void Apply(Op op, int unit, int outer, int inner) {
  const auto u = static_cast<UnitSelector>(unit);
  const auto o = static_cast<std::int8_t>(outer);
  const auto i = static_cast<std::int8_t>(inner);
  switch (op) {
    case Op::TuneNav: msfs.TuneNav(u, o, i); break;
    case Op::HeadingBug: msfs.AdjustHeadingBug(u, o, i); break;
    case Op::Course: msfs.AdjustCourse(u, o, i); break;
  }
}

class RadioTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    ConnectFakeSimulator();
  }
};

class WorkedExamples : public RadioTest, public ::testing::WithParamInterface<WorkedExample> {};

TEST_P(WorkedExamples, StoreAndSendTheNewValue) {
  const WorkedExample& e = GetParam();
  MirrorField(e.op, e.unit) = e.before;
  Apply(e.op, e.unit, e.outer, e.inner);
  EXPECT_NEAR(MirrorField(e.op, e.unit), e.after, 1e-9);
  EXPECT_EQ(SentEvents(), (std::vector<Sent>{{e.event, e.data}}));
}

INSTANTIATE_TEST_SUITE_P(Nav, WorkedExamples, ::testing::Values(
    WorkedExample{Op::TuneNav, 1, 117.95, +1, 0, 108.95, "NAV1_STBY_SET", 0x10895},
    WorkedExample{Op::TuneNav, 1, 108.00, 0, -1, 108.95, "NAV1_STBY_SET", 0x10895},
    WorkedExample{Op::TuneNav, 1, 108.00, -1, 0, 117.00, "NAV1_STBY_SET", 0x11700},
    WorkedExample{Op::TuneNav, 2, 116.95, +1, +1, 117.00, "NAV2_STBY_SET", 0x11700},
    WorkedExample{Op::TuneNav, 2, 113.45, +1, +1, 114.50, "NAV2_STBY_SET", 0x11450},
    WorkedExample{Op::TuneNav, 1, 109.50, -2, 0, 117.50, "NAV1_STBY_SET", 0x11750},
    WorkedExample{Op::TuneNav, 1, 112.30, 0, -7, 112.95, "NAV1_STBY_SET", 0x11295},
    WorkedExample{Op::TuneNav, 1, 113.47, +1, 0, 114.45, "NAV1_STBY_SET", 0x11445},
    WorkedExample{Op::TuneNav, 1, 110.50, +1, 0, 111.50, "NAV1_STBY_SET", 0x11150},
    WorkedExample{Op::TuneNav, 1, 116.00, +1, 0, 117.00, "NAV1_STBY_SET", 0x11700},
    WorkedExample{Op::TuneNav, 1, 116.95, 0, +1, 116.00, "NAV1_STBY_SET", 0x11600},
    WorkedExample{Op::TuneNav, 1, 110.15, 0, -3, 110.00, "NAV1_STBY_SET", 0x11000},
    // A mirror still at zero: the whole part wraps once, to 11 MHz.
    WorkedExample{Op::TuneNav, 1, 0.0, +1, 0, 11.00, "NAV1_STBY_SET", 0x1100}));

INSTANTIATE_TEST_SUITE_P(Degrees, WorkedExamples, ::testing::Values(
    WorkedExample{Op::HeadingBug, 1, 355, +1, 0, 5, "HEADING_BUG_SET", 5},
    WorkedExample{Op::HeadingBug, 1, 359.7, 0, +1, 360, "HEADING_BUG_SET", 360},
    WorkedExample{Op::HeadingBug, 1, 360, 0, +1, 1, "HEADING_BUG_SET", 1},
    WorkedExample{Op::HeadingBug, 1, 0.4, 0, -1, 359, "HEADING_BUG_SET", 359},
    WorkedExample{Op::HeadingBug, 1, 350, +1, 0, 360, "HEADING_BUG_SET", 360},
    WorkedExample{Op::HeadingBug, 1, 1, 0, -1, 0, "HEADING_BUG_SET", 0},
    WorkedExample{Op::HeadingBug, 7, 90, +2, +3, 113, "HEADING_BUG_SET", 113},  // unit ignored
    WorkedExample{Op::Course, 2, 5, -1, 0, 355, "VOR2_SET", 355},
    WorkedExample{Op::Course, 1, 180, +1, -1, 189, "VOR1_SET", 189}));

TEST_F(RadioTest, TuneComSendsOneEventPerStepWholeFirst) {
  msfs.TuneCom(1, 3, -2);
  EXPECT_EQ(SentEvents(), (std::vector<Sent>{{"COM_RADIO_WHOLE_INC", 1}, {"COM_RADIO_WHOLE_INC", 1},
                                             {"COM_RADIO_WHOLE_INC", 1}, {"COM_RADIO_FRACT_DEC", 1},
                                             {"COM_RADIO_FRACT_DEC", 1}}));
  fakesim::ClearCalls();
  msfs.TuneCom(2, 0, 1);
  EXPECT_EQ(SentEvents(), (std::vector<Sent>{{"COM2_RADIO_FRACT_INC", 1}}));
  fakesim::ClearCalls();
  msfs.TuneCom(2, -1, 0);
  EXPECT_EQ(SentEvents(), (std::vector<Sent>{{"COM2_RADIO_WHOLE_DEC", 1}}));
}

TEST_F(RadioTest, TuneComExtremeCountsGiveThatManyEvents) {
  msfs.TuneCom(1, -128, 127);
  const auto sent = SentEvents();
  ASSERT_EQ(sent.size(), 255u);
  EXPECT_EQ(sent.front(), (Sent{"COM_RADIO_WHOLE_DEC", 1}));
  EXPECT_EQ(sent[127], (Sent{"COM_RADIO_WHOLE_DEC", 1}));
  EXPECT_EQ(sent[128], (Sent{"COM_RADIO_FRACT_INC", 1}));
  EXPECT_EQ(sent.back(), (Sent{"COM_RADIO_FRACT_INC", 1}));
}

TEST_F(RadioTest, BaroSendsOneEventPerReportAndUpWins) {
  msfs.AdjustBaro(1, -1, +1);
  msfs.AdjustBaro(1, +3, 0);
  msfs.AdjustBaro(2, -5, 0);
  msfs.AdjustBaro(0, 0, -128);
  EXPECT_EQ(SentEvents(), (std::vector<Sent>{{"KOHLSMAN_INC", 1}, {"KOHLSMAN_INC", 1}, {"KOHLSMAN_DEC", 1},
                                             {"KOHLSMAN_DEC", 1}}));
}

TEST_F(RadioTest, InvalidUnitsChangeAndSendNothing) {
  msfs.nav1Standby = msfs.nav2Standby = 110.5;
  msfs.course1 = msfs.course2 = 90;
  for (int unit : {0, 3, 255}) {
    msfs.TuneCom(static_cast<UnitSelector>(unit), 1, 1);
    msfs.TuneNav(static_cast<UnitSelector>(unit), 1, 0);
    msfs.AdjustCourse(static_cast<UnitSelector>(unit), 1, 0);
  }
  EXPECT_TRUE(SentEvents().empty());
  EXPECT_EQ(msfs.nav1Standby, 110.5);
  EXPECT_EQ(msfs.course2, 90);
}

TEST_F(RadioTest, ReportsInOnePassBuildOnTheValueJustStored) {
  msfs.nav1Standby = 110.50;
  msfs.headingBug = 355;
  msfs.TuneNav(1, +1, 0);
  msfs.TuneNav(1, 0, +1);
  msfs.TuneNav(1, 0, +1);
  msfs.AdjustHeadingBug(1, +1, 0);
  msfs.AdjustHeadingBug(1, 0, -6);
  EXPECT_EQ(SentEvents(), (std::vector<Sent>{{"NAV1_STBY_SET", 0x11150}, {"NAV1_STBY_SET", 0x11155},
                                             {"NAV1_STBY_SET", 0x11160}, {"HEADING_BUG_SET", 5},
                                             {"HEADING_BUG_SET", 359}}));
  // The simulator's next report overrides what was stored.
  fakesim::QueueMessage(fakesim::DataMessage(0, fakesim::Float64s({0, 0, 112.0, 0, 10, 0, 0})));
  SimConnect_CallDispatch(connectionHandle, OnSimMessage, nullptr);
  fakesim::ClearCalls();
  msfs.TuneNav(1, 0, -1);
  EXPECT_EQ(SentEvents(), (std::vector<Sent>{{"NAV1_STBY_SET", 0x11295}}));
}

// Reads a packed frequency back as MHz, requiring every nibble to be a
// decimal digit.
double UnpackBcd(std::uint32_t packed) {
  double value = 0;
  double weight = 0.01;
  for (; packed != 0; packed >>= 4, weight *= 10) {
    const std::uint32_t digit = packed & 0xF;
    if (digit > 9) return -1;
    value += digit * weight;
  }
  return value;
}

TEST_F(RadioTest, EveryNavFrequencyStepsOntoTheGridAndPacksToItsDigits) {
  // From every 50 kHz channel of the band, every single and multiple step
  // lands on a channel of the band whose digits read back as the frequency.
  for (int channel = 0; channel < 200; ++channel) {
    const double start = 108.0 + channel * 0.05;
    for (int outer = -9; outer <= 9; ++outer) {
      for (int inner : {-19, -3, -1, 0, 1, 3, 19}) {
        if (outer == 0 && inner == 0) continue;
        msfs.nav1Standby = start;
        fakesim::ClearCalls();
        msfs.TuneNav(1, static_cast<std::int8_t>(outer), static_cast<std::int8_t>(inner));
        const double tuned = msfs.nav1Standby;
        ASSERT_GE(tuned, 108.0 - 1e-9);
        ASSERT_LT(tuned, 118.0);
        ASSERT_NEAR(tuned * 20, std::round(tuned * 20), 1e-6) << start << " " << outer << " " << inner;
        const auto sent = fakesim::Transmissions();
        ASSERT_EQ(sent.size(), 1u);
        ASSERT_NEAR(UnpackBcd(sent[0].data), tuned, 1e-6) << std::hex << sent[0].data;
        // The megahertz part moves by exactly `outer`, wrapped in the band;
        // the channel part by `inner`, wrapped within the megahertz.
        const int startChannel = static_cast<int>(std::lround(start * 20)) % 20;
        const int startWhole = static_cast<int>(std::lround(start * 20)) / 20;
        const int tunedChannel = static_cast<int>(std::lround(tuned * 20)) % 20;
        const int tunedWhole = static_cast<int>(std::lround(tuned * 20)) / 20;
        ASSERT_EQ(tunedChannel, ((startChannel + inner) % 20 + 20) % 20) << start << " " << inner;
        ASSERT_EQ(tunedWhole, 108 + ((startWhole - 108 + outer) % 10 + 10) % 10) << start << " " << outer;
      }
    }
  }
}

struct BadMirrorValue {
  const char* name;
  double value;
};

class UnrepresentableMirror : public RadioTest, public ::testing::WithParamInterface<BadMirrorValue> {};

TEST_P(UnrepresentableMirror, SendsNothingAndKeepsTheMirror) {
  const double bad = GetParam().value;
  msfs.nav1Standby = msfs.nav2Standby = msfs.headingBug = msfs.course1 = msfs.course2 = bad;
  for (int outer : {-128, -1, 0, 1, 127}) {
    msfs.TuneNav(1, static_cast<std::int8_t>(outer), 1);
    msfs.TuneNav(2, static_cast<std::int8_t>(outer), -1);
    msfs.AdjustHeadingBug(1, static_cast<std::int8_t>(outer), 1);
    msfs.AdjustCourse(1, static_cast<std::int8_t>(outer), 1);
    msfs.AdjustCourse(2, static_cast<std::int8_t>(outer), -1);
  }
  EXPECT_TRUE(SentEvents().empty());
  // NaN compares unequal to itself; compare the bits.
  EXPECT_EQ(std::memcmp(&msfs.headingBug, &bad, sizeof bad), 0);
  EXPECT_EQ(std::memcmp(&msfs.nav2Standby, &bad, sizeof bad), 0);
}

INSTANTIATE_TEST_SUITE_P(Values, UnrepresentableMirror, ::testing::Values(
    BadMirrorValue{"NaN", std::numeric_limits<double>::quiet_NaN()},
    BadMirrorValue{"PlusInfinity", std::numeric_limits<double>::infinity()},
    BadMirrorValue{"MinusInfinity", -std::numeric_limits<double>::infinity()},
    BadMirrorValue{"Huge", 1e300},
    BadMirrorValue{"MinusHuge", -1e300},
    BadMirrorValue{"JustPast32Bits", 2147483648.0 * 41}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RadioTest, DegreesAtTheEdgeOfTheIntegerRangeDoNotOverflow) {
  // Out of any range, but whole numbers: computed without overflow (UBSan
  // watches) and sent as computed. 1397 degrees count as 317.
  msfs.headingBug = 2147483647.0;
  msfs.AdjustHeadingBug(1, 127, 127);
  msfs.course1 = -2147483648.0;
  msfs.AdjustCourse(1, -128, -128);
  EXPECT_EQ(SentEvents(), (std::vector<Sent>{{"HEADING_BUG_SET", 2147483604u}, {"VOR1_SET", 0x80000020u}}));
  EXPECT_EQ(msfs.headingBug, 2147483604.0);
}

TEST_F(RadioTest, SpinsOfMoreThanAFullRangeLandOnTheDial) {
  msfs.nav1Standby = 110.50;
  msfs.headingBug = 355;
  msfs.TuneNav(1, 127, 0);     // 127 MHz round a 10 MHz band: +7
  msfs.TuneNav(1, 0, -128);    // 128 channels back: -8 channels of 50 kHz
  msfs.AdjustHeadingBug(1, 36, 0);  // exactly one turn: unchanged
  msfs.AdjustHeadingBug(1, 127, 127);
  EXPECT_EQ(SentEvents(), (std::vector<Sent>{{"NAV1_STBY_SET", 0x11750}, {"NAV1_STBY_SET", 0x11710},
                                             {"HEADING_BUG_SET", 355}, {"HEADING_BUG_SET", 312}}));
}

TEST_F(RadioTest, OutOfRangeButRepresentableValuesAreSentAsComputed) {
  msfs.headingBug = 1000;
  msfs.AdjustHeadingBug(1, 0, 1);
  EXPECT_EQ(SentEvents(), (std::vector<Sent>{{"HEADING_BUG_SET", 641}}));
}

TEST_F(RadioTest, NothingReachesAClosedOrMissingConnection) {
  msfs.nav1Standby = 110.5;
  msfs.headingBug = 90;
  DisconnectFakeSimulator();
  msfs.TuneCom(1, 1, 1);
  msfs.TuneNav(1, 1, 0);
  msfs.AdjustHeadingBug(1, 1, 0);
  msfs.AdjustCourse(1, 1, 0);
  msfs.AdjustBaro(1, 1, 0);
  msfs.connection = nullptr;  // before any connection ever opened
  msfs.TuneNav(1, 1, 0);
  msfs.AdjustBaro(1, -1, 0);
  EXPECT_TRUE(fakesim::Calls().empty());
  EXPECT_EQ(msfs.nav1Standby, 110.5);
  EXPECT_EQ(msfs.headingBug, 90);
}

}  // namespace
