// A stand-in for the simulator's SimConnect.dll: each of the twelve functions
// logs the arguments it received as one line and answers minus the number of
// calls so far; the open succeeds, with 1. FAKE_SIMCONNECT_INCOMPLETE leaves
// one function out.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {
std::string calls;

unsigned long long Address(const void* pointer) { return reinterpret_cast<std::uintptr_t>(pointer); }

template <typename... Arguments>
std::int32_t Record(const char* format, Arguments... arguments) {
  char line[256];
  std::snprintf(line, sizeof line, format, arguments...);
  calls += std::string(line) + "\n";
  return -static_cast<std::int32_t>(std::count(calls.begin(), calls.end(), '\n'));
}
}  // namespace

using U = std::uint32_t;
#define EXPORT extern "C" __declspec(dllexport)

EXPORT const char* FakeSimConnect_Log() { return calls.c_str(); }

EXPORT std::int32_t SimConnect_Open(void** handle, const char* name, void* window, U message, void* event, U config) {
  *handle = reinterpret_cast<void*>(std::uintptr_t{0x5C0FFEE});
  return -Record("Open %s %llx %u %llx %u", name, Address(window), message, Address(event), config);
}
EXPORT std::int32_t SimConnect_Close(void* handle) { return Record("Close %llx", Address(handle)); }
EXPORT std::int32_t SimConnect_CallDispatch(void* handle, void (*dispatch)(void*, U, void*), void* context) {
  U objectData[11] = {44, 5, 8, 1, 0, 1, 0, 1, 1, 1, 0x1050};  // request 1, one 32-bit value
  dispatch(objectData, sizeof objectData, context);
  return Record("Dispatch %llx", Address(handle));
}
EXPORT std::int32_t SimConnect_MapClientEventToSimEvent(void* handle, U event, const char* name) {
  return Record("Map %llx %u %s", Address(handle), event, name);
}
EXPORT std::int32_t SimConnect_AddToDataDefinition(void* handle, U define, const char* datum, const char* units, U type,
                                                   float epsilon, U datumId) {
  return Record("Define %llx %u %s %s %u %g %u", Address(handle), define, datum, units, type, epsilon, datumId);
}
EXPORT std::int32_t SimConnect_RequestDataOnSimObject(void* handle, U request, U define, U object, U period, U flags,
                                                      U origin, U interval, U limit) {
  return Record("Request %llx %u %u %u %u %u %u %u %u", Address(handle), request, define, object, period, flags, origin,
                interval, limit);
}
EXPORT std::int32_t SimConnect_TransmitClientEvent(void* handle, U object, U event, U data, U group, U flags) {
  return Record("Transmit %llx %u %u 0x%x %u 0x%x", Address(handle), object, event, data, group, flags);
}
EXPORT std::int32_t SimConnect_RequestSystemState(void* handle, U request, const char* state) {
  return Record("State %llx %u %s", Address(handle), request, state);
}
EXPORT std::int32_t SimConnect_SubscribeToSystemEvent(void* handle, U event, const char* name) {
  return Record("Subscribe %llx %u %s", Address(handle), event, name);
}
EXPORT std::int32_t SimConnect_SetDataOnSimObject(void* handle, U define, U object, U flags, U count, U size,
                                                  void* data) {
  double value;  // the one FLOAT64 the test writes
  std::memcpy(&value, data, sizeof value);
  return Record("Set %llx %u %u %u %u %u %g", Address(handle), define, object, flags, count, size, value);
}
EXPORT std::int32_t SimConnect_GetLastSentPacketID(void* handle, U* sendId) {
  *sendId = 4711;
  return Record("LastSent %llx", Address(handle));
}
#ifndef FAKE_SIMCONNECT_INCOMPLETE
EXPORT std::int32_t SimConnect_ClearDataDefinition(void* handle, U define) {
  return Record("Clear %llx %u", Address(handle), define);
}
#endif
