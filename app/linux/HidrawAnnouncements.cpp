#include "app/linux/HidrawAnnouncements.h"

#include <fcntl.h>
#include <linux/netlink.h>
#include <pthread.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
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

// Trivially destructible and lock-free, so the handler may set it and the
// never-joined supervisor may read it while exit() runs.
std::atomic<bool> bell{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the bell is set from a signal handler");

void Ring(int) { bell.store(true, std::memory_order_relaxed); }

// SIGIO's default is to end the process, so the bell is asked for only once
// this handler is in place; a handler of someone else's is left alone.
bool HandleSigio() {
  struct sigaction current {};
  if (sigaction(SIGIO, nullptr, &current) != 0) return false;
  if ((current.sa_flags & SA_SIGINFO) == 0 && current.sa_handler == Ring) return true;
  if ((current.sa_flags & SA_SIGINFO) != 0 || current.sa_handler != SIG_DFL) return false;
  struct sigaction ring {};
  ring.sa_handler = Ring;
  sigemptyset(&ring.sa_mask);
  // The bell only interrupts the supervisor's sleep, which goes on to its end;
  // any other call it falls into is taken up again.
  ring.sa_flags = SA_RESTART;
  return sigaction(SIGIO, &ring, nullptr) == 0;
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
  // Plain data: the supervisor that receives is never joined.
  static char message[kMessageBytes];
  for (int taken = 0; taken < kMostMessagesPerPass; ++taken) {
    const ssize_t length = recv(socket, message, sizeof message, MSG_DONTWAIT);
    // The socket's queue overflowed: whatever was dropped may have been the panel.
    if (length < 0) return HidrawNews{errno == ENOBUFS, errno == EAGAIN || errno == EWOULDBLOCK};
    // What is left of a burst is read in the next passes.
    if (AnnouncesHidrawNode(message, std::min(static_cast<std::size_t>(length), sizeof message))) {
      return HidrawNews{true, false};
    }
  }
  return HidrawNews{false, false};
}

bool RingOnAnnouncement(int socket) {
  if (!HandleSigio()) return false;
  // Threads inherit their creator's mask; a blocked bell would never ring.
  sigset_t io;
  sigemptyset(&io);
  sigaddset(&io, SIGIO);
  pthread_sigmask(SIG_UNBLOCK, &io, nullptr);
  // To this thread alone: the others (the GUI's) are never interrupted.
  const f_owner_ex owner{F_OWNER_TID, gettid()};
  const int flags = fcntl(socket, F_GETFL);
  if (fcntl(socket, F_SETOWN_EX, &owner) != 0 || flags < 0 || fcntl(socket, F_SETFL, flags | O_ASYNC) != 0) {
    return false;
  }
  RingAnnouncementBell();
  return true;
}

bool TakeAnnouncementBell() { return bell.exchange(false, std::memory_order_relaxed); }

void RingAnnouncementBell() { bell.store(true, std::memory_order_relaxed); }

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
