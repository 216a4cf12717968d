// The twelve SimConnect calls over the simulator's TCP protocol, under the
// names of sim/simconnect/Net/SimConnectNet.h.
//
// Handles are small numbers naming an entry of the table of open
// connections, never pointers, so a call with a closed or made-up handle finds
// nothing and fails harmlessly. The supervisor forgets the handle of a failed
// open, so an open still under way (connect or handshake pending) is kept
// here between its calls. These two, and the tuning, are the only state
// outside the connections; like the handles they are used from the
// supervisor thread alone.
//
// That thread is never joined: the process ends under it, and exit() runs
// static destructors while it may be inside a call here. So the table and
// the pending open are built on the heap and never destroyed (the tuning is
// plain data); nothing static here may have a destructor.
//
// SimConnect_Open succeeds only once the simulator has answered the open
// request: a connection counted as open then really has a simulator behind
// it, takes the registrations at once, and a simulator that is not running
// leaves the bridge quietly in standby instead of connecting and losing the
// connection on every pass.

#include "sim/simconnect/Net/SimConnectNet.h"

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "sim/simconnect/Net/ClientRequests.h"
#include "sim/simconnect/Net/ConfigLookup.h"
#include "sim/simconnect/Net/NetConnection.h"
#include "sim/simconnect/Net/NetTuning.h"
#include "supervisor/WaitCauses.h"

namespace {

constexpr SimConnectResult kOk = 0;
constexpr SimConnectResult kFail = static_cast<SimConnectResult>(0x80004005u);        // E_FAIL
constexpr SimConnectResult kInvalidArg = static_cast<SimConnectResult>(0x80070057u);  // E_INVALIDARG

using Clock = NetConnection::Clock;

struct Slot {
  std::uintptr_t id;
  std::unique_ptr<NetConnection> connection;
  int dispatching = 0;  // nesting depth of dispatch calls on this handle
  bool closed = false;  // closed inside its own dispatch; removed once that returns
};

struct PendingOpen {
  std::unique_ptr<NetConnection> connection;
  std::string clientName;
  Clock::time_point nextAttemptAt{};
  SimConnectServer server;  // where this attempt goes
  std::string source;       // the SimConnect.cfg that said so, or "" for the default
};

SimConnectNetTuning& Tuning() {
  static SimConnectNetTuning tuning;
  return tuning;
}

std::vector<Slot>& Slots() {
  static std::vector<Slot>& slots = *new std::vector<Slot>;
  return slots;
}

PendingOpen& Pending() {
  static PendingOpen& pending = *new PendingOpen;
  return pending;
}

std::uintptr_t NextHandleId() {
  static std::uintptr_t next = 0;
  return ++next;
}

Slot* FindSlot(SimConnectHandle handle) {
  const std::uintptr_t id = reinterpret_cast<std::uintptr_t>(handle);
  if (id == 0) return nullptr;
  for (Slot& slot : Slots()) {
    if (slot.id == id) return slot.closed ? nullptr : &slot;
  }
  return nullptr;
}

void RemoveSlot(std::uintptr_t id) {
  std::vector<Slot>& slots = Slots();
  slots.erase(std::remove_if(slots.begin(), slots.end(), [id](const Slot& slot) { return slot.id == id; }),
              slots.end());
}

// A changed address or port is news even while the simulator stays away.
std::uint32_t AddressKey(const SimConnectServer& server) {
  std::uint32_t key = server.port;
  for (const char c : server.address) key = key * 31 + static_cast<unsigned char>(c);
  return key;
}

// One line per attempt in the debug log; the first failure, and the first
// after each connection, is told without it.
void TellAttemptResult(const PendingOpen& attempt, const char* result) {
  const char* address = attempt.server.address.c_str();
  const unsigned port = attempt.server.port;
  const std::string from =
      attempt.source.empty()
          ? "no usable SimConnect.cfg in the working directory or beside the program, default address"
          : "address from " + attempt.source;
  DebugLog("simulator at %s:%u: %s (%s)", address, port, result, from.c_str());
  if (attempt.connection != nullptr && attempt.connection->state() == NetConnection::State::kOpen) return;
  TellWaitCause(WaitCause::kSimulatorUnreachable, AddressKey(attempt.server), "No simulator at %s:%u: %s (%s)", address,
                port, result, from.c_str());
}

SimConnectResult SendRequest(SimConnectHandle handle, const NetConnection::Encoder& encode) {
  Slot* slot = FindSlot(handle);
  if (slot == nullptr) return kInvalidArg;
  return slot->connection->Send(encode) ? kOk : kFail;
}

}  // namespace

