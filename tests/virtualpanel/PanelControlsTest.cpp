// The virtual panel must send exactly what the Dorvik panel sends: byte 0
// zero, bytes 1-4 the held keys little-endian, 5 and 6 the detents of this
// report, 7 the mode.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/virtualpanel/TestName.h"
#include "tools/virtualpanel/PanelControls.h"

namespace virtualpanel {
namespace {

std::string Hex(const InputReportBytes& bytes) {
  std::string text;
  char byte[4];
  for (unsigned char value : bytes) {
    std::snprintf(byte, sizeof byte, "%02x ", value);
    text += byte;
  }
  text.pop_back();
  return text;
}

PanelAction Mode(int mode) { return {PanelAction::kSelectMode, mode, PanelKey::Push}; }
PanelAction Outer(int steps) { return {PanelAction::kTurnOuter, steps, PanelKey::Push}; }
PanelAction Inner(int steps) { return {PanelAction::kTurnInner, steps, PanelKey::Push}; }
PanelAction Press(PanelKey key) { return {PanelAction::kPress, 0, key}; }
PanelAction Release(PanelKey key) { return {PanelAction::kRelease, 0, key}; }


struct ReportCase {
  const char* what;
  std::vector<PanelAction> actions;  // all but the last set the scene
  const char* lastReport;
};

class ReportOfAction : public testing::TestWithParam<ReportCase> {};

TEST_P(ReportOfAction, IsTheBytesThePanelSends) {
  const ReportCase& c = GetParam();
  PanelControls controls;
  InputReportBytes report{};
  for (const PanelAction& action : c.actions) ASSERT_TRUE(ApplyAction(controls, action, &controls, &report));
  EXPECT_EQ(Hex(report), c.lastReport) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Panel, ReportOfAction,
    testing::Values(
        ReportCase{"NAV1 mode selected", {Mode(2)}, "00 00 00 00 00 00 00 02"},
        ReportCase{"NAV1 outer knob one detent clockwise", {Mode(2), Outer(+1)}, "00 00 00 00 00 01 00 02"},
        ReportCase{"COM1 inner knob one detent back", {Mode(0), Inner(-1)}, "00 00 00 00 00 00 ff 00"},
        ReportCase{"inner knob fastest spin back", {Inner(-128)}, "00 00 00 00 00 00 80 00"},
        ReportCase{"outer knob fastest spin forward", {Outer(127)}, "00 00 00 00 00 7f 00 00"},
        ReportCase{"AP key pressed in AP mode", {Mode(6), Press(PanelKey::Ap)}, "00 00 40 00 00 00 00 06"},
        ReportCase{"AP key released again", {Mode(6), Press(PanelKey::Ap), Release(PanelKey::Ap)}, "00 00 00 00 00 00 00 06"},
        ReportCase{"knob pushed in COM1", {Press(PanelKey::Push)}, "00 00 02 00 00 00 00 00"},
        ReportCase{"swap pressed in XPDR", {Mode(7), Press(PanelKey::Swap)}, "00 00 01 00 00 00 00 07"},
        ReportCase{"VS key in the third key byte", {Press(PanelKey::Vs)}, "00 00 00 08 00 00 00 00"},
        ReportCase{"NAV and APR keys", {Press(PanelKey::Nav), Press(PanelKey::Apr)}, "00 00 00 03 00 00 00 00"},
        ReportCase{"navigator keys in FMS1", {Mode(4), Press(PanelKey::DirectTo), Press(PanelKey::Enter)}, "00 90 00 00 00 00 00 04"},
        ReportCase{"range knob: swap held while the outer knob turns in FMS2",
                   {Mode(5), Press(PanelKey::Swap), Outer(+1)}, "00 00 01 00 00 01 00 05"},
        ReportCase{"heading bug: push then the outer knob back",
                   {Mode(0), Press(PanelKey::Push), Release(PanelKey::Push), Outer(-2)}, "00 00 00 00 00 fe 00 00"},
        ReportCase{"detents belong to one report only", {Mode(2), Outer(+1), Press(PanelKey::Swap)}, "00 00 01 00 00 00 00 02"},
        ReportCase{"mode byte the panel never selects", {Mode(255)}, "00 00 00 00 00 00 00 ff"}),
    [](const testing::TestParamInfo<ReportCase>& info) { return TestName(info.param.what); });

TEST(PanelControls, RefusesValuesThatDoNotFitTheirByte) {
  const PanelControls before{0x4000, 6};
  for (const PanelAction& action : {Outer(128), Outer(-129), Inner(300), Mode(256), Mode(-1)}) {
    PanelControls after{1, 1};
    InputReportBytes report{};
    report.fill(0xAA);
    EXPECT_FALSE(ApplyAction(before, action, &after, &report));
    EXPECT_EQ(after.keys, 1u);
    EXPECT_EQ(report[0], 0xAA);
  }
}

TEST(PanelControls, KeyNamesRoundTripToTheirBits) {
  const struct {
    const char* name;
    std::uint32_t mask;
  } keys[] = {{"directto", 0x10}, {"menu", 0x20},   {"clear", 0x40},    {"enter", 0x80},
              {"swap", 0x100},    {"push", 0x200},  {"ap", 0x4000},     {"hdg", 0x8000},
              {"nav", 0x10000},   {"apr", 0x20000}, {"alt", 0x40000},   {"vs", 0x80000}};
  for (const auto& k : keys) {
    PanelKey key;
    ASSERT_TRUE(FindKey(k.name, &key)) << k.name;
    EXPECT_EQ(KeyMask(key), k.mask) << k.name;
    EXPECT_STREQ(KeyName(key), k.name);
  }
  PanelKey key;
  EXPECT_FALSE(FindKey("AP", &key));
  EXPECT_FALSE(FindKey("", &key));
}

TEST(PanelControls, ModesAreNamedAsOnThePanel) {
  const char* names[] = {"COM1", "COM2", "NAV1", "NAV2", "FMS1", "FMS2", "AP", "XPDR"};
  for (int mode = 0; mode < kPanelModeCount; ++mode) EXPECT_STREQ(ModeName(mode), names[mode]);
  EXPECT_STREQ(ModeName(8), "?");
  EXPECT_STREQ(ModeName(-1), "?");
}

TEST(LampReport, LightsTheAutopilotLampsOfItsBits) {
  std::uint8_t lamps = 0;
  const unsigned char masterAndAltitude[] = {0x0B, 0x11};
  ASSERT_TRUE(DecodeLampReport(masterAndAltitude, sizeof masterAndAltitude, &lamps));
  EXPECT_EQ(lamps, 0x11);
  EXPECT_STREQ(LampName(0), "AP");
  EXPECT_STREQ(LampName(4), "ALT");
  EXPECT_EQ(LampKey(5), PanelKey::Vs);

  const unsigned char otherReport[] = {0x0A, 0x11};
  const unsigned char tooShort[] = {0x0B};
  lamps = 0x3F;
  EXPECT_FALSE(DecodeLampReport(otherReport, sizeof otherReport, &lamps));
  EXPECT_FALSE(DecodeLampReport(tooShort, sizeof tooShort, &lamps));
  EXPECT_FALSE(DecodeLampReport(nullptr, 2, &lamps));
  EXPECT_EQ(lamps, 0x3F);
}

}  // namespace
}  // namespace virtualpanel
