#pragma once

// Process-wide bridge state for tests, benchmarks and tools that drive the
// core through the fakes. No test framework here.

#include "panel/PanelDevice.h"
#include "sim/FlightSimInterfaceMSFS.h"
#include "supervisor/SupervisorThread.h"
#include "tests/fakes/FakeHidapi.h"
#include "tests/fakes/FakeSimConnect.h"
#include "tests/fakes/RecordingTray.h"

// Puts every piece of process-wide state back to how the program starts, so
// each test sees a freshly started bridge with its fakes empty.
inline void ResetBridgeState() {
  fakehid::Reset();
  fakesim::Reset();
  faketray::Reset();
  PanelDevice = {nullptr, false, &msfs, {0, 0, 0, 0}, 0, 0};
  deviceOpen = false;
  simConnected = false;
  connectionHandle = nullptr;
  msfs = FlightSimInterfaceMSFS{};
}

// A bridge with an open simulator connection, for command tests.
inline void ConnectFakeSimulator() {
  fakesim::SetSimulatorRunning(true);
  SimConnect_Open(&connectionHandle, "Request Data", nullptr, 0, nullptr, 0);
  msfs.connection = &connectionHandle;
  simConnected = true;
  fakesim::ClearCalls();
}

// What the supervisor does after losing the simulator: close and forget.
inline void DisconnectFakeSimulator() {
  SimConnect_Close(connectionHandle);
  connectionHandle = nullptr;
  simConnected = false;
  fakesim::ClearCalls();
}
