// Makes, through our network client, the same SimConnect calls that
// compare-requests.js makes through node-simconnect, so the two can be
// compared on the wire. The server is the one SimConnect.cfg in the working
// directory names.

#include <chrono>
#include <cstdio>
#include <thread>

#include "sim/SimConnect.h"

int main() {
  SimConnectHandle handle = nullptr;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (SimConnect_Open(&handle, "Request Data", nullptr, 0, nullptr, 0) < 0) {
    if (std::chrono::steady_clock::now() > deadline) {
      std::fputs("no answer to the open request\n", stderr);
      return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  SimConnect_MapClientEventToSimEvent(handle, 2, "NAV1_STBY_SET");
  SimConnect_AddToDataDefinition(handle, 0, "NAV STANDBY FREQUENCY:1", "MHz", SIMCONNECT_DATATYPE_FLOAT64, 0.0f,
                                 SIMCONNECT_UNUSED);
  SimConnect_AddToDataDefinition(handle, 1, "TRANSPONDER CODE:1", "BCO16", SIMCONNECT_DATATYPE_INT32, 0.0f,
                                 SIMCONNECT_UNUSED);
  SimConnect_RequestDataOnSimObject(handle, 0, 0, SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_SIM_FRAME, 0, 0, 0, 0);
  SimConnect_TransmitClientEvent(handle, SIMCONNECT_OBJECT_ID_USER, 2, 0x11150, SIMCONNECT_GROUP_PRIORITY_HIGHEST,
                                 SIMCONNECT_EVENT_FLAG_GROUPID_IS_PRIORITY);
  // Let anything still queued leave, until the listener hangs up.
  for (int pass = 0; pass < 200; ++pass) {
    if (SimConnect_CallDispatch(handle, nullptr, nullptr) < 0) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  SimConnect_Close(handle);
  return 0;
}
