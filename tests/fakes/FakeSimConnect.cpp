#include "tests/fakes/FakeSimConnect.h"

#include <cstring>
#include <deque>
#include <map>
#include <memory>
#include <set>

namespace fakesim {
namespace {

constexpr SimConnectResult kFailure = static_cast<SimConnectResult>(0x80004005u);

struct State {
  bool running = false;
  bool failNextDispatch = false;
  std::deque<Bytes> messages;
  std::vector<Call> calls;
  std::set<SimConnectHandle> open;
  int closedHandleCalls = 0;
  std::uintptr_t nextHandle = 0x1000;
  std::map<SimConnectHandle, std::uint32_t> lastSerial;  // kept across ClearCalls, as a connection keeps counting
};

State& S() {
  static State state;
  return state;
}

SimConnectResult Record(const char* function, SimConnectHandle handle, std::vector<std::uint32_t> numbers,
                        std::vector<std::string> texts = {}, float epsilon = 0.0f, Bytes data = {}) {
  if (std::string(function) != "SimConnect_Open" && S().open.count(handle) == 0) ++S().closedHandleCalls;
  const std::uint32_t serial = handle != nullptr ? ++S().lastSerial[handle] : 0;
  S().calls.push_back({function, handle, std::move(numbers), std::move(texts), epsilon, std::move(data), serial});
  return 0;
}

const char* Text(const char* text) { return text != nullptr ? text : "<null>"; }

}  // namespace

void Reset() { S() = State{}; }
void SetSimulatorRunning(bool running) { S().running = running; }
void FailNextDispatch() { S().failNextDispatch = true; }
void QueueMessage(const Bytes& bytes) { S().messages.push_back(bytes); }
const std::vector<Call>& Calls() { return S().calls; }
void ClearCalls() { S().calls.clear(); }
int OpenConnections() { return static_cast<int>(S().open.size()); }
int CallsOnClosedHandles() { return S().closedHandleCalls; }

std::vector<Call> CallsTo(const std::string& function) {
  std::vector<Call> result;
  for (const Call& call : S().calls) {
    if (call.function == function) result.push_back(call);
  }
  return result;
}

std::vector<Transmission> Transmissions() {
  std::vector<Transmission> result;
  for (const Call& c : CallsTo("SimConnect_TransmitClientEvent")) {
    result.push_back({c.handle, c.numbers[0], c.numbers[1], c.numbers[2], c.numbers[3], c.numbers[4]});
  }
  return result;
}

}  // namespace fakesim

using fakesim::Record;
using fakesim::S;

