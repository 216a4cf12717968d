#include "sim/ClientEvents.h"
#include "sim/DataDefinitions.h"
#include "sim/FlightSimInterfaceMSFS.h"

FlightSimInterfaceMSFS msfs;

void FlightSimInterfaceMSFS::Initialize() {
  definition0Received = false;
  definition1Received = false;
  if (connection == nullptr) return;
  const SimConnectHandle handle = *connection;
  for (ClientEventId id = 0; id < kClientEventCount; ++id) {
    const char* name = ClientEventName(id);
    if (name != nullptr) SimConnect_MapClientEventToSimEvent(handle, id, name);
  }
  for (const DataDefinitionEntry& entry : kDataDefinitionEntries) {
    SimConnect_AddToDataDefinition(handle, entry.definition, entry.variable, entry.unit, entry.type, 0.0f,
                                   SIMCONNECT_UNUSED);
  }
  for (SimConnectDword request = 0; request < kDataDefinitionCount; ++request) {
    SimConnect_RequestDataOnSimObject(handle, request, request, SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_SIM_FRAME,
                                      0, 0, 0, 0);
  }
  StartFollowingAircraft();
}

void FlightSimInterfaceMSFS::Send(SimConnectDword eventId, SimConnectDword data) const {
  if (!IsConnected()) return;
  SimConnect_TransmitClientEvent(*connection, SIMCONNECT_OBJECT_ID_USER, eventId, data,
                                 SIMCONNECT_GROUP_PRIORITY_HIGHEST, SIMCONNECT_EVENT_FLAG_GROUPID_IS_PRIORITY);
}
