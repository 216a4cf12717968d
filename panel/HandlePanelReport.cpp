#include "panel/HandlePanelReport.h"

#include <cstdint>

#include "panel/PanelDevice.h"
#include "panel/PanelMode.h"

namespace {

constexpr std::uint32_t kSwapKey = 1u << 8;
constexpr std::uint32_t kKnobPush = 1u << 9;

void DispatchKnobs(const PanelReport& report, FlightSimInterface& sim) {
  const bool shift = PanelDevice.shift;
  const bool rangeHeld = (report.keys & kSwapKey) != 0;
  const std::int8_t outer = report.outer;
  const std::int8_t inner = report.inner;
  switch (PanelDevice.mode) {
    case ModeCom1:
      shift ? sim.AdjustHeadingBug(1, outer, inner) : sim.TuneCom(1, outer, inner);
      break;
    case ModeCom2:
      shift ? sim.AdjustBaro(1, outer, inner) : sim.TuneCom(2, outer, inner);
      break;
    case ModeNav1:
      shift ? sim.AdjustCourse(1, outer, inner) : sim.TuneNav(1, outer, inner);
      break;
    case ModeNav2:
      shift ? sim.AdjustCourse(2, outer, inner) : sim.TuneNav(2, outer, inner);
      break;
    case ModeFms1:
      rangeHeld ? sim.TurnRangeKnob(1, outer, inner) : sim.TurnFmsKnobs(1, outer, inner);
      break;
    case ModeFms2:
      rangeHeld ? sim.TurnRangeKnob(2, outer, inner) : sim.TurnFmsKnobs(2, outer, inner);
      break;
    case ModeAutopilot:
      sim.AdjustAltitude(1, outer, inner);
      break;
    case ModeTransponder:
      sim.AdjustTransponder(shift ? 2 : 1, outer, inner);
      break;
    default:
      break;
  }
}

// Button for the swap key, or -1 when the key does nothing in this mode.
int SwapKeyButton(std::uint8_t mode, bool shift) {
  switch (mode) {
    case ModeCom1: return shift ? 34 : 29;
    case ModeCom2: return shift ? 33 : 30;
    case ModeNav1: return 31;
    case ModeNav2: return 32;
    case ModeAutopilot: return 28;
    case ModeTransponder: return 35;
    default: return -1;  // navigator modes use the key for range; others have none
  }
}

struct FunctionKey {
  std::uint32_t mask;
  int navigator1;  // button in ModeFms1
  int navigator2;  // button in ModeFms2
  int otherModes;  // button elsewhere, -1 for none
};

// In the order the keys are tested: autopilot keys first, then the keys that
// only navigators have.
constexpr FunctionKey kFunctionKeys[] = {
    {1u << 14, 5, 16, 22}, {1u << 15, 6, 17, 23}, {1u << 16, 7, 18, 24}, {1u << 17, 8, 19, 25},
    {1u << 18, 9, 20, 26}, {1u << 19, 10, 21, 27}, {1u << 4, 1, 12, -1},  {1u << 5, 2, 13, -1},
    {1u << 6, 3, 14, -1},  {1u << 7, 4, 15, -1},
};

}  // namespace

void HandlePanelReport(const PanelReport& report) {
  FlightSimInterface& sim = *PanelDevice.simulator;
  const std::uint32_t pressed = report.keys & ~PanelDevice.lastReport.keys;
  const std::uint8_t mode = PanelDevice.mode;

  if (report.outer != 0 || report.inner != 0) DispatchKnobs(report, sim);

  if (pressed & kKnobPush) {
    if (mode == ModeFms1) {
      sim.PressButton(0);
    } else if (mode == ModeFms2) {
      sim.PressButton(11);
    } else {
      PanelDevice.shift = !PanelDevice.shift;
    }
  }

  if (pressed & kSwapKey) {
    const int button = SwapKeyButton(mode, PanelDevice.shift);
    if (button >= 0) sim.PressButton(static_cast<ButtonId>(button));
  }

  for (const FunctionKey& key : kFunctionKeys) {
    if (!(pressed & key.mask)) continue;
    const int button = mode == ModeFms1 ? key.navigator1 : mode == ModeFms2 ? key.navigator2 : key.otherModes;
    if (button >= 0) sim.PressButton(static_cast<ButtonId>(button));
  }
}
