#pragma once

// Whether the panel is listed, from one read of the hidraw class folder per
// look. A node's identity is read from its uevent only when the node is new,
// keyed by name and inode: the kernel gives a node made again for another
// device (a replug reuses hidraw names) a new inode.

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

// The shell's presence source: /sys/class/hidraw.
PanelListing LookForPanelInSysfs();
