// sim/SimConnect.h on Windows: the simulator's own SimConnect.dll when it is
// there and complete, otherwise our network client. Most users have no
// SDK, so the library is often missing; the network client then reaches the
// simulator over its local TCP listener instead.
//
// The library is looked for once per start (SimulatorLibrary), so in
// practice every open of a run goes the same way; still, each handle
// remembers the backend that opened it, and every later call on it goes
// there. The handles given out are small numbers naming an entry of our
// table, never the backend's own handle, so a call on a closed or made-up
// handle finds nothing and fails without reaching either backend. Like the
// backends, the table is used from the supervisor thread alone.

#include <algorithm>
#include <cstdint>
#include <vector>

#include "sim/SimConnect.h"
#include "sim/simconnect/Dll/SimConnectDll.h"
#include "sim/simconnect/Dll/SimConnectLibrary.h"
#include "sim/simconnect/Net/SimConnectNet.h"

namespace {

constexpr SimConnectResult kInvalidArg = static_cast<SimConnectResult>(0x80070057u);  // E_INVALIDARG

enum class Backend { kLibrary, kNetwork };

struct Session {
  std::uintptr_t id;
  Backend backend;
  SimConnectHandle inner;  // the backend's own handle
};

// Never destroyed: the supervisor, never joined, may be inside a call here
// while exit() runs static destructors.
std::vector<Session>& Sessions() {
  static std::vector<Session>& sessions = *new std::vector<Session>;
  return sessions;
}

const Session* FindSession(SimConnectHandle handle) {
  const std::uintptr_t id = reinterpret_cast<std::uintptr_t>(handle);
  for (const Session& session : Sessions()) {
    if (id != 0 && session.id == id) return &session;
  }
  return nullptr;
}

// Runs `library` or `network` with the backend's own handle, as the handle's
// session says.
template <typename LibraryCall, typename NetworkCall>
SimConnectResult Forward(SimConnectHandle handle, LibraryCall library, NetworkCall network) {
  const Session* session = FindSession(handle);
  if (session == nullptr) return kInvalidArg;
  return session->backend == Backend::kLibrary ? library(session->inner) : network(session->inner);
}

}  // namespace

