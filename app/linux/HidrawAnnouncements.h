#pragma once

// The kernel's own announcements of devices that come and go, read from a
// NETLINK_KOBJECT_UEVENT socket: no udevd behind it and no privilege needed.
// The listing reads /sys/class/hidraw again only when a hidraw node was
// announced; the supervisor's pause waits on the socket, so a pass with
// nothing announced receives nothing. Where the announcements do not reach this process (a container in
// a network namespace of its own, a synthetic sysfs) the socket stays silent
// and the listing's once-a-second sweep finds the panel instead.

#include <cstddef>

enum class HidrawNews {
  kNone,     // nothing arrived that concerns a hidraw node
  kChanged,  // a hidraw node came or went, or announcements were lost
};

// A non-blocking socket subscribed to the kernel's announcements, or -1 where
// the system refuses one (then only the sweep finds the panel).
int OpenHidrawAnnouncements();

// Receives, never waiting, what has queued up: one receive when nothing has.
HidrawNews ReceiveHidrawAnnouncements(int socket);

// Whether one announcement (ACTION@DEVPATH, then KEY=VALUE fields, each
// ending in a NUL) is about a hidraw node.
bool AnnouncesHidrawNode(const char* message, std::size_t length);
