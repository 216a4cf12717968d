// sim/SimConnect.h answered by the network client alone: the whole of
// SimConnect where no simulator library exists to try first.

#include "sim/SimConnect.h"
#include "sim/simconnect/Net/SimConnectNet.h"

extern "C" {

SimConnectResult SimConnect_Open(SimConnectHandle* handle, const char* name, void* window, SimConnectDword userMessage,
                                 void* eventHandle, SimConnectDword configIndex) {
  return simconnect_net::Open(handle, name, window, userMessage, eventHandle, configIndex);
}

SimConnectResult SimConnect_Close(SimConnectHandle handle) { return simconnect_net::Close(handle); }

SimConnectResult SimConnect_CallDispatch(SimConnectHandle handle, SimConnectDispatchProc dispatch, void* context) {
  return simconnect_net::CallDispatch(handle, dispatch, context);
}

SimConnectResult SimConnect_MapClientEventToSimEvent(SimConnectHandle handle, SimConnectDword eventId,
                                                     const char* eventName) {
  return simconnect_net::MapClientEventToSimEvent(handle, eventId, eventName);
}

SimConnectResult SimConnect_AddToDataDefinition(SimConnectHandle handle, SimConnectDword defineId,
                                                const char* datumName, const char* unitsName,
                                                SimConnectDataType datumType, float epsilon, SimConnectDword datumId) {
  return simconnect_net::AddToDataDefinition(handle, defineId, datumName, unitsName, datumType, epsilon, datumId);
}

SimConnectResult SimConnect_RequestDataOnSimObject(SimConnectHandle handle, SimConnectDword requestId,
                                                   SimConnectDword defineId, SimConnectDword objectId,
                                                   SimConnectDword period, SimConnectDword flags,
                                                   SimConnectDword origin, SimConnectDword interval,
                                                   SimConnectDword limit) {
  return simconnect_net::RequestDataOnSimObject(handle, requestId, defineId, objectId, period, flags, origin, interval,
                                                limit);
}

SimConnectResult SimConnect_TransmitClientEvent(SimConnectHandle handle, SimConnectDword objectId,
                                                SimConnectDword eventId, SimConnectDword data, SimConnectDword groupId,
                                                SimConnectDword flags) {
  return simconnect_net::TransmitClientEvent(handle, objectId, eventId, data, groupId, flags);
}

SimConnectResult SimConnect_RequestSystemState(SimConnectHandle handle, SimConnectDword requestId, const char* state) {
  return simconnect_net::RequestSystemState(handle, requestId, state);
}

SimConnectResult SimConnect_SubscribeToSystemEvent(SimConnectHandle handle, SimConnectDword eventId,
                                                   const char* eventName) {
  return simconnect_net::SubscribeToSystemEvent(handle, eventId, eventName);
}

SimConnectResult SimConnect_SetDataOnSimObject(SimConnectHandle handle, SimConnectDword defineId,
                                               SimConnectDword objectId, SimConnectDword flags,
                                               SimConnectDword arrayCount, SimConnectDword unitSize, void* data) {
  return simconnect_net::SetDataOnSimObject(handle, defineId, objectId, flags, arrayCount, unitSize, data);
}

SimConnectResult SimConnect_ClearDataDefinition(SimConnectHandle handle, SimConnectDword defineId) {
  return simconnect_net::ClearDataDefinition(handle, defineId);
}

SimConnectResult SimConnect_GetLastSentPacketID(SimConnectHandle handle, SimConnectDword* sendId) {
  return simconnect_net::GetLastSentPacketID(handle, sendId);
}

}  // extern "C"
