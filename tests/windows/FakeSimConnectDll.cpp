// A stand-in for the simulator's SimConnect.dll: exports the seven functions
// the bridge forwards to, records each call's arguments, and answers with
// results the test sets. Built without SimConnect_TransmitClientEvent when
// FAKE_SIMCONNECT_INCOMPLETE is defined, as a library the bridge must refuse.

#include <windows.h>

#include <cstdint>
#include <cstring>

#include "tests/windows/FakeSimConnectDll.h"

namespace {
FakeSimConnectCall calls[64];
int callCount = 0;
std::int32_t nextResult = 0;

FakeSimConnectCall& Record(const char* function, void* handle) {
  FakeSimConnectCall& call = calls[callCount < 63 ? callCount++ : 63];
  call = FakeSimConnectCall{};
  std::strncpy(call.function, function, sizeof call.function - 1);
  call.handle = handle;
  return call;
}

void CopyText(char* into, const char* text) {
  if (text != nullptr) std::strncpy(into, text, sizeof(FakeSimConnectCall::texts[0]) - 1);
}
}  // namespace

#define EXPORT extern "C" __declspec(dllexport)

EXPORT int FakeSimConnect_CallCount() { return callCount; }
EXPORT const FakeSimConnectCall* FakeSimConnect_Call(int index) {
  return index >= 0 && index < callCount ? &calls[index] : nullptr;
}
EXPORT void FakeSimConnect_Reset(std::int32_t result) {
  callCount = 0;
  nextResult = result;
}

EXPORT std::int32_t SimConnect_Open(void** handle, const char* name, void* window, std::uint32_t userMessage,
                                    void* eventHandle, std::uint32_t configIndex) {
  FakeSimConnectCall& call = Record("SimConnect_Open", nullptr);
  CopyText(call.texts[0], name);
  call.pointers[0] = window;
  call.pointers[1] = eventHandle;
  call.numbers[0] = userMessage;
  call.numbers[1] = configIndex;
  if (nextResult >= 0) *handle = reinterpret_cast<void*>(std::uintptr_t{0x5C0FFEE});
  return nextResult;
}

EXPORT std::int32_t SimConnect_Close(void* handle) {
  Record("SimConnect_Close", handle);
  return nextResult;
}

// The one message a dispatch delivers: an object-data message for request 1
// carrying a single 32-bit value.
EXPORT std::int32_t SimConnect_CallDispatch(void* handle, void (*dispatch)(void*, std::uint32_t, void*),
                                            void* context) {
  FakeSimConnectCall& call = Record("SimConnect_CallDispatch", handle);
  call.pointers[0] = context;
  if (nextResult < 0) return nextResult;
  std::uint32_t message[11] = {44, 5, 8, 1, 0, 1, 0, 1, 1, 1, 0x1050};
  dispatch(message, sizeof message, context);
  return nextResult;
}

EXPORT std::int32_t SimConnect_MapClientEventToSimEvent(void* handle, std::uint32_t eventId, const char* name) {
  FakeSimConnectCall& call = Record("SimConnect_MapClientEventToSimEvent", handle);
  call.numbers[0] = eventId;
  CopyText(call.texts[0], name);
  return nextResult;
}

EXPORT std::int32_t SimConnect_AddToDataDefinition(void* handle, std::uint32_t defineId, const char* datumName,
                                                   const char* unitsName, std::uint32_t datumType, float epsilon,
                                                   std::uint32_t datumId) {
  FakeSimConnectCall& call = Record("SimConnect_AddToDataDefinition", handle);
  call.numbers[0] = defineId;
  call.numbers[1] = datumType;
  call.numbers[2] = datumId;
  CopyText(call.texts[0], datumName);
  CopyText(call.texts[1], unitsName);
  call.epsilon = epsilon;
  return nextResult;
}

EXPORT std::int32_t SimConnect_RequestDataOnSimObject(void* handle, std::uint32_t requestId, std::uint32_t defineId,
                                                      std::uint32_t objectId, std::uint32_t period,
                                                      std::uint32_t flags, std::uint32_t origin,
                                                      std::uint32_t interval, std::uint32_t limit) {
  FakeSimConnectCall& call = Record("SimConnect_RequestDataOnSimObject", handle);
  const std::uint32_t numbers[] = {requestId, defineId, objectId, period, flags, origin, interval, limit};
  std::memcpy(call.numbers, numbers, sizeof numbers);
  return nextResult;
}

#ifndef FAKE_SIMCONNECT_INCOMPLETE
EXPORT std::int32_t SimConnect_TransmitClientEvent(void* handle, std::uint32_t objectId, std::uint32_t eventId,
                                                   std::uint32_t data, std::uint32_t groupId, std::uint32_t flags) {
  FakeSimConnectCall& call = Record("SimConnect_TransmitClientEvent", handle);
  const std::uint32_t numbers[] = {objectId, eventId, data, groupId, flags};
  std::memcpy(call.numbers, numbers, sizeof numbers);
  return nextResult;
}
#endif
