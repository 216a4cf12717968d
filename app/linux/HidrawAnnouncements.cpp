#include "app/linux/HidrawAnnouncements.h"

#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

// The kernel's announcements go to group 1; udevd's own copies (group 2) are
// not wanted: they need udevd and repeat what the kernel said.
constexpr unsigned kKernelGroup = 1;

// One receive takes up to this many queued announcements, so that the burst a
// plugged device sends (USB device, interface, HID device, input, hidraw)
// reaches its hidraw node in that same pass.
constexpr unsigned kMessagesPerReceive = 16;
// The header line and the SUBSYSTEM field fit in the first part of an
// announcement; a longer one is truncated and read all the same.
constexpr std::size_t kMessageBytes = 2048;

// Plain data: the supervisor that receives is never joined.
struct ReceiveBuffers {
  char bytes[kMessagesPerReceive][kMessageBytes];
  iovec parts[kMessagesPerReceive];
  mmsghdr headers[kMessagesPerReceive];
};

ReceiveBuffers& Buffers() {
  static ReceiveBuffers buffers;
  return buffers;
}

}  // namespace

int OpenHidrawAnnouncements() {
  const int socket = ::socket(AF_NETLINK, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, NETLINK_KOBJECT_UEVENT);
  if (socket < 0) return -1;
  sockaddr_nl address{};
  address.nl_family = AF_NETLINK;
  address.nl_groups = kKernelGroup;
  if (bind(socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    close(socket);
    return -1;
  }
  return socket;
}

HidrawNews ReceiveHidrawAnnouncements(int socket) {
  ReceiveBuffers& buffers = Buffers();
  // Set up once: a receive writes only the lengths and flags, so a pass that
  // finds nothing touches no more of them than the kernel reads.
  if (buffers.headers[0].msg_hdr.msg_iov == nullptr) {
    for (unsigned index = 0; index < kMessagesPerReceive; ++index) {
      buffers.parts[index] = {buffers.bytes[index], kMessageBytes};
      buffers.headers[index].msg_hdr.msg_iov = &buffers.parts[index];
      buffers.headers[index].msg_hdr.msg_iovlen = 1;
    }
  }
  const int received = recvmmsg(socket, buffers.headers, kMessagesPerReceive, MSG_DONTWAIT, nullptr);
  // The socket's queue overflowed: whatever was dropped may have been the panel.
  if (received < 0) return errno == ENOBUFS ? HidrawNews::kChanged : HidrawNews::kNone;
  for (int index = 0; index < received; ++index) {
    const std::size_t length = std::min<std::size_t>(buffers.headers[index].msg_len, kMessageBytes);
    if (AnnouncesHidrawNode(buffers.bytes[index], length)) return HidrawNews::kChanged;
  }
  return HidrawNews::kNone;
}

bool AnnouncesHidrawNode(const char* message, std::size_t length) {
  // The kernel's header names the action and the device: "add@/devices/...".
  const void* end = std::memchr(message, '\0', length);
  if (end == nullptr || std::memchr(message, '@', static_cast<const char*>(end) - message) == nullptr) return false;
  static constexpr char kField[] = "SUBSYSTEM=hidraw";
  for (const char* field = static_cast<const char*>(end) + 1; field < message + length;) {
    const std::size_t left = static_cast<std::size_t>(message + length - field);
    const char* fieldEnd = static_cast<const char*>(std::memchr(field, '\0', left));
    const std::size_t size = fieldEnd != nullptr ? static_cast<std::size_t>(fieldEnd - field) : left;
    if (size == sizeof kField - 1 && std::memcmp(field, kField, size) == 0) return true;
    field += size + 1;
  }
  return false;
}
