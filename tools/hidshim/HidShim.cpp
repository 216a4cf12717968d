// A stand-in for hidapi that reaches the virtual panel over a Unix socket
// instead of a USB device. Preloaded into the bridge, it replaces every
// hid_* function the bridge calls, so the bridge's own panel code runs
// unchanged without a panel on the desk.
//
// Whatever arrives on the socket is untrusted: frames are bounds-checked,
// a stream that stops making sense fails the device like an unplug, and a
// panel that vanishes mid-frame makes reads fail rather than hang or crash.

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <cwchar>
#include <new>
#include <string>

#pragma GCC visibility push(default)
#include <hidapi/hidapi.h>
#pragma GCC visibility pop

#include "panel/PanelReport.h"
#include "tools/hidshim/PanelSocketProtocol.h"

#define SHIM_EXPORT extern "C" __attribute__((visibility("default")))

struct hid_device_ {
  int fd;
  bool nonblocking;
  bool failed;
  std::size_t inboxLength;
  unsigned char inbox[1024];
};

namespace {

using panelsocket::Frame;
using Clock = std::chrono::steady_clock;

// How long hid_open waits for the panel's greeting, and hid_write for room
// in a socket the panel has stopped draining. Both only matter when the
// panel misbehaves; a live panel answers at once.
constexpr int kGreetingTimeoutMilliseconds = 500;
constexpr int kWriteTimeoutMilliseconds = 100;

std::atomic<const wchar_t*> lastError{L"Success"};

void SetError(const wchar_t* text) { lastError.store(text, std::memory_order_relaxed); }

int RemainingMilliseconds(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

void Fail(hid_device* device, const wchar_t* text) {
  device->failed = true;
  SetError(text);
}

// Moves whatever the socket holds into the inbox without waiting.
// Returns the number of bytes taken, 0 when nothing is there, -1 when the
// panel has hung up or the socket failed.
int FillInbox(hid_device* device) {
  const std::size_t room = sizeof device->inbox - device->inboxLength;
  if (room == 0) return 0;
  for (;;) {
    const ssize_t got = recv(device->fd, device->inbox + device->inboxLength, room, MSG_DONTWAIT);
    if (got > 0) {
      device->inboxLength += static_cast<std::size_t>(got);
      return static_cast<int>(got);
    }
    if (got == 0) return -1;
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    return -1;
  }
}

// Waits up to `timeoutMilliseconds` (negative: for ever, 0: not at all) for
// the next complete frame. Returns 1 with `frame` filled, 0 when none came
// in time, -1 when the device has failed.
int NextFrame(hid_device* device, Frame* frame, int timeoutMilliseconds) {
  const Clock::time_point deadline =
      Clock::now() + std::chrono::milliseconds(timeoutMilliseconds > 0 ? timeoutMilliseconds : 0);
  for (;;) {
    const int used = panelsocket::ExtractFrame(device->inbox, device->inboxLength, frame);
    if (used < 0) {
      Fail(device, L"virtual panel sent bytes that are not a frame");
      return -1;
    }
    if (used > 0) {
      device->inboxLength -= static_cast<std::size_t>(used);
      std::memmove(device->inbox, device->inbox + used, device->inboxLength);
      return 1;
    }
    const int got = FillInbox(device);
    if (got < 0) {
      Fail(device, L"virtual panel disconnected");
      return -1;
    }
    if (got > 0) continue;

    int wait = -1;
    if (timeoutMilliseconds == 0) return 0;
    if (timeoutMilliseconds > 0) {
      wait = RemainingMilliseconds(deadline);
      if (wait == 0) return 0;
    }
    pollfd readable = {device->fd, POLLIN, 0};
    const int ready = poll(&readable, 1, wait);
    if (ready == 0) return 0;
    if (ready < 0 && errno != EINTR) {
      Fail(device, L"waiting for the virtual panel failed");
      return -1;
    }
  }
}

bool SendAll(int fd, const unsigned char* bytes, std::size_t length) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kWriteTimeoutMilliseconds);
  std::size_t sent = 0;
  while (sent < length) {
    const ssize_t wrote = send(fd, bytes + sent, length - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (wrote > 0) {
      sent += static_cast<std::size_t>(wrote);
      continue;
    }
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      const int wait = RemainingMilliseconds(deadline);
      if (wait == 0) return false;
      pollfd writable = {fd, POLLOUT, 0};
      poll(&writable, 1, wait);
      continue;
    }
    return false;
  }
  return true;
}

int ConnectToPanel(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address.sun_path) return -1;
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0) return -1;
  if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

bool MatchesPanel(unsigned short vendorId, unsigned short productId) {
  return (vendorId == 0 || vendorId == kPanelVendorId) && (productId == 0 || productId == kPanelProductId);
}

int CopyString(const wchar_t* text, wchar_t* out, std::size_t length) {
  if (out == nullptr || length == 0) return -1;
  std::wcsncpy(out, text, length);
  out[length - 1] = L'\0';
  return 0;
}

}  // namespace

SHIM_EXPORT int hid_init(void) { return 0; }

SHIM_EXPORT int hid_exit(void) { return 0; }

// The virtual panel is reached by its socket, never listed: probing it
// would look to the panel like a bridge coming and going.
SHIM_EXPORT struct hid_device_info* hid_enumerate(unsigned short, unsigned short) {
  SetError(L"the virtual panel cannot be enumerated");
  return nullptr;
}

