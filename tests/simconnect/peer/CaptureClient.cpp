// Makes through our network client the calls compare-requests.js makes
// through node-simconnect, to the server the SimConnect.cfg in the working
// directory names, so that the two can be compared on the wire.

#include <chrono>
#include <thread>

#include "sim/SimConnect.h"

int main() {
  SimConnectHandle handle = nullptr;
  for (int pass = 0; SimConnect_Open(&handle, "Request Data", nullptr, 0, nullptr, 0) < 0; ++pass) {
    if (pass == 2500) return 1;  // no answer within 5 seconds
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  SimConnect_MapClientEventToSimEvent(handle, 2, "NAV1_STBY_SET");
  SimConnect_AddToDataDefinition(handle, 0, "NAV STANDBY FREQUENCY:1", "MHz", SIMCONNECT_DATATYPE_FLOAT64, 0,
                                 SIMCONNECT_UNUSED);
  SimConnect_AddToDataDefinition(handle, 1, "TRANSPONDER CODE:1", "BCO16", SIMCONNECT_DATATYPE_INT32, 0,
                                 SIMCONNECT_UNUSED);
  SimConnect_RequestDataOnSimObject(handle, 0, 0, SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_SIM_FRAME, 0, 0, 0, 0);
  SimConnect_TransmitClientEvent(handle, 0, 2, 0x11150, SIMCONNECT_GROUP_PRIORITY_HIGHEST,
                                 SIMCONNECT_EVENT_FLAG_GROUPID_IS_PRIORITY);
  SimConnect_RequestSystemState(handle, 3, "AircraftLoaded");
  SimConnect_SubscribeToSystemEvent(handle, 105, "AircraftLoaded");
  double heading = 271.5;  // an L:var counter, one value as its definition lays it out
  SimConnect_SetDataOnSimObject(handle, 4, SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_DATA_SET_FLAG_DEFAULT, 0,
                                sizeof heading, &heading);
  SimConnect_ClearDataDefinition(handle, 4);
  // Lets what is still queued leave, until the listener hangs up.
  for (int pass = 0; pass < 200 && SimConnect_CallDispatch(handle, nullptr, nullptr) >= 0; ++pass) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return SimConnect_Close(handle) < 0;
}
