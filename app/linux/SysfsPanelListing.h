#pragma once

// Whether the panel is listed, from a read of the hidraw class folder. A node's identity is read from its uevent only
// when the node is new, keyed by name and inode: the kernel gives a node made again for another device (a replug reuses
// hidraw names) a new inode.

#include <sys/types.h>

#include "supervisor/PanelPresence.h"

struct KnownHidrawNode {
  char name[32];
  ino_t inode;
  bool panel;
  bool seen;  // in the latest look
};

// Plain data, for the supervisor that is never joined: nothing to destroy at
// exit. Nodes past the capacity are read on every look.
struct HidrawNodeMemory {
  static constexpr int kCapacity = 128;
  KnownHidrawNode nodes[kCapacity];
  int count;
};

// One look over `classFolder`; a folder that cannot be read cannot tell.
PanelListing LookForPanelIn(const char* classFolder, HidrawNodeMemory& memory);

// The supervisor looks once a pass (25 ms) while the panel is not open, so
// the sweep is counted in looks, and no clock is read.
constexpr int kHidrawSweepLooks = 40;

// The folder is read at start, in the look after the kernel announces a
// hidraw node, and every kHidrawSweepLooks for the systems where no
// announcement arrives; in between, the latest listing stands. Plain data,
// zero-initialised, `announcements` set before the first look.
struct HidrawWatch {
  int announcements;  // from OpenHidrawAnnouncements, or -1
  // The kernel rings the bell on an announcement (RingOnAnnouncement): a look
  // receives only after it rang. Without it, every look receives.
  bool bellRings;
  bool started;  // the folder was read once
  PanelListing latest;
  int looksSinceListing;
  HidrawNodeMemory memory;
};

// One look; the first reads the folder, later ones when announced or swept.
PanelListing WatchForPanelIn(const char* classFolder, HidrawWatch& watch);

// The shell's presence source: /sys/class/hidraw and the kernel's
// announcements, their bell rung to the thread of the first look.
PanelListing LookForPanelInSysfs();
