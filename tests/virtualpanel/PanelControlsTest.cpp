// The virtual panel must send exactly what the Dorvik panel sends: byte 0
// zero, bytes 1-4 the held keys little-endian, 5 and 6 the detents of this
// report, 7 the mode. Each row is a script as `virtualpanel --script` reads
// it; the report of its last line counts.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tools/virtualpanel/PanelControls.h"
#include "tools/virtualpanel/ScriptCommand.h"

namespace virtualpanel {
namespace {

std::string LastReport(const std::vector<const char*>& script) {
  PanelControls controls;
  InputReportBytes report{};
  for (const char* line : script) {
    ScriptCommand command;
    std::string error;
    if (!ParseScriptLine(line, &command, &error) || command.kind != ScriptCommand::kAction ||
        !ApplyAction(controls, command.action, &controls, &report)) {
      return std::string("refused: ") + line;
    }
  }
  std::string text;
  for (unsigned char value : report) {
    char byte[4];
    std::snprintf(byte, sizeof byte, "%02x ", value);
    text += byte;
  }
  text.pop_back();
  return text;
}

TEST(VirtualPanel, EachControlSendsTheBytesThePanelSends) {
  const struct {
    std::vector<const char*> script;
    const char* report;
  } rows[] = {
      {{"mode 2"}, "00 00 00 00 00 00 00 02"},
      {{"mode 2", "outer 1"}, "00 00 00 00 00 01 00 02"},
      {{"mode 0", "inner -1"}, "00 00 00 00 00 00 ff 00"},
      {{"inner -128"}, "00 00 00 00 00 00 80 00"},
      {{"outer +127"}, "00 00 00 00 00 7f 00 00"},
      {{"mode 4", "press directto", "press enter"}, "00 90 00 00 00 00 00 04"},
      {{"press menu", "press clear"}, "00 60 00 00 00 00 00 00"},
      {{"mode 7", "press swap"}, "00 00 01 00 00 00 00 07"},
      {{"press push"}, "00 00 02 00 00 00 00 00"},
      {{"mode 6", "press ap"}, "00 00 40 00 00 00 00 06"},
      {{"mode 6", "press ap", "release ap"}, "00 00 00 00 00 00 00 06"},
      {{"press hdg"}, "00 00 80 00 00 00 00 00"},
      {{"press nav", "press apr"}, "00 00 00 03 00 00 00 00"},
      {{"press alt", "press vs"}, "00 00 00 0c 00 00 00 00"},
      // Range knob: swap held while the outer knob turns in FMS2.
      {{"mode 5", "press swap", "outer 1"}, "00 00 01 00 00 01 00 05"},
      {{"press push", "release push", "outer -2"}, "00 00 00 00 00 fe 00 00"},
      // Detents belong to one report only.
      {{"mode 2", "outer 1", "press swap"}, "00 00 01 00 00 00 00 02"},
      {{"mode 255"}, "00 00 00 00 00 00 00 ff"},
      {{"outer 128"}, "refused: outer 128"},
      {{"inner -129"}, "refused: inner -129"},
      {{"mode 256"}, "refused: mode 256"},
      {{"mode -1"}, "refused: mode -1"},
      {{"press AP"}, "refused: press AP"},
  };
  for (const auto& row : rows) EXPECT_EQ(LastReport(row.script), row.report) << row.script.back();
}

TEST(VirtualPanel, RawReportsAndWhatIsNoCommand) {
  ScriptCommand command;
  std::string error;
  ASSERT_TRUE(ParseScriptLine(" raw 0b01 ", &command, &error));
  EXPECT_EQ(command.kind, ScriptCommand::kRaw);
  EXPECT_EQ(command.raw, (std::vector<unsigned char>{0x0b, 0x01}));
  const std::string bad[] = {"tap knob",   "raw 0",    "raw 0g",    "raw " + std::string(130, 'f'),
                             "wait 60001", "quit now", "outer 1 2", "jump"};
  for (const std::string& line : bad) EXPECT_FALSE(ParseScriptLine(line, &command, &error)) << line;
}

TEST(VirtualPanel, LightsTheLampsOfALampReportOnly) {
  const unsigned char masterAndAltitude[] = {0x0B, 0x11}, other[] = {0x0A, 0x11};
  std::uint8_t lamps = 0;
  ASSERT_TRUE(DecodeLampReport(masterAndAltitude, 2, &lamps));
  EXPECT_EQ(lamps, 0x11);
  EXPECT_FALSE(DecodeLampReport(other, 2, &lamps));
  EXPECT_FALSE(DecodeLampReport(masterAndAltitude, 1, &lamps));
}

}  // namespace
}  // namespace virtualpanel
