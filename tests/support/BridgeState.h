#pragma once

// The bridge's process-wide state, for everything that drives it on the fakes.

#include "panel/PanelDevice.h"
#include "sim/FlightSimInterfaceMSFS.h"
#include "supervisor/SupervisorThread.h"
#include "supervisor/WaitCauses.h"
#include "tests/fakes/FakeHidapi.h"
#include "tests/fakes/FakeSimConnect.h"
#include "tests/fakes/RecordingTray.h"

// The bridge as the program starts, with its fakes empty.
inline void ResetBridgeState() {
  fakehid::Reset();
  fakesim::Reset();
  faketray::Reset();
  PanelDevice = {nullptr, false, &msfs, {0, 0, 0, 0}, 0, 0};
  deviceOpen = false;
  simConnected = false;
  connectionHandle = nullptr;
  msfs = FlightSimInterfaceMSFS{};
  ForgetWaitCauses();
  panelOpenProbe = nullptr;
  panelOpenSchedule = PanelOpenSchedule{};
  panelPresence = nullptr;
  panelPollAlways = false;
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