extern "C" {

SimConnectResult SimConnect_Open(SimConnectHandle* handle, const char* name, void* window, SimConnectDword userMessage,
                                 void* eventHandle, SimConnectDword configIndex) {
  Record("SimConnect_Open", nullptr,
         {static_cast<std::uint32_t>(window != nullptr), userMessage,
          static_cast<std::uint32_t>(eventHandle != nullptr), configIndex},
         {fakesim::Text(name)});
  if (!S().running) return fakesim::kFailure;
  *handle = reinterpret_cast<SimConnectHandle>(S().nextHandle);
  S().nextHandle += 0x10;
  S().open.insert(*handle);
  return 0;
}

SimConnectResult SimConnect_Close(SimConnectHandle handle) {
  Record("SimConnect_Close", handle, {});
  S().open.erase(handle);
  return 0;
}

SimConnectResult SimConnect_CallDispatch(SimConnectHandle handle, SimConnectDispatchProc dispatch, void* context) {
  Record("SimConnect_CallDispatch", handle, {static_cast<std::uint32_t>(context != nullptr)});
  if (S().failNextDispatch || !S().running) {
    S().failNextDispatch = false;
    return fakesim::kFailure;
  }
  while (!S().messages.empty()) {
    const fakesim::Bytes message = S().messages.front();
    S().messages.pop_front();
    // An exact-size heap copy: the sanitizers catch any read past its end.
    std::unique_ptr<unsigned char[]> copy(new unsigned char[message.size() ? message.size() : 1]);
    if (!message.empty()) std::memcpy(copy.get(), message.data(), message.size());
    dispatch(reinterpret_cast<SIMCONNECT_RECV*>(copy.get()), static_cast<SimConnectDword>(message.size()), context);
  }
  return 0;
}

SimConnectResult SimConnect_MapClientEventToSimEvent(SimConnectHandle handle, SimConnectDword eventId,
                                                     const char* eventName) {
  return Record("SimConnect_MapClientEventToSimEvent", handle, {eventId}, {fakesim::Text(eventName)});
}

SimConnectResult SimConnect_AddToDataDefinition(SimConnectHandle handle, SimConnectDword defineId,
                                                const char* datumName, const char* unitsName,
                                                SimConnectDataType datumType, float epsilon, SimConnectDword datumId) {
  return Record("SimConnect_AddToDataDefinition", handle, {defineId, static_cast<std::uint32_t>(datumType), datumId},
                {fakesim::Text(datumName), fakesim::Text(unitsName)}, epsilon);
}

SimConnectResult SimConnect_RequestDataOnSimObject(SimConnectHandle handle, SimConnectDword requestId,
                                                   SimConnectDword defineId, SimConnectDword objectId,
                                                   SimConnectDword period, SimConnectDword flags,
                                                   SimConnectDword origin, SimConnectDword interval,
                                                   SimConnectDword limit) {
  return Record("SimConnect_RequestDataOnSimObject", handle,
                {requestId, defineId, objectId, period, flags, origin, interval, limit});
}

SimConnectResult SimConnect_TransmitClientEvent(SimConnectHandle handle, SimConnectDword objectId,
                                                SimConnectDword eventId, SimConnectDword data, SimConnectDword groupId,
                                                SimConnectDword flags) {
  return Record("SimConnect_TransmitClientEvent", handle, {objectId, eventId, data, groupId, flags});
}

SimConnectResult SimConnect_RequestSystemState(SimConnectHandle handle, SimConnectDword requestId, const char* state) {
  return Record("SimConnect_RequestSystemState", handle, {requestId}, {fakesim::Text(state)});
}

SimConnectResult SimConnect_SubscribeToSystemEvent(SimConnectHandle handle, SimConnectDword eventId,
                                                   const char* eventName) {
  return Record("SimConnect_SubscribeToSystemEvent", handle, {eventId}, {fakesim::Text(eventName)});
}

SimConnectResult SimConnect_SetDataOnSimObject(SimConnectHandle handle, SimConnectDword defineId,
                                               SimConnectDword objectId, SimConnectDword flags,
                                               SimConnectDword arrayCount, SimConnectDword unitSize, void* data) {
  const std::size_t size = static_cast<std::size_t>(arrayCount == 0 ? 1 : arrayCount) * unitSize;
  const auto* bytes = static_cast<const unsigned char*>(data);
  return Record("SimConnect_SetDataOnSimObject", handle, {defineId, objectId, flags, arrayCount, unitSize}, {}, 0.0f,
                bytes != nullptr ? fakesim::Bytes(bytes, bytes + size) : fakesim::Bytes{});
}

SimConnectResult SimConnect_ClearDataDefinition(SimConnectHandle handle, SimConnectDword defineId) {
  return Record("SimConnect_ClearDataDefinition", handle, {defineId});
}

SimConnectResult SimConnect_GetLastSentPacketID(SimConnectHandle handle, SimConnectDword* sendId) {
  if (S().open.count(handle) == 0) ++S().closedHandleCalls;
  if (sendId == nullptr) return fakesim::kFailure;
  const auto last = S().lastSerial.find(handle);
  *sendId = last != S().lastSerial.end() ? last->second : 0;
  return 0;
}

}  // extern "C"
