#include "fuzz/FuzzSeams.h"

#include <hidapi/hidapi.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>

#include "app/TrayState.h"
#include "panel/PanelReport.h"
#include "sim/ClientEvents.h"

void FuzzFail(const char* what, unsigned long long a, unsigned long long b) {
  std::fprintf(stderr, "invariant broken: %s (0x%llx, 0x%llx)\n", what, a, b);
  std::abort();
}

// ---- hidapi -----------------------------------------------------------------

struct hid_device_ {
  unsigned generation;
};

namespace fuzzpanel {
namespace {

struct QueuedRead {
  bool error;
  Bytes bytes;
};

struct State {
  bool pluggedIn = false;
  unsigned generation = 0;
  std::deque<QueuedRead> queue;
  Bytes current;
  int openHandles = 0;
};

State& S() {
  static State state;
  return state;
}

}  // namespace

void Reset() {
  // Handles of a previous run stay invalid: the generation only grows.
  const unsigned generation = S().generation;
  S() = State{};
  S().generation = generation + 1;
}
void PlugIn() { S().pluggedIn = true; }
void Unplug() {
  S().pluggedIn = false;
  ++S().generation;
  S().queue.clear();
}
void QueueReport(const unsigned char* bytes, std::size_t length) {
  S().queue.push_back({false, Bytes(bytes, bytes + length)});
}
void QueueReadError() { S().queue.push_back({true, {}}); }
const Bytes& CurrentReport() { return S().current; }
int OpenHandles() { return S().openHandles; }

}  // namespace fuzzpanel

int hid_init(void) { return 0; }
int hid_exit(void) { return 0; }

hid_device* hid_open(unsigned short vendor_id, unsigned short product_id, const wchar_t* serial_number) {
  using fuzzpanel::S;
  if (!S().pluggedIn || vendor_id != kPanelVendorId || product_id != kPanelProductId || serial_number) return nullptr;
  ++S().openHandles;
  return new hid_device_{S().generation};
}

int hid_set_nonblocking(hid_device* device, int) { return device ? 0 : -1; }

int hid_read(hid_device* device, unsigned char* data, size_t length) {
  using fuzzpanel::S;
  FUZZ_CHECK(device != nullptr, "hid_read on a null handle");
  if (device->generation != S().generation) return -1;
  if (S().queue.empty()) return 0;
  fuzzpanel::QueuedRead next = std::move(S().queue.front());
  S().queue.pop_front();
  if (next.error) return -1;
  const size_t count = next.bytes.size() < length ? next.bytes.size() : length;
  if (count > 0) std::memcpy(data, next.bytes.data(), count);
  S().current.assign(next.bytes.begin(), next.bytes.begin() + static_cast<long>(count));
  return static_cast<int>(count);
}

int hid_read_timeout(hid_device* device, unsigned char* data, size_t length, int) {
  return hid_read(device, data, length);
}

int hid_write(hid_device* device, const unsigned char* data, size_t length) {
  FUZZ_CHECK(device != nullptr, "hid_write on a null handle");
  FUZZ_CHECK(length == kLampReportSize && data[0] == kLampReportId, "malformed lamp report", length, data[0]);
  FUZZ_CHECK((data[1] & 0xC0) == 0, "lamp bits 6 and 7 set", data[1]);
  return static_cast<int>(length);
}

void hid_close(hid_device* device) {
  if (device == nullptr) return;
  --fuzzpanel::S().openHandles;
  delete device;
}

const wchar_t* hid_error(hid_device*) { return L"fuzz panel"; }

// ---- tray -------------------------------------------------------------------

void ShowTrayState(TrayState state) {
  FUZZ_CHECK(state == TrayWaiting || state == TrayStandby || state == TrayConnected, "unknown tray state", state);
}

// ---- SimConnect -------------------------------------------------------------

namespace fuzzsim {
namespace {

constexpr SimConnectResult kFailure = static_cast<SimConnectResult>(0x80004005u);

struct Message {
  Bytes bytes;
  int tag;
};

struct State {
  bool running = false;
  bool failNextDispatch = false;
  std::deque<Message> queue;
  int lastTag = 0;
  unsigned long delivered = 0;
  std::uintptr_t nextHandle = 0x1000;
  SimConnectHandle open = nullptr;  // the bridge keeps at most one
  int openCount = 0;
  unsigned long transmissions = 0;
  TransmissionCheck check = nullptr;
};

State& S() {
  static State state;
  return state;
}

void RequireOpen(SimConnectHandle handle, const char* call) {
  FUZZ_CHECK(handle != nullptr && handle == S().open, call, reinterpret_cast<std::uintptr_t>(handle));
}

}  // namespace

void Reset() {
  const TransmissionCheck check = S().check;
  const std::uintptr_t next = S().nextHandle;
  S() = State{};
  S().check = check;
  S().nextHandle = next;  // a handle from an earlier run must never look open
}
void SetRunning(bool running) { S().running = running; }
void FailNextDispatch() { S().failNextDispatch = true; }
void QueueMessage(const unsigned char* bytes, std::size_t length, int tag) {
  S().queue.push_back({Bytes(bytes, bytes + length), tag});
}
int LastDeliveredTag() { return S().lastTag; }
unsigned long Delivered() { return S().delivered; }
void SetTransmissionCheck(TransmissionCheck check) { S().check = check; }
int OpenConnections() { return S().openCount; }
unsigned long Transmissions() { return S().transmissions; }

}  // namespace fuzzsim

