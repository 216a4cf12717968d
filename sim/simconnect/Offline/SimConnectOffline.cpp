// A SimConnect backend with no simulator behind it: every open fails, so a
// bridge linked with it stays in standby. Used where no real backend is
// available for the platform.

#include "sim/SimConnect.h"

namespace {
constexpr SimConnectResult kNotReachable = static_cast<SimConnectResult>(0x80004005u);
}

extern "C" {

SimConnectResult SimConnect_Open(SimConnectHandle* handle, const char*, void*, SimConnectDword, void*,
                                 SimConnectDword) {
  if (handle != nullptr) *handle = nullptr;
  return kNotReachable;
}
SimConnectResult SimConnect_Close(SimConnectHandle) { return 0; }
SimConnectResult SimConnect_CallDispatch(SimConnectHandle, SimConnectDispatchProc, void*) { return kNotReachable; }
SimConnectResult SimConnect_MapClientEventToSimEvent(SimConnectHandle, SimConnectDword, const char*) {
  return kNotReachable;
}
SimConnectResult SimConnect_AddToDataDefinition(SimConnectHandle, SimConnectDword, const char*, const char*,
                                                SimConnectDataType, float, SimConnectDword) {
  return kNotReachable;
}
SimConnectResult SimConnect_RequestDataOnSimObject(SimConnectHandle, SimConnectDword, SimConnectDword, SimConnectDword,
                                                   SimConnectDword, SimConnectDword, SimConnectDword, SimConnectDword,
                                                   SimConnectDword) {
  return kNotReachable;
}
SimConnectResult SimConnect_TransmitClientEvent(SimConnectHandle, SimConnectDword, SimConnectDword, SimConnectDword,
                                                SimConnectDword, SimConnectDword) {
  return kNotReachable;
}

SimConnectResult SimConnect_RequestSystemState(SimConnectHandle, SimConnectDword, const char*) { return kNotReachable; }
SimConnectResult SimConnect_SubscribeToSystemEvent(SimConnectHandle, SimConnectDword, const char*) {
  return kNotReachable;
}
SimConnectResult SimConnect_SetDataOnSimObject(SimConnectHandle, SimConnectDword, SimConnectDword, SimConnectDword,
                                               SimConnectDword, SimConnectDword, void*) {
  return kNotReachable;
}
SimConnectResult SimConnect_ClearDataDefinition(SimConnectHandle, SimConnectDword) { return kNotReachable; }
SimConnectResult SimConnect_GetLastSentPacketID(SimConnectHandle, SimConnectDword*) { return kNotReachable; }

}  // extern "C"
