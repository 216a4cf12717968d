// Decoding input reports and draining the panel's queue.

#include <gtest/gtest.h>

#include "panel/PanelDevice.h"
#include "panel/PanelMode.h"
#include "tests/support/CoreFixture.h"
#include "tests/support/PanelBytes.h"
#include "tests/support/RecordingSimulator.h"

namespace {

TEST(PanelReportDecode, ReadsEveryFieldFromItsByte) {
  const unsigned char bytes[] = {0xAA, 0x78, 0x56, 0x34, 0x12, 0xFF, 0x80, 0x05};
  PanelReport report{};
  ASSERT_TRUE(DecodePanelReport(bytes, 8, &report));
  EXPECT_EQ(report.keys, 0x12345678u);  // little-endian, byte 0 ignored
  EXPECT_EQ(report.outer, -1);
  EXPECT_EQ(report.inner, -128);
  EXPECT_EQ(report.mode, 5);
}

TEST(PanelReportDecode, RejectsShortReportsWithoutTouchingTheResult) {
  const unsigned char bytes[8] = {0, 1, 2, 3, 4, 5, 6, 7};
  for (int length = 0; length < 8; ++length) {
    PanelReport report{0xDEADBEEF, 9, 9, 9};
    EXPECT_FALSE(DecodePanelReport(bytes, length, &report)) << length;
    EXPECT_EQ(report.keys, 0xDEADBEEFu);
  }
  PanelReport report{};
  EXPECT_FALSE(DecodePanelReport(nullptr, 8, &report));
}

TEST(PanelReportDecode, EncodeIsTheInverseForExtremeCounts) {
  for (const PanelReport original : {PanelReport{0xFFFFFFFF, 255, -128, 127}, PanelReport{0, 0, 127, -128},
                                     PanelReport{0x80000001, 7, 1, -1}}) {
    unsigned char bytes[8];
    EncodePanelReport(original, bytes);
    PanelReport decoded{};
    ASSERT_TRUE(DecodePanelReport(bytes, 8, &decoded));
    EXPECT_EQ(decoded.keys, original.keys);
    EXPECT_EQ(decoded.mode, original.mode);
    EXPECT_EQ(decoded.outer, original.outer);
    EXPECT_EQ(decoded.inner, original.inner);
  }
}

class ReadPanelReportsTest : public CoreTest {
 protected:
  RecordingSimulator sim;
  void SetUp() override {
    CoreTest::SetUp();
    PanelDevice.simulator = &sim;
    fakehid::PlugIn();
    PanelDevice.device = hid_open(kPanelVendorId, kPanelProductId, nullptr);
  }
};

TEST_F(ReadPanelReportsTest, EmptyQueueMakesOneReadAndHandlesNothing) {
  EXPECT_EQ(ReadPanelReports(), 0);
  EXPECT_EQ(fakehid::ReadCalls(), 1);
  EXPECT_TRUE(sim.ops.empty());
}

TEST_F(ReadPanelReportsTest, DrainsEveryQueuedReportInOrder) {
  fakehid::QueueReport(PanelBytes(ModeCom1, 0, +1, 0));
  fakehid::QueueReport(PanelBytes(ModeCom1, 0, 0, -2));
  fakehid::QueueReport(PanelBytes(ModeCom1, 0, +3, 0));
  EXPECT_EQ(ReadPanelReports(), 0);
  const std::vector<SimOp> expected = {{"TuneCom", 1, 1, 0}, {"TuneCom", 1, 0, -2}, {"TuneCom", 1, 3, 0}};
  EXPECT_EQ(sim.ops, expected);
  EXPECT_EQ(fakehid::PendingReports(), 0u);
}

TEST_F(ReadPanelReportsTest, PressOfTheSecondReportIsMeasuredAgainstTheFirst) {
  fakehid::QueueReport(PanelBytes(ModeCom1, key::kApMaster));
  fakehid::QueueReport(PanelBytes(ModeCom1, key::kApMaster | key::kHeading));
  ReadPanelReports();
  EXPECT_EQ(sim.ops, (std::vector<SimOp>{Press(22), Press(23)}));
}

TEST_F(ReadPanelReportsTest, ReadErrorAfterGoodReportsHandlesThemThenFails) {
  fakehid::QueueReport(PanelBytes(ModeCom2, 0, 1, 0));
  fakehid::QueueReport(PanelBytes(ModeCom2, 0, 2, 0));
  fakehid::QueueReadError();
  fakehid::QueueReport(PanelBytes(ModeCom2, 0, 3, 0));
  EXPECT_LT(ReadPanelReports(), 0);
  EXPECT_EQ(sim.ops, (std::vector<SimOp>{{"TuneCom", 2, 1, 0}, {"TuneCom", 2, 2, 0}}));
}

TEST_F(ReadPanelReportsTest, ShortReportIsDroppedAndTheNextOneBehavesAsIfAlone) {
  // The short report carries a key press and a mode change; neither may
  // leak into state through stale buffer bytes.
  fakehid::QueueReport(PanelBytes(ModeNav1, key::kApMaster, 5, 5));
  ReadPanelReports();
  sim.ops.clear();
  const PanelReport before = PanelDevice.lastReport;
  for (size_t length = 1; length < 8; ++length) {
    auto shortReport = PanelBytes(ModeNav2, key::kPush | key::kSwap, 1, 1);
    shortReport.resize(length);
    fakehid::QueueReport(shortReport);
  }
  fakehid::QueueReport(PanelBytes(ModeNav1, key::kApMaster | key::kHeading, 1, 0));
  EXPECT_EQ(ReadPanelReports(), 0);
  EXPECT_EQ(sim.ops, (std::vector<SimOp>{{"TuneNav", 1, 1, 0}, Press(23)}));
  EXPECT_EQ(PanelDevice.mode, ModeNav1);
  EXPECT_FALSE(PanelDevice.shift);
  EXPECT_NE(PanelDevice.lastReport.keys, before.keys);
}

TEST_F(ReadPanelReportsTest, LongerReportsAreCutToTheEightBytesThatMatter) {
  auto longReport = PanelBytes(ModeCom1, 0, 2, 0);
  longReport.resize(64, 0xFF);
  fakehid::QueueReport(longReport);
  ReadPanelReports();
  EXPECT_EQ(sim.ops, (std::vector<SimOp>{{"TuneCom", 1, 2, 0}}));
}

TEST_F(ReadPanelReportsTest, ModeChangeClearsShiftBeforeTheKnobsAreDispatched) {
  PanelDevice.mode = ModeNav1;
  PanelDevice.shift = true;
  fakehid::QueueReport(PanelBytes(ModeNav2, 0, 1, 0));
  ReadPanelReports();
  EXPECT_EQ(sim.ops, (std::vector<SimOp>{{"TuneNav", 2, 1, 0}}));
  EXPECT_FALSE(PanelDevice.shift);
  EXPECT_EQ(PanelDevice.mode, ModeNav2);
}

TEST_F(ReadPanelReportsTest, SameModeLeavesShiftAlone) {
  PanelDevice.mode = ModeNav1;
  PanelDevice.shift = true;
  fakehid::QueueReport(PanelBytes(ModeNav1, 0, 1, 0));
  ReadPanelReports();
  EXPECT_EQ(sim.ops, (std::vector<SimOp>{{"AdjustCourse", 1, 1, 0}}));
  EXPECT_TRUE(PanelDevice.shift);
}

TEST_F(ReadPanelReportsTest, KeysHeldAtStartUpCountAsPressed) {
  fakehid::QueueReport(PanelBytes(ModeCom1, key::kApMaster));
  ReadPanelReports();
  EXPECT_EQ(sim.ops, (std::vector<SimOp>{Press(22)}));
}

}  // namespace
