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

// A plugged device announces its USB device, interfaces, HID device, input
// nodes and hidraw node in a burst; up to this many are taken in one pass,
// so that its hidraw node is seen in that same pass.
constexpr int kMostMessagesPerPass = 32;
// The header line and the SUBSYSTEM field fit in the first part of an
// announcement; a longer one is truncated and read all the same.
constexpr std::size_t kMessageBytes = 2048;

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
  // Plain data: the supervisor that receives is never joined.
  static char message[kMessageBytes];
  // A quiet pass costs one plain receive, the lightest way into the socket.
  for (int taken = 0; taken < kMostMessagesPerPass; ++taken) {
    const ssize_t length = recv(socket, message, sizeof message, MSG_DONTWAIT);
    // The socket's queue overflowed: whatever was dropped may have been the panel.
    if (length < 0) return errno == ENOBUFS ? HidrawNews::kChanged : HidrawNews::kNone;
    // What is left of a burst is read in the next passes.
    if (AnnouncesHidrawNode(message, std::min(static_cast<std::size_t>(length), sizeof message))) {
      return HidrawNews::kChanged;
    }
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
