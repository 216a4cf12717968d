#pragma once

#include <cstdint>

// Which of two like devices a command acts on: 1 or 2 (COM 1/2, NAV 1/2,
// course 1/2, navigator 1/2). Other values are ignored by the commands that
// distinguish units.
typedef std::uint8_t UnitSelector;

// Key action 0..35, named below; larger values do nothing.
typedef std::uint32_t ButtonId;

// The key actions the panel asks for, shared by the panel's dispatch and
// the simulator's table of what each one sends.
namespace keyaction {
enum Action : ButtonId {
  kNavigator1KnobPush = 0,
  kNavigator1DirectTo,
  kNavigator1Menu,
  kNavigator1Clear,
  kNavigator1Enter,
  kNavigator1Cdi,
  kNavigator1Obs,
  kNavigator1Message,
  kNavigator1FlightPlan,
  kNavigator1Vnav,
  kNavigator1Procedure,
  kNavigator2KnobPush = 11,
  kNavigator2DirectTo,
  kNavigator2Menu,
  kNavigator2Clear,
  kNavigator2Enter,
  kNavigator2Cdi,
  kNavigator2Obs,
  kNavigator2Message,
  kNavigator2FlightPlan,
  kNavigator2Vnav,
  kNavigator2Procedure,
  kAutopilotMaster = 22,
  kAutopilotHeading,
  kAutopilotNav,
  kAutopilotApproach,
  kAutopilotAltitude,
  kAutopilotVerticalSpeed,
  kAutopilotFlightLevelChange = 28,
  kCom1Swap = 29,
  kCom2Swap,
  kNav1Swap,
  kNav2Swap,
  kStandardPressure = 33,
  kHeadingSync = 34,
  kTransponderIdent = 35,
  kCount
};
}  // namespace keyaction

// Bit 0 autopilot master, 1 heading hold, 2 NAV 1 hold, 3 approach hold,
// 4 altitude hold, 5 vertical-speed hold; bits 6 and 7 are zero.
typedef std::uint8_t AutopilotLampBits;

// The boundary between the panel and a particular simulator. It speaks in
// panel terms: which knob moved how many detents (signed, positive is
// clockwise), which key action was asked for. Turning that into simulator
// events is the implementation's business.
//
// Every operation may be called at any time from the supervisor thread,
// including while no simulator connection is open; such calls must not reach
// the simulator. There is deliberately no virtual destructor: the one
// implementation object is static and never deleted through this interface.
class FlightSimInterface {
 public:
  virtual void Initialize() = 0;
  virtual void TuneCom(UnitSelector unit, std::int8_t outer, std::int8_t inner) = 0;
  virtual void TuneNav(UnitSelector unit, std::int8_t outer, std::int8_t inner) = 0;
  virtual void AdjustHeadingBug(UnitSelector unit, std::int8_t outer, std::int8_t inner) = 0;
  virtual void AdjustCourse(UnitSelector unit, std::int8_t outer, std::int8_t inner) = 0;
  virtual void TurnFmsKnobs(UnitSelector unit, std::int8_t outer, std::int8_t inner) = 0;
  virtual void TurnRangeKnob(UnitSelector unit, std::int8_t outer, std::int8_t inner) = 0;
  virtual void AdjustAltitude(UnitSelector unit, std::int8_t outer, std::int8_t inner) = 0;
  virtual void AdjustTransponder(UnitSelector unit, std::int8_t outer, std::int8_t inner) = 0;
  virtual void AdjustBaro(UnitSelector unit, std::int8_t outer, std::int8_t inner) = 0;
  virtual void PressButton(ButtonId button) = 0;
  virtual AutopilotLampBits GetAutopilotLamps() = 0;

 protected:
  ~FlightSimInterface() = default;
};