SHIM_EXPORT void hid_free_enumeration(struct hid_device_info*) {}

SHIM_EXPORT hid_device* hid_open(unsigned short vendor_id, unsigned short product_id, const wchar_t* serial_number) {
  if (!MatchesPanel(vendor_id, product_id) || (serial_number != nullptr && serial_number[0] != L'\0')) {
    SetError(L"no such device");
    return nullptr;
  }
  const int fd = ConnectToPanel(panelsocket::DefaultSocketPath());
  if (fd < 0) {
    SetError(L"no virtual panel is listening");
    return nullptr;
  }
  hid_device* device = new (std::nothrow) hid_device;
  if (device == nullptr) {
    close(fd);
    SetError(L"out of memory");
    return nullptr;
  }
  device->fd = fd;
  device->nonblocking = false;
  device->failed = false;
  device->inboxLength = 0;

  // The panel greets the bridge it accepts; one that is busy with another
  // bridge, silent, or not a panel at all is no device.
  Frame greeting;
  if (NextFrame(device, &greeting, kGreetingTimeoutMilliseconds) != 1 || greeting.type != panelsocket::kFrameHello) {
    close(fd);
    delete device;
    SetError(L"the virtual panel did not accept the connection");
    return nullptr;
  }
  SetError(L"Success");
  return device;
}

SHIM_EXPORT hid_device* hid_open_path(const char*) {
  SetError(L"the virtual panel has no device path");
  return nullptr;
}

SHIM_EXPORT int hid_set_nonblocking(hid_device* dev, int nonblock) {
  if (dev == nullptr) return -1;
  dev->nonblocking = nonblock != 0;
  return 0;
}

SHIM_EXPORT int hid_read_timeout(hid_device* dev, unsigned char* data, size_t length, int milliseconds) {
  if (dev == nullptr || (data == nullptr && length > 0)) return -1;
  if (dev->failed) return -1;
  for (;;) {
    Frame frame;
    const int got = NextFrame(dev, &frame, milliseconds);
    if (got <= 0) return got;
    if (frame.type == panelsocket::kFrameHello) continue;
    if (frame.type != panelsocket::kFrameInput) {
      Fail(dev, L"virtual panel sent an unexpected frame");
      return -1;
    }
    if (frame.length == 0) continue;
    // Like hidraw, a report longer than the caller's buffer is cut short.
    const std::size_t count =
        length < static_cast<std::size_t>(frame.length) ? length : static_cast<std::size_t>(frame.length);
    if (count > 0) std::memcpy(data, frame.payload, count);
    return static_cast<int>(count);
  }
}

SHIM_EXPORT int hid_read(hid_device* dev, unsigned char* data, size_t length) {
  if (dev == nullptr) return -1;
  return hid_read_timeout(dev, data, length, dev->nonblocking ? 0 : -1);
}

SHIM_EXPORT int hid_write(hid_device* dev, const unsigned char* data, size_t length) {
  if (dev == nullptr || data == nullptr || length == 0) return -1;
  if (dev->failed) return -1;
  unsigned char frame[panelsocket::kMaxFrameSize];
  const int size = panelsocket::EncodeFrame(panelsocket::kFrameOutput, data, length, frame);
  if (size == 0) {
    SetError(L"report too long for the virtual panel");
    return -1;
  }
  if (!SendAll(dev->fd, frame, static_cast<std::size_t>(size))) {
    // A frame may have gone out in part; the stream is no longer usable.
    Fail(dev, L"virtual panel disconnected");
    return -1;
  }
  return static_cast<int>(length);
}

SHIM_EXPORT int hid_send_feature_report(hid_device*, const unsigned char*, size_t) {
  SetError(L"the virtual panel has no feature reports");
  return -1;
}

SHIM_EXPORT int hid_get_feature_report(hid_device*, unsigned char*, size_t) {
  SetError(L"the virtual panel has no feature reports");
  return -1;
}

SHIM_EXPORT int hid_get_input_report(hid_device*, unsigned char*, size_t) {
  SetError(L"the virtual panel answers no report requests");
  return -1;
}

SHIM_EXPORT void hid_close(hid_device* dev) {
  if (dev == nullptr) return;
  close(dev->fd);
  delete dev;
}

SHIM_EXPORT int hid_get_manufacturer_string(hid_device* dev, wchar_t* string, size_t maxlen) {
  if (dev == nullptr) return -1;
  return CopyString(L"Vestrel", string, maxlen);
}

SHIM_EXPORT int hid_get_product_string(hid_device* dev, wchar_t* string, size_t maxlen) {
  if (dev == nullptr) return -1;
  return CopyString(L"Dorvik (virtual)", string, maxlen);
}

SHIM_EXPORT int hid_get_serial_number_string(hid_device* dev, wchar_t* string, size_t maxlen) {
  if (dev == nullptr) return -1;
  return CopyString(L"", string, maxlen);
}

SHIM_EXPORT int hid_get_indexed_string(hid_device*, int, wchar_t*, size_t) {
  SetError(L"the virtual panel has no string descriptors");
  return -1;
}

SHIM_EXPORT struct hid_device_info* hid_get_device_info(hid_device*) {
  SetError(L"the virtual panel has no device information");
  return nullptr;
}

SHIM_EXPORT const wchar_t* hid_error(hid_device*) { return lastError.load(std::memory_order_relaxed); }