extern "C" {

SimConnectResult SimConnect_Open(SimConnectHandle* handle, const char* name, void* window, SimConnectDword userMessage,
                                 void* eventHandle, SimConnectDword configIndex) {
  if (handle == nullptr) return kInvalidArg;
  *handle = nullptr;
  const Backend backend = SimulatorLibrary().Loaded() ? Backend::kLibrary : Backend::kNetwork;
  SimConnectHandle inner = nullptr;
  const SimConnectResult result =
      backend == Backend::kLibrary ? simconnect_dll::Open(&inner, name, window, userMessage, eventHandle, configIndex)
                                   : simconnect_net::Open(&inner, name, window, userMessage, eventHandle, configIndex);
  if (result < 0) return result;
  static std::uintptr_t lastId = 0;
  Sessions().push_back(Session{++lastId, backend, inner});
  *handle = reinterpret_cast<SimConnectHandle>(lastId);
  return result;
}

SimConnectResult SimConnect_Close(SimConnectHandle handle) {
  const Session* session = FindSession(handle);
  if (session == nullptr) return kInvalidArg;
  const Session closing = *session;
  std::vector<Session>& sessions = Sessions();
  sessions.erase(
      std::remove_if(sessions.begin(), sessions.end(), [&closing](const Session& s) { return s.id == closing.id; }),
      sessions.end());
  return closing.backend == Backend::kLibrary ? simconnect_dll::Close(closing.inner)
                                              : simconnect_net::Close(closing.inner);
}

// The callback may close this handle or open others; Forward has read the
// session before the call, and nothing here touches it afterwards.
SimConnectResult SimConnect_CallDispatch(SimConnectHandle handle, SimConnectDispatchProc dispatch, void* context) {
  return Forward(
      handle, [&](SimConnectHandle inner) { return simconnect_dll::CallDispatch(inner, dispatch, context); },
      [&](SimConnectHandle inner) { return simconnect_net::CallDispatch(inner, dispatch, context); });
}

SimConnectResult SimConnect_MapClientEventToSimEvent(SimConnectHandle handle, SimConnectDword eventId,
                                                     const char* eventName) {
  return Forward(
      handle,
      [&](SimConnectHandle inner) { return simconnect_dll::MapClientEventToSimEvent(inner, eventId, eventName); },
      [&](SimConnectHandle inner) { return simconnect_net::MapClientEventToSimEvent(inner, eventId, eventName); });
}

SimConnectResult SimConnect_AddToDataDefinition(SimConnectHandle handle, SimConnectDword defineId,
                                                const char* datumName, const char* unitsName,
                                                SimConnectDataType datumType, float epsilon, SimConnectDword datumId) {
  return Forward(
      handle,
      [&](SimConnectHandle inner) {
        return simconnect_dll::AddToDataDefinition(inner, defineId, datumName, unitsName, datumType, epsilon, datumId);
      },
      [&](SimConnectHandle inner) {
        return simconnect_net::AddToDataDefinition(inner, defineId, datumName, unitsName, datumType, epsilon, datumId);
      });
}

SimConnectResult SimConnect_RequestDataOnSimObject(SimConnectHandle handle, SimConnectDword requestId,
                                                   SimConnectDword defineId, SimConnectDword objectId,
                                                   SimConnectDword period, SimConnectDword flags,
                                                   SimConnectDword origin, SimConnectDword interval,
                                                   SimConnectDword limit) {
  return Forward(
      handle,
      [&](SimConnectHandle inner) {
        return simconnect_dll::RequestDataOnSimObject(inner, requestId, defineId, objectId, period, flags, origin,
                                                      interval, limit);
      },
      [&](SimConnectHandle inner) {
        return simconnect_net::RequestDataOnSimObject(inner, requestId, defineId, objectId, period, flags, origin,
                                                      interval, limit);
      });
}

SimConnectResult SimConnect_TransmitClientEvent(SimConnectHandle handle, SimConnectDword objectId,
                                                SimConnectDword eventId, SimConnectDword data, SimConnectDword groupId,
                                                SimConnectDword flags) {
  return Forward(
      handle,
      [&](SimConnectHandle inner) {
        return simconnect_dll::TransmitClientEvent(inner, objectId, eventId, data, groupId, flags);
      },
      [&](SimConnectHandle inner) {
        return simconnect_net::TransmitClientEvent(inner, objectId, eventId, data, groupId, flags);
      });
}

SimConnectResult SimConnect_RequestSystemState(SimConnectHandle handle, SimConnectDword requestId, const char* state) {
  return Forward(
      handle, [&](SimConnectHandle inner) { return simconnect_dll::RequestSystemState(inner, requestId, state); },
      [&](SimConnectHandle inner) { return simconnect_net::RequestSystemState(inner, requestId, state); });
}

SimConnectResult SimConnect_SubscribeToSystemEvent(SimConnectHandle handle, SimConnectDword eventId,
                                                   const char* eventName) {
  return Forward(
      handle, [&](SimConnectHandle inner) { return simconnect_dll::SubscribeToSystemEvent(inner, eventId, eventName); },
      [&](SimConnectHandle inner) { return simconnect_net::SubscribeToSystemEvent(inner, eventId, eventName); });
}

SimConnectResult SimConnect_SetDataOnSimObject(SimConnectHandle handle, SimConnectDword defineId,
                                               SimConnectDword objectId, SimConnectDword flags,
                                               SimConnectDword arrayCount, SimConnectDword unitSize, void* data) {
  return Forward(
      handle,
      [&](SimConnectHandle inner) {
        return simconnect_dll::SetDataOnSimObject(inner, defineId, objectId, flags, arrayCount, unitSize, data);
      },
      [&](SimConnectHandle inner) {
        return simconnect_net::SetDataOnSimObject(inner, defineId, objectId, flags, arrayCount, unitSize, data);
      });
}

SimConnectResult SimConnect_ClearDataDefinition(SimConnectHandle handle, SimConnectDword defineId) {
  return Forward(
      handle, [&](SimConnectHandle inner) { return simconnect_dll::ClearDataDefinition(inner, defineId); },
      [&](SimConnectHandle inner) { return simconnect_net::ClearDataDefinition(inner, defineId); });
}

SimConnectResult SimConnect_GetLastSentPacketID(SimConnectHandle handle, SimConnectDword* sendId) {
  return Forward(
      handle, [&](SimConnectHandle inner) { return simconnect_dll::GetLastSentPacketID(inner, sendId); },
      [&](SimConnectHandle inner) { return simconnect_net::GetLastSentPacketID(inner, sendId); });
}

}  // extern "C"
