#pragma once

// The network client's seven SimConnect calls under names of their own, so
// that a program can hold it beside another backend. Each behaves as the
// sim/SimConnect.h function of the same name.

#include "sim/SimConnect.h"

namespace simconnect_net {

SimConnectResult Open(SimConnectHandle* handle, const char* name, void* window, SimConnectDword userMessage,
                      void* eventHandle, SimConnectDword configIndex);
SimConnectResult Close(SimConnectHandle handle);
SimConnectResult CallDispatch(SimConnectHandle handle, SimConnectDispatchProc dispatch, void* context);
SimConnectResult MapClientEventToSimEvent(SimConnectHandle handle, SimConnectDword eventId, const char* eventName);
SimConnectResult AddToDataDefinition(SimConnectHandle handle, SimConnectDword defineId, const char* datumName,
                                     const char* unitsName, SimConnectDataType datumType, float epsilon,
                                     SimConnectDword datumId);
SimConnectResult RequestDataOnSimObject(SimConnectHandle handle, SimConnectDword requestId, SimConnectDword defineId,
                                        SimConnectDword objectId, SimConnectDword period, SimConnectDword flags,
                                        SimConnectDword origin, SimConnectDword interval, SimConnectDword limit);
SimConnectResult TransmitClientEvent(SimConnectHandle handle, SimConnectDword objectId, SimConnectDword eventId,
                                     SimConnectDword data, SimConnectDword groupId, SimConnectDword flags);

}  // namespace simconnect_net
