#pragma once

// One line of the virtual panel's script language, used by the tests to
// drive the panel from a pipe:
//   mode N | outer N | inner N | press KEY | release KEY | tap KEY |
//   raw HEX | wait MS | quit
// Blank lines and lines starting with '#' do nothing.

#include <string>
#include <string_view>
#include <vector>

#include "tools/virtualpanel/PanelControls.h"

namespace virtualpanel {

struct ScriptCommand {
  enum Kind { kNothing, kAction, kTap, kRaw, kWait, kQuit };
  Kind kind = kNothing;
  PanelAction action{PanelAction::kSelectMode, 0, PanelKey::Push};  // kAction; kTap uses action.key
  std::vector<unsigned char> raw;                                   // kRaw: sent as they stand
  int milliseconds = 0;                                             // kWait
};

// Longest raw report a script may send: what one frame to the bridge holds.
constexpr int kMaxRawReport = 64;
// Longest wait a script may ask for, so a typo cannot stall a test for good.
constexpr int kMaxWaitMilliseconds = 60000;

// Parses one line (without its line end). Returns false with a short reason
// in `error` when the line is not a command.
bool ParseScriptLine(std::string_view line, ScriptCommand* command, std::string* error);

}  // namespace virtualpanel
