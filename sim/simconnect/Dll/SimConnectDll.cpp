// The twelve calls forwarded to SimConnect.dll. When the library is absent
// every call fails like a simulator that is not running.

#include "sim/simconnect/Dll/SimConnectDll.h"

#include "sim/simconnect/Dll/SimConnectLibrary.h"

namespace {
constexpr SimConnectResult kNoLibrary = static_cast<SimConnectResult>(0x80004005u);  // E_FAIL
}

namespace simconnect_dll {

SimConnectResult Open(SimConnectHandle* handle, const char* name, void* window, SimConnectDword userMessage,
                      void* eventHandle, SimConnectDword configIndex) {
  const SimConnectLibrary& library = SimulatorLibrary();
  if (!library.Loaded()) {
    if (handle != nullptr) *handle = nullptr;
    return kNoLibrary;
  }
  return library.open(handle, name, window, userMessage, eventHandle, configIndex);
}

SimConnectResult Close(SimConnectHandle handle) {
  const SimConnectLibrary& library = SimulatorLibrary();
  if (!library.Loaded()) return kNoLibrary;
  return library.close(handle);
}

SimConnectResult CallDispatch(SimConnectHandle handle, SimConnectDispatchProc dispatch, void* context) {
  const SimConnectLibrary& library = SimulatorLibrary();
  if (!library.Loaded()) return kNoLibrary;
  return library.callDispatch(handle, dispatch, context);
}

SimConnectResult MapClientEventToSimEvent(SimConnectHandle handle, SimConnectDword eventId, const char* eventName) {
  const SimConnectLibrary& library = SimulatorLibrary();
  if (!library.Loaded()) return kNoLibrary;
  return library.mapClientEventToSimEvent(handle, eventId, eventName);
}

SimConnectResult AddToDataDefinition(SimConnectHandle handle, SimConnectDword defineId, const char* datumName,
                                     const char* unitsName, SimConnectDataType datumType, float epsilon,
                                     SimConnectDword datumId) {
  const SimConnectLibrary& library = SimulatorLibrary();
  if (!library.Loaded()) return kNoLibrary;
  return library.addToDataDefinition(handle, defineId, datumName, unitsName, datumType, epsilon, datumId);
}

SimConnectResult RequestDataOnSimObject(SimConnectHandle handle, SimConnectDword requestId, SimConnectDword defineId,
                                        SimConnectDword objectId, SimConnectDword period, SimConnectDword flags,
                                        SimConnectDword origin, SimConnectDword interval, SimConnectDword limit) {
  const SimConnectLibrary& library = SimulatorLibrary();
  if (!library.Loaded()) return kNoLibrary;
  return library.requestDataOnSimObject(handle, requestId, defineId, objectId, period, flags, origin, interval, limit);
}

SimConnectResult TransmitClientEvent(SimConnectHandle handle, SimConnectDword objectId, SimConnectDword eventId,
                                     SimConnectDword data, SimConnectDword groupId, SimConnectDword flags) {
  const SimConnectLibrary& library = SimulatorLibrary();
  if (!library.Loaded()) return kNoLibrary;
  return library.transmitClientEvent(handle, objectId, eventId, data, groupId, flags);
}

SimConnectResult RequestSystemState(SimConnectHandle handle, SimConnectDword requestId, const char* state) {
  const SimConnectLibrary& library = SimulatorLibrary();
  if (!library.Loaded()) return kNoLibrary;
  return library.requestSystemState(handle, requestId, state);
}

SimConnectResult SubscribeToSystemEvent(SimConnectHandle handle, SimConnectDword eventId, const char* eventName) {
  const SimConnectLibrary& library = SimulatorLibrary();
  if (!library.Loaded()) return kNoLibrary;
  return library.subscribeToSystemEvent(handle, eventId, eventName);
}

SimConnectResult SetDataOnSimObject(SimConnectHandle handle, SimConnectDword defineId, SimConnectDword objectId,
                                    SimConnectDword flags, SimConnectDword arrayCount, SimConnectDword unitSize,
                                    void* data) {
  const SimConnectLibrary& library = SimulatorLibrary();
  if (!library.Loaded()) return kNoLibrary;
  return library.setDataOnSimObject(handle, defineId, objectId, flags, arrayCount, unitSize, data);
}

SimConnectResult ClearDataDefinition(SimConnectHandle handle, SimConnectDword defineId) {
  const SimConnectLibrary& library = SimulatorLibrary();
  if (!library.Loaded()) return kNoLibrary;
  return library.clearDataDefinition(handle, defineId);
}

SimConnectResult GetLastSentPacketID(SimConnectHandle handle, SimConnectDword* sendId) {
  const SimConnectLibrary& library = SimulatorLibrary();
  if (!library.Loaded()) return kNoLibrary;
  return library.getLastSentPacketId(handle, sendId);
}

}  // namespace simconnect_dll
