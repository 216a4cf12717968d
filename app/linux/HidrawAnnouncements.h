#pragma once

// The kernel's own announcements of devices that come and go, read from a
// NETLINK_KOBJECT_UEVENT socket: no udevd behind it and no privilege needed.
// The listing reads /sys/class/hidraw again only when a hidraw node was
// announced, and the kernel rings a bell (SIGIO to the supervisor thread) when
// one arrives, so a look with nothing announced makes no system call at all.
// Where the announcements do not reach this process (a container in a network
// namespace of its own, a synthetic sysfs) the socket stays silent and the
// listing's once-a-second sweep finds the panel instead.

#include <cstddef>

struct HidrawNews {
  bool changed;  // a hidraw node came or went, or announcements were lost
  bool drained;  // nothing is left queued: the next look needs no receive until the bell rings
};

// A non-blocking socket subscribed to the kernel's announcements, or -1 where
// the system refuses one (then only the sweep finds the panel).
int OpenHidrawAnnouncements();

// Receives, never waiting, what has queued up, up to a look's share of a
// burst: one receive when nothing has.
HidrawNews ReceiveHidrawAnnouncements(int socket);

// Asks the kernel to signal the calling thread whenever an announcement
// reaches `socket`; the bell is rung once at once for what queued before.
// False where it will not, or where SIGIO already has a handler of someone
// else's: then every look receives.
bool RingOnAnnouncement(int socket);
// Whether the bell rang since the last call; it is silent again after.
bool TakeAnnouncementBell();
// For a look that left announcements queued: the next look takes them.
void RingAnnouncementBell();

// Whether one announcement (ACTION@DEVPATH, then KEY=VALUE fields, each
// ending in a NUL) is about a hidraw node.
bool AnnouncesHidrawNode(const char* message, std::size_t length);
