#include "app/linux/SysfsPanelListing.h"

#include <dirent.h>

#include <cstring>

#include "app/linux/HidrawAnnouncements.h"
#include "app/linux/HidrawIdentity.h"

namespace {

// readdir keeps its order between looks, so the search starts where the last
// one ended and usually finds the node at once.
KnownHidrawNode* Find(HidrawNodeMemory& memory, const dirent& entry, int& cursor) {
  for (int step = 0; step < memory.count; ++step) {
    KnownHidrawNode& node = memory.nodes[(cursor + step) % memory.count];
    if (node.inode == entry.d_ino && std::strcmp(node.name, entry.d_name) == 0) {
      cursor = (cursor + step + 1) % memory.count;
      return &node;
    }
  }
  return nullptr;
}

bool IsPanelNode(const char* classFolder, const dirent& entry, HidrawNodeMemory& memory, int& cursor) {
  if (KnownHidrawNode* known = Find(memory, entry, cursor)) {
    known->seen = true;
    return known->panel;
  }
  const HidrawIdentity identity = ReadHidrawIdentity(classFolder, entry.d_name);
  // A node that could not be read is asked again on the next look.
  if (identity != HidrawIdentity::kUnreadable && memory.count < HidrawNodeMemory::kCapacity &&
      std::strlen(entry.d_name) < sizeof KnownHidrawNode::name) {
    KnownHidrawNode& node = memory.nodes[memory.count++];
    std::strcpy(node.name, entry.d_name);
    node.inode = entry.d_ino;
    node.panel = identity == HidrawIdentity::kPanel;
    node.seen = true;
  }
  return identity == HidrawIdentity::kPanel;
}

// Forgets the nodes that the latest look did not see.
void ForgetVanished(HidrawNodeMemory& memory) {
  int kept = 0;
  for (int index = 0; index < memory.count; ++index) {
    if (!memory.nodes[index].seen) continue;
    memory.nodes[kept] = memory.nodes[index];
    memory.nodes[kept++].seen = false;
  }
  memory.count = kept;
}

}  // namespace

PanelListing LookForPanelIn(const char* classFolder, HidrawNodeMemory& memory) {
  DIR* folder = opendir(classFolder);
  if (folder == nullptr) return PanelListing::kCannotTell;
  int cursor = 0;
  bool listed = false;
  while (const dirent* entry = readdir(folder)) {
    if (std::strncmp(entry->d_name, "hidraw", 6) != 0) continue;
    // Every node is looked at, so that each one seen is kept for the next look.
    if (IsPanelNode(classFolder, *entry, memory, cursor)) listed = true;
  }
  closedir(folder);
  ForgetVanished(memory);
  return listed ? PanelListing::kListed : PanelListing::kNotListed;
}

PanelListing WatchForPanelIn(const char* classFolder, HidrawWatch& watch) {
  // A start that cannot subscribe still lists, and then sweeps.
  bool announced = false;
  if (watch.started && watch.announcements >= 0 && (!watch.bellRings || TakeAnnouncementBell())) {
    const HidrawNews news = ReceiveHidrawAnnouncements(watch.announcements);
    announced = news.changed;
    if (!news.drained && watch.bellRings) RingAnnouncementBell();
  }
  if (watch.started && !announced && ++watch.looksSinceListing < kHidrawSweepLooks) return watch.latest;
  watch.started = true;
  watch.latest = LookForPanelIn(classFolder, watch.memory);
  watch.looksSinceListing = 0;
  return watch.latest;
}

namespace {

// Zero-initialised before any code runs: plain data, nothing to destroy.
HidrawWatch sysfsWatch{};

}  // namespace

PanelListing LookForPanelInSysfs() {
  // Subscribed before the first listing, so that no arrival falls between the two.
  if (!sysfsWatch.started) {
    sysfsWatch.announcements = OpenHidrawAnnouncements();
    sysfsWatch.bellRings = sysfsWatch.announcements >= 0 && RingOnAnnouncement(sysfsWatch.announcements);
  }
  return WatchForPanelIn("/sys/class/hidraw", sysfsWatch);
}
