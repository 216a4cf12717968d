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

// The swap key's action, or -1 when the key does nothing in this mode.
int SwapKeyButton(std::uint8_t mode, bool shift) {
  using namespace keyaction;
  switch (mode) {
    case ModeCom1:
      return shift ? kHeadingSync : kCom1Swap;
    case ModeCom2:
      return shift ? kStandardPressure : kCom2Swap;
    case ModeNav1:
      return kNav1Swap;
    case ModeNav2:
      return kNav2Swap;
    case ModeAutopilot:
      return kAutopilotFlightLevelChange;
    case ModeTransponder:
      return kTransponderIdent;
    default:
      return -1;  // navigator modes use the key for range; others have none
  }
}

struct FunctionKey {
  std::uint32_t mask;
  int navigator1;  // action in ModeFms1
  int navigator2;  // action in ModeFms2
  int otherModes;  // action elsewhere, -1 for none
};

// In the order the keys are tested: autopilot keys first, then the keys that
// only navigators have.
constexpr FunctionKey kFunctionKeys[] = {
    {1u << 14, keyaction::kNavigator1Cdi, keyaction::kNavigator2Cdi, keyaction::kAutopilotMaster},
    {1u << 15, keyaction::kNavigator1Obs, keyaction::kNavigator2Obs, keyaction::kAutopilotHeading},
    {1u << 16, keyaction::kNavigator1Message, keyaction::kNavigator2Message, keyaction::kAutopilotNav},
    {1u << 17, keyaction::kNavigator1FlightPlan, keyaction::kNavigator2FlightPlan, keyaction::kAutopilotApproach},
    {1u << 18, keyaction::kNavigator1Vnav, keyaction::kNavigator2Vnav, keyaction::kAutopilotAltitude},
    {1u << 19, keyaction::kNavigator1Procedure, keyaction::kNavigator2Procedure, keyaction::kAutopilotVerticalSpeed},
    {1u << 4, keyaction::kNavigator1DirectTo, keyaction::kNavigator2DirectTo, -1},
    {1u << 5, keyaction::kNavigator1Menu, keyaction::kNavigator2Menu, -1},
    {1u << 6, keyaction::kNavigator1Clear, keyaction::kNavigator2Clear, -1},
    {1u << 7, keyaction::kNavigator1Enter, keyaction::kNavigator2Enter, -1},
};

}  // namespace

void HandlePanelReport(const PanelReport& report) {
  FlightSimInterface& sim = *PanelDevice.simulator;
  const std::uint32_t pressed = report.keys & ~PanelDevice.lastReport.keys;
  const std::uint8_t mode = PanelDevice.mode;

  if (report.outer != 0 || report.inner != 0) DispatchKnobs(report, sim);

  if (pressed & kKnobPush) {
    if (mode == ModeFms1) {
      sim.PressButton(keyaction::kNavigator1KnobPush);
    } else if (mode == ModeFms2) {
      sim.PressButton(keyaction::kNavigator2KnobPush);
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