void SetSimConnectNetTuning(const SimConnectNetTuning& tuning) { Tuning() = tuning; }
const SimConnectNetTuning& GetSimConnectNetTuning() { return Tuning(); }

namespace simconnect_net {

SimConnectResult Open(SimConnectHandle* handle, const char* name, void* /*window*/, SimConnectDword /*userMessage*/,
                      void* /*eventHandle*/, SimConnectDword /*configIndex*/) {
  if (handle == nullptr) return kInvalidArg;
  *handle = nullptr;
  const std::string clientName = name != nullptr ? name : "";
  const Clock::time_point now = Clock::now();
  PendingOpen& pending = Pending();

  if (pending.connection != nullptr && pending.clientName != clientName) pending.connection.reset();
  if (pending.connection == nullptr) {
    if (now < pending.nextAttemptAt) return kFail;
    pending.server = LookUpSimConnectServer(&pending.source);
    pending.connection = NetConnection::Start(pending.server, clientName, Tuning(), now);
    pending.clientName = clientName;
    if (pending.connection == nullptr) {
      TellAttemptResult(pending, "cannot start connecting");
      pending.nextAttemptAt = now + Tuning().retryInterval;
      return kFail;
    }
  }

  switch (pending.connection->Advance(now)) {
    case NetConnection::State::kOpen: {
      TellAttemptResult(pending, "connected");
      const std::uintptr_t id = NextHandleId();
      Slots().push_back(Slot{id, std::move(pending.connection)});
      *handle = reinterpret_cast<SimConnectHandle>(id);
      return kOk;
    }
    case NetConnection::State::kFailed:
      TellAttemptResult(pending, pending.connection->failure());
      pending.connection.reset();
      pending.nextAttemptAt = now + Tuning().retryInterval;
      return kFail;
    default:
      return kFail;  // still connecting or awaiting the answer: try again next pass
  }
}

SimConnectResult Close(SimConnectHandle handle) {
  Slot* slot = FindSlot(handle);
  if (slot == nullptr) return kInvalidArg;
  if (slot->dispatching > 0) {
    slot->closed = true;  // its dispatch is still using it
  } else {
    RemoveSlot(slot->id);
  }
  return kOk;
}

SimConnectResult CallDispatch(SimConnectHandle handle, SimConnectDispatchProc dispatch, void* context) {
  Slot* slot = FindSlot(handle);
  if (slot == nullptr) return kInvalidArg;
  const std::uintptr_t id = slot->id;
  NetConnection* connection = slot->connection.get();
  ++slot->dispatching;
  // The callback may close this handle, or open others (which may move the
  // table), so the slot is looked up again by its id after each message.
  const auto closedMeanwhile = [id] {
    for (const Slot& s : Slots()) {
      if (s.id == id) return s.closed;
    }
    return true;
  };
  const bool alive = connection->Dispatch(dispatch, context, Clock::now(), closedMeanwhile);
  if (!alive) DebugLog("simulator connection lost: %s", connection->failure());
  for (Slot& s : Slots()) {
    if (s.id != id) continue;
    --s.dispatching;
    if (s.closed && s.dispatching == 0) RemoveSlot(id);
    break;
  }
  return alive ? kOk : kFail;
}

SimConnectResult MapClientEventToSimEvent(SimConnectHandle handle, SimConnectDword eventId, const char* eventName) {
  const std::string name = eventName != nullptr ? eventName : "";
  return SendRequest(handle, [&](simwire::Bytes* out, std::uint32_t serial) {
    simwire::EncodeMapClientEventToSimEvent(out, serial, eventId, name);
  });
}

SimConnectResult AddToDataDefinition(SimConnectHandle handle, SimConnectDword defineId, const char* datumName,
                                     const char* unitsName, SimConnectDataType datumType, float epsilon,
                                     SimConnectDword datumId) {
  const std::string datum = datumName != nullptr ? datumName : "";
  const std::string units = unitsName != nullptr ? unitsName : "";
  return SendRequest(handle, [&](simwire::Bytes* out, std::uint32_t serial) {
    simwire::EncodeAddToDataDefinition(out, serial, defineId, datum, units, datumType, epsilon, datumId);
  });
}

SimConnectResult RequestDataOnSimObject(SimConnectHandle handle, SimConnectDword requestId, SimConnectDword defineId,
                                        SimConnectDword objectId, SimConnectDword period, SimConnectDword flags,
                                        SimConnectDword origin, SimConnectDword interval, SimConnectDword limit) {
  return SendRequest(handle, [&](simwire::Bytes* out, std::uint32_t serial) {
    simwire::EncodeRequestDataOnSimObject(out, serial, requestId, defineId, objectId, period, flags, origin, interval,
                                          limit);
  });
}

SimConnectResult TransmitClientEvent(SimConnectHandle handle, SimConnectDword objectId, SimConnectDword eventId,
                                     SimConnectDword data, SimConnectDword groupId, SimConnectDword flags) {
  return SendRequest(handle, [&](simwire::Bytes* out, std::uint32_t serial) {
    simwire::EncodeTransmitClientEvent(out, serial, objectId, eventId, data, groupId, flags);
  });
}

SimConnectResult RequestSystemState(SimConnectHandle handle, SimConnectDword requestId, const char* state) {
  const std::string name = state != nullptr ? state : "";
  return SendRequest(handle, [&](simwire::Bytes* out, std::uint32_t serial) {
    simwire::EncodeRequestSystemState(out, serial, requestId, name);
  });
}

SimConnectResult SubscribeToSystemEvent(SimConnectHandle handle, SimConnectDword eventId, const char* eventName) {
  const std::string name = eventName != nullptr ? eventName : "";
  return SendRequest(handle, [&](simwire::Bytes* out, std::uint32_t serial) {
    simwire::EncodeSubscribeToSystemEvent(out, serial, eventId, name);
  });
}

SimConnectResult SetDataOnSimObject(SimConnectHandle handle, SimConnectDword defineId, SimConnectDword objectId,
                                    SimConnectDword flags, SimConnectDword arrayCount, SimConnectDword unitSize,
                                    void* data) {
  // Anything near this is no variable's value; refused before it is queued.
  const std::uint64_t bytes = static_cast<std::uint64_t>(arrayCount == 0 ? 1 : arrayCount) * unitSize;
  if ((data == nullptr && bytes != 0) || bytes > simwire::kMaxMessageSize - simwire::kSetDataOnSimObjectFixedSize) {
    return kInvalidArg;
  }
  return SendRequest(handle, [&](simwire::Bytes* out, std::uint32_t serial) {
    simwire::EncodeSetDataOnSimObject(out, serial, defineId, objectId, flags, arrayCount, unitSize, data);
  });
}

SimConnectResult ClearDataDefinition(SimConnectHandle handle, SimConnectDword defineId) {
  return SendRequest(handle, [&](simwire::Bytes* out, std::uint32_t serial) {
    simwire::EncodeClearDataDefinition(out, serial, defineId);
  });
}

SimConnectResult GetLastSentPacketID(SimConnectHandle handle, SimConnectDword* sendId) {
  Slot* slot = FindSlot(handle);
  if (slot == nullptr || sendId == nullptr) return kInvalidArg;
  *sendId = slot->connection->lastSerial();
  return kOk;
}

}  // namespace simconnect_net
