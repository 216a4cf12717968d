#include <gtest/gtest.h>

#include "tools/virtualpanel/ScriptCommand.h"

namespace virtualpanel {
namespace {

TEST(ScriptCommand, ActionsCarryTheirValues) {
  const struct {
    const char* line;
    PanelAction::Kind kind;
    int value;
  } cases[] = {
      {"mode 2", PanelAction::kSelectMode, 2},   {"mode 255", PanelAction::kSelectMode, 255},
      {"outer 1", PanelAction::kTurnOuter, 1},   {"outer -3", PanelAction::kTurnOuter, -3},
      {"inner +5", PanelAction::kTurnInner, 5},  {"inner -128", PanelAction::kTurnInner, -128},
      {"  outer   127  ", PanelAction::kTurnOuter, 127},
  };
  for (const auto& c : cases) {
    ScriptCommand command;
    std::string error;
    ASSERT_TRUE(ParseScriptLine(c.line, &command, &error)) << c.line << ": " << error;
    EXPECT_EQ(command.kind, ScriptCommand::kAction) << c.line;
    EXPECT_EQ(command.action.kind, c.kind) << c.line;
    EXPECT_EQ(command.action.value, c.value) << c.line;
  }
}

TEST(ScriptCommand, KeysArePressedReleasedOrTapped) {
  ScriptCommand command;
  std::string error;
  ASSERT_TRUE(ParseScriptLine("press ap", &command, &error));
  EXPECT_EQ(command.kind, ScriptCommand::kAction);
  EXPECT_EQ(command.action.kind, PanelAction::kPress);
  EXPECT_EQ(command.action.key, PanelKey::Ap);

  ASSERT_TRUE(ParseScriptLine("release swap", &command, &error));
  EXPECT_EQ(command.action.kind, PanelAction::kRelease);
  EXPECT_EQ(command.action.key, PanelKey::Swap);

  ASSERT_TRUE(ParseScriptLine("tap directto", &command, &error));
  EXPECT_EQ(command.kind, ScriptCommand::kTap);
  EXPECT_EQ(command.action.key, PanelKey::DirectTo);
}

TEST(ScriptCommand, RawWaitQuitAndBlankLines) {
  ScriptCommand command;
  std::string error;
  ASSERT_TRUE(ParseScriptLine("raw 000040000000FF06", &command, &error));
  EXPECT_EQ(command.kind, ScriptCommand::kRaw);
  EXPECT_EQ(command.raw, (std::vector<unsigned char>{0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0xFF, 0x06}));

  ASSERT_TRUE(ParseScriptLine("raw 0b", &command, &error));
  EXPECT_EQ(command.raw.size(), 1u);

  ASSERT_TRUE(ParseScriptLine("wait 250", &command, &error));
  EXPECT_EQ(command.kind, ScriptCommand::kWait);
  EXPECT_EQ(command.milliseconds, 250);

  ASSERT_TRUE(ParseScriptLine("quit\r", &command, &error));
  EXPECT_EQ(command.kind, ScriptCommand::kQuit);

  for (const char* nothing : {"", "   ", "# comment", "\t"}) {
    ASSERT_TRUE(ParseScriptLine(nothing, &command, &error)) << nothing;
    EXPECT_EQ(command.kind, ScriptCommand::kNothing);
  }
}

TEST(ScriptCommand, RejectsWhatIsNoCommand) {
  const char* bad[] = {
      "mode", "mode 256", "mode -1", "mode two", "outer 128", "outer -129", "inner", "inner 1x",
      "press", "press AP", "tap knob", "raw", "raw 0", "raw 0g", "raw 00 11",
      "raw 00000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000ff",
      "wait", "wait -1", "wait 60001", "wait 9999999999", "quit now", "jump", "outer 1 2",
  };
  for (const char* line : bad) {
    ScriptCommand command;
    command.kind = ScriptCommand::kQuit;
    std::string error;
    EXPECT_FALSE(ParseScriptLine(line, &command, &error)) << line;
    EXPECT_FALSE(error.empty()) << line;
    EXPECT_EQ(command.kind, ScriptCommand::kQuit) << line;
  }
}

}  // namespace
}  // namespace virtualpanel
