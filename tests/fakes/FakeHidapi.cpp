#include "tests/fakes/FakeHidapi.h"

#include <hidapi/hidapi.h>

#include <algorithm>
#include <cstring>
#include <deque>
#include <set>

#include "panel/PanelReport.h"

struct hid_device_ {
  unsigned generation;  // the plug-in it belongs to
};

namespace fakehid {
namespace {

struct State {
  bool pluggedIn = false;
  unsigned generation = 0;                   // bumped by every unplug
  std::deque<std::pair<bool, Bytes>> queue;  // a read error, or the bytes of a report
  std::vector<Bytes> writes;
  std::set<hid_device*> handles;  // opened and not yet closed
  int openCalls = 0;
  int readCalls = 0;
  bool lastNonBlocking = false;
  bool failNonBlocking = false;
};

State& S() {
  static State state;
  return state;
}

}  // namespace

void Reset() {
  for (hid_device* device : S().handles) delete device;
  S() = State{};
}
void PlugIn() { S().pluggedIn = true; }
void Unplug() {
  S().pluggedIn = false;
  ++S().generation;
  S().queue.clear();
}
void QueueReport(const Bytes& bytes) { S().queue.emplace_back(false, bytes); }
void QueueReadError() { S().queue.emplace_back(true, Bytes{}); }
std::size_t PendingReports() { return S().queue.size(); }
const std::vector<Bytes>& Writes() { return S().writes; }
void ClearWrites() { S().writes.clear(); }
int OpenHandles() { return static_cast<int>(S().handles.size()); }
int OpenCalls() { return S().openCalls; }
int ReadCalls() { return S().readCalls; }
bool LastHandleNonBlocking() { return S().lastNonBlocking; }
void FailNextNonBlocking() { S().failNonBlocking = true; }

}  // namespace fakehid

using fakehid::S;

int hid_init(void) { return 0; }
int hid_exit(void) { return 0; }

hid_device* hid_open(unsigned short vendor_id, unsigned short product_id, const wchar_t* serial_number) {
  ++S().openCalls;
  if (!S().pluggedIn || vendor_id != kPanelVendorId || product_id != kPanelProductId || serial_number != nullptr) {
    return nullptr;
  }
  return *S().handles.insert(new hid_device_{S().generation}).first;
}

int hid_set_nonblocking(hid_device*, int nonblock) {
  if (S().failNonBlocking) {
    S().failNonBlocking = false;
    return -1;
  }
  S().lastNonBlocking = nonblock != 0;
  return 0;
}

int hid_read(hid_device* device, unsigned char* data, size_t length) {
  ++S().readCalls;
  if (device == nullptr || device->generation != S().generation) return -1;
  if (S().queue.empty()) return 0;
  const auto next = S().queue.front();
  S().queue.pop_front();
  if (next.first) return -1;
  const size_t count = std::min(length, next.second.size());
  if (count > 0) std::memcpy(data, next.second.data(), count);
  return static_cast<int>(count);
}

int hid_write(hid_device* device, const unsigned char* data, size_t length) {
  if (device == nullptr || device->generation != S().generation) return -1;
  S().writes.emplace_back(data, data + length);
  return static_cast<int>(length);
}

void hid_close(hid_device* device) {
  if (S().handles.erase(device) != 0) delete device;
}
