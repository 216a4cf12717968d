#pragma once

// The bridge's process-wide state, for everything that drives it on the fakes.

#include "panel/PanelDevice.h"
#include "sim/FlightSimInterfaceMSFS.h"
#include "supervisor/PanelPresence.h"
#include "supervisor/SupervisorThread.h"
#include "supervisor/WaitCauses.h"
#include "tests/fakes/FakeHidapi.h"
#include "tests/fakes/FakeSimConnect.h"
#include "tests/fakes/RecordingTray.h"

// The bridge's static state as the program itself initialised it, copied
// before any test drives it (the first reset runs before the first test), so
// that a wrong static initialiser shows in every test instead of being
// repeated by the fixture.
struct InitialBridgeState {
  struct PanelDevice panel = PanelDevice;
  bool deviceOpen = ::deviceOpen, simConnected = ::simConnected;
  SimConnectHandle connectionHandle = ::connectionHandle;
  FlightSimInterfaceMSFS msfs = ::msfs;
  PanelOpenSchedule panelOpenSchedule = ::panelOpenSchedule;
  PanelPresence panelPresence = ::panelPresence;
  PanelOpenProbe panelOpenProbe = ::panelOpenProbe;
};

// The bridge as the program starts, with its fakes empty and the switches of
// the environment off.
inline void ResetBridgeState() {
  static const InitialBridgeState initial;
  fakehid::Reset();
  fakesim::Reset();
  faketray::Reset();
  PanelDevice = initial.panel;
  deviceOpen = initial.deviceOpen;
  simConnected = initial.simConnected;
  connectionHandle = initial.connectionHandle;
  msfs = initial.msfs;
  panelOpenSchedule = initial.panelOpenSchedule;
  panelPresence = initial.panelPresence;
  panelOpenProbe = initial.panelOpenProbe;
  panelPollAlways = false;
  ForgetWaitCauses();
}

// An open simulator connection that has sent both data blocks, for command
// tests that set the mirror themselves.
inline void ConnectFakeSimulator() {
  fakesim::SetSimulatorRunning(true);
  SimConnect_Open(&connectionHandle, "Request Data", nullptr, 0, nullptr, 0);
  msfs.connection = &connectionHandle;
  msfs.definition0Received = msfs.definition1Received = true;
  fakesim::ClearCalls();
}
