#pragma once

#include <cstdint>

#include "sim/FlightSimInterface.h"
#include "sim/SimConnect.h"
#include "sim/profile/ProfileFunctions.h"

namespace profile {
struct ProfileRuntime;
struct AircraftProfile;
}  // namespace profile

// The simulator implementation over SimConnect. One static object, `msfs`,
// exists; its fields mirror the simulator variables it asks for, in the order
// of the two data definitions, so each arriving data block maps field by
// field. Commands that set an absolute value compute it from the mirror and
// store it there before sending, so that the next report in the same pass
// starts from it.
class FlightSimInterfaceMSFS final : public FlightSimInterface {
 public:
  // Definition 0, request 0.
  double com1Standby = 0.0;
  double com2Standby = 0.0;
  double nav1Standby = 0.0;
  double nav2Standby = 0.0;
  double headingBug = 0.0;
  double course1 = 0.0;
  double course2 = 0.0;
  // Definition 1, request 1.
  double autopilotAltitude = 0.0;
  double autopilotVerticalSpeed = 0.0;
  std::int32_t transponderCode = 0;  // BCO16: one octal digit per nibble
  std::int32_t autopilotMaster = 0;
  std::int32_t headingHold = 0;
  std::int32_t nav1Hold = 0;
  std::int32_t approachHold = 0;
  std::int32_t altitudeHold = 0;
  std::int32_t verticalSpeedHold = 0;
  // Whether the open connection has delivered a block of each definition.
  // Until it has, the mirror holds zeros or the previous connection's
  // aircraft, and no command computes a value from it.
  bool definition0Received = false;
  bool definition1Received = false;
  // Points at the supervisor's variable holding the current connection; the
  // handle behind it is null while no connection is open.
  SimConnectHandle* connection = nullptr;
  // The aircraft's identity and the profile that applies to it: made at the
  // first connection, never destroyed, used by this thread alone.
  profile::ProfileRuntime* profiles = nullptr;

  void Initialize() override;
  void TuneCom(UnitSelector unit, std::int8_t outer, std::int8_t inner) override;
  void TuneNav(UnitSelector unit, std::int8_t outer, std::int8_t inner) override;
  void AdjustHeadingBug(UnitSelector unit, std::int8_t outer, std::int8_t inner) override;
  void AdjustCourse(UnitSelector unit, std::int8_t outer, std::int8_t inner) override;
  void TurnFmsKnobs(UnitSelector unit, std::int8_t outer, std::int8_t inner) override;
  void TurnRangeKnob(UnitSelector unit, std::int8_t outer, std::int8_t inner) override;
  void AdjustAltitude(UnitSelector unit, std::int8_t outer, std::int8_t inner) override;
  void AdjustTransponder(UnitSelector unit, std::int8_t outer, std::int8_t inner) override;
  void AdjustBaro(UnitSelector unit, std::int8_t outer, std::int8_t inner) override;
  void PressButton(ButtonId button) override;
  AutopilotLampBits GetAutopilotLamps() override;

  // Steps a radio frequency (MHz) by whole megahertz (outer) and by
  // `fractionStep` (inner), each wrapping once inside [minimum, maximum]
  // without carrying between them. Returns NaN when `frequency` cannot be
  // represented in 25 kHz units.
  double StepNavFrequency(double frequency, double minimum, double maximum, std::int32_t outer, std::int32_t inner,
                          double fractionStep) const;

  // After each dispatch: once the aircraft is known, and again whenever it
  // changes, reads the profiles afresh and applies the one that matches.
  void FollowAircraft();
  // Inside the dispatch: the identity, the profile's variables and the
  // simulator's refusals of the profile's requests.
  void OnProfileData(SimConnectDword request, const unsigned char* block, SimConnectDword size);
  void OnAircraftMessage(const unsigned char* message, SimConnectDword size);

  // True while a simulator connection is open; commands send nothing and
  // leave the mirror alone otherwise.
  bool IsConnected() const { return connection != nullptr && *connection != nullptr; }

 private:
  void Send(SimConnectDword eventId, SimConnectDword data) const;
  void StartFollowingAircraft();
  void ApplyProfile(bool found, profile::AircraftProfile* chosen);
  void NoteSent(int what, std::size_t index);
  // Runs the profile's actions for the steps of `knob` it takes over and
  // zeroes them; false when nothing is left for the built-in behaviour.
  bool TakeKnobSteps(profile::Knob knob, std::int8_t* outer, std::int8_t* inner);
  // Runs `function`'s actions `times` times; false when the profile leaves
  // the function to the built-in behaviour.
  bool RunProfileFunction(std::size_t function, int times);
  void WriteVariable(std::size_t variable, double value);
};

extern FlightSimInterfaceMSFS msfs;

// The dispatch callback: fills the mirror of `msfs` from object-data messages.
void OnSimMessage(SIMCONNECT_RECV* message, SimConnectDword size, void* context);