extern "C" {

SimConnectResult SimConnect_Open(SimConnectHandle* handle, const char* name, void*, SimConnectDword, void*,
                                 SimConnectDword configIndex) {
  using fuzzsim::S;
  FUZZ_CHECK(handle != nullptr && name != nullptr && std::strcmp(name, "Request Data") == 0 && configIndex == 0,
             "SimConnect_Open arguments");
  FUZZ_CHECK(S().openCount == 0, "a second connection opened while one is open");
  if (!S().running) return fuzzsim::kFailure;
  *handle = reinterpret_cast<SimConnectHandle>(S().nextHandle);
  S().nextHandle += 0x10;
  S().open = *handle;
  ++S().openCount;
  return 0;
}

SimConnectResult SimConnect_Close(SimConnectHandle handle) {
  using fuzzsim::S;
  fuzzsim::RequireOpen(handle, "SimConnect_Close on a handle that is not open");
  S().open = nullptr;
  --S().openCount;
  return 0;
}

SimConnectResult SimConnect_CallDispatch(SimConnectHandle handle, SimConnectDispatchProc dispatch, void* context) {
  using fuzzsim::S;
  fuzzsim::RequireOpen(handle, "dispatch on a handle that is not open");
  if (S().failNextDispatch || !S().running) {
    S().failNextDispatch = false;
    return fuzzsim::kFailure;
  }
  while (!S().queue.empty()) {
    fuzzsim::Message message = std::move(S().queue.front());
    S().queue.pop_front();
    const std::size_t size = message.bytes.size();
    std::unique_ptr<unsigned char[]> copy(new unsigned char[size ? size : 1]);
    if (size) std::memcpy(copy.get(), message.bytes.data(), size);
    S().lastTag = message.tag;
    ++S().delivered;
    dispatch(reinterpret_cast<SIMCONNECT_RECV*>(copy.get()), static_cast<SimConnectDword>(size), context);
  }
  return 0;
}

SimConnectResult SimConnect_MapClientEventToSimEvent(SimConnectHandle handle, SimConnectDword, const char* name) {
  fuzzsim::RequireOpen(handle, "event mapped on a handle that is not open");
  FUZZ_CHECK(name != nullptr, "event mapped to a null name");
  return 0;
}

SimConnectResult SimConnect_AddToDataDefinition(SimConnectHandle handle, SimConnectDword, const char*, const char*,
                                                SimConnectDataType, float, SimConnectDword) {
  fuzzsim::RequireOpen(handle, "data defined on a handle that is not open");
  return 0;
}

SimConnectResult SimConnect_RequestDataOnSimObject(SimConnectHandle handle, SimConnectDword, SimConnectDword,
                                                   SimConnectDword, SimConnectDword, SimConnectDword,
                                                   SimConnectDword, SimConnectDword, SimConnectDword) {
  fuzzsim::RequireOpen(handle, "data requested on a handle that is not open");
  return 0;
}

SimConnectResult SimConnect_TransmitClientEvent(SimConnectHandle handle, SimConnectDword objectId,
                                                SimConnectDword eventId, SimConnectDword data,
                                                SimConnectDword groupId, SimConnectDword flags) {
  using fuzzsim::S;
  fuzzsim::RequireOpen(handle, "event transmitted while no connection is open");
  FUZZ_CHECK(objectId == SIMCONNECT_OBJECT_ID_USER && groupId == SIMCONNECT_GROUP_PRIORITY_HIGHEST &&
                 flags == SIMCONNECT_EVENT_FLAG_GROUPID_IS_PRIORITY,
             "event sent with the wrong object, group or flags", eventId);
  ++S().transmissions;
  // VP_FUZZ_TRACE=1 shows what an input sends, for reading a crash or a seed.
  static const bool trace = std::getenv("VP_FUZZ_TRACE") != nullptr;
  if (trace) {
    const char* name = ClientEventName(eventId);
    std::fprintf(stderr, "sent %s 0x%x\n", name ? name : "<none>", static_cast<unsigned>(data));
  }
  if (S().check) S().check(eventId, data);
  return 0;
}

}  // extern "C"
