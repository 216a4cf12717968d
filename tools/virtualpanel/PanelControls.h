#pragma once

// The virtual panel's controls and the input report each use of them makes
// the panel send. Pure functions: the terminal front end and the script
// runner both build on them, and the tests check them byte for byte.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "panel/PanelReport.h"

namespace virtualpanel {

enum class PanelKey { DirectTo, Menu, Clear, Enter, Swap, Push, Ap, Hdg, Nav, Apr, Alt, Vs };
constexpr int kPanelKeyCount = 12;

// The key's bit in the report's key mask.
std::uint32_t KeyMask(PanelKey key);
// The key's name in scripts: directto menu clear enter swap push ap hdg nav apr alt vs.
const char* KeyName(PanelKey key);
bool FindKey(std::string_view name, PanelKey* key);

constexpr int kPanelModeCount = 8;
// COM1 COM2 NAV1 NAV2 FMS1 FMS2 AP XPDR; "?" for a mode the panel never selects.
const char* ModeName(int mode);

// What the panel holds between reports: the keys held down and the mode.
struct PanelControls {
  std::uint32_t keys = 0;
  std::uint8_t mode = 0;
};

struct PanelAction {
  enum Kind { kSelectMode, kTurnOuter, kTurnInner, kPress, kRelease };
  Kind kind;
  int value;  // the mode, or the signed number of detents turned
  PanelKey key;
};

using InputReportBytes = std::array<unsigned char, kPanelReportSize>;

// Fills `after` with the controls once `action` is done and `report` with
// the input report the panel sends for it: the current keys and mode, and
// the detents of this action alone. Returns false, touching neither, when
// the value does not fit its byte (mode 0-255, steps -128..127).
bool ApplyAction(const PanelControls& before, const PanelAction& action, PanelControls* after,
                 InputReportBytes* report);

// The lamp bits of an output report from the bridge; false when the report
// is not a lamp report.
bool DecodeLampReport(const unsigned char* bytes, std::size_t length, std::uint8_t* lamps);

// The six autopilot keys whose lamps the bridge lights, by lamp bit (0-5).
constexpr int kLampCount = 6;
PanelKey LampKey(int bit);
const char* LampName(int bit);  // AP HDG NAV APR ALT VS

}  // namespace virtualpanel
