// Finding the panel's hidraw node in sysfs: whether it is listed, and why it
// will not open.

#include <gtest/gtest.h>
#include <linux/netlink.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/linux/HidrawAnnouncements.h"
#include "app/linux/PanelAccessProbe.h"
#include "app/linux/SysfsPanelListing.h"
#include "tests/support/TempFolder.h"

namespace {

TEST(PanelProbe, TellsOnlyAPanelNodeThatWillNotOpen) {
  TempFolder root;
  const std::string sys = root.Path() + "/class", dev = root.Path() + "/dev";
  const auto node = [&](const char* name, const char* hidId) {
    std::filesystem::create_directories(sys + "/" + name + "/device");
    root.Write(std::string("class/") + name + "/device/uevent",
               std::string("DRIVER=hid-generic\nHID_ID=") + hidId + "\nHID_NAME=x\n");
  };
  std::filesystem::create_directories(dev + "/hidraw0");  // a directory: opens for no one, root included
  std::filesystem::create_directories(dev + "/hidraw2");
  root.Write("dev/hidraw1", "");
  node("hidraw0", "0003:0000046D:0000C52B");  // another device
  node("hidraw1", "0003:000004D8:0000E6D6");  // the panel, and it opens
  char line[512] = "";
  EXPECT_FALSE(ProbeUnopenablePanelIn((root.Path() + "/none").c_str(), dev.c_str(), line, sizeof line));
  EXPECT_FALSE(ProbeUnopenablePanelIn(sys.c_str(), dev.c_str(), line, sizeof line));
  node("hidraw2", "0005:000004d8:0000e6d6");  // the panel over another bus, in lower case, and it will not open
  EXPECT_TRUE(ProbeUnopenablePanelIn(sys.c_str(), dev.c_str(), line, sizeof line));
  EXPECT_EQ(std::string(line), "Dorvik panel found at " + dev +
                                   "/hidraw2 but it cannot be opened: Is a directory. Install the udev rule "
                                   "app/linux/udev/70-vestrel-pelvar.rules (the package installs it as "
                                   "/usr/lib/udev/rules.d/70-vestrel-pelvar.rules), then plug the panel in again");
}

// Each look reads the folder; a node's uevent only when the node is new.
TEST(PanelListing, FollowsNodesByNameAndInodeAndReadsEachNewOneOnce) {
  TempFolder root;
  const std::string sys = root.Path() + "/class";
  const auto node = [&](const std::string& name, const char* hidId) {
    std::filesystem::create_directories(sys + "/" + name + "/device");
    root.Write("class/" + name + "/device/uevent", std::string("HID_NAME=x\nHID_ID=") + hidId + "\n");
  };
  // Made anew beside the old one and renamed over it, as a replug does: the
  // same name with another inode.
  const auto remake = [&](const std::string& name, const char* hidId) {
    node(name + ".new", hidId);
    std::filesystem::remove_all(sys + "/" + name);
    std::filesystem::rename(sys + "/" + name + ".new", sys + "/" + name);
  };
  constexpr auto kListed = PanelListing::kListed, kNotListed = PanelListing::kNotListed;
  HidrawNodeMemory memory{};
  EXPECT_EQ(LookForPanelIn(sys.c_str(), memory), PanelListing::kCannotTell);  // no hidraw folder
  std::filesystem::create_directories(sys);
  const struct {
    const char* step;
    std::function<void()> change;
    PanelListing expected;
  } steps[] = {
      {"empty", [] {}, kNotListed},
      {"another device", [&] { node("hidraw0", "0003:0000046D:0000C52B"); }, kNotListed},
      {"the panel plugged in", [&] { node("hidraw1", "0003:000004D8:0000E6D6"); }, kListed},
      {"its uevent is not read again",
       [&] { root.Write("class/hidraw1/device/uevent", "HID_ID=0003:0000046D:0000C52B\n"); }, kListed},
      {"unplugged", [&] { std::filesystem::remove_all(sys + "/hidraw1"); }, kNotListed},
      {"a node without a uevent yet", [&] { std::filesystem::create_directories(sys + "/hidraw1/device"); },
       kNotListed},
      {"whose uevent then appears",
       [&] { root.Write("class/hidraw1/device/uevent", "HID_ID=0005:000004d8:0000e6d6\n"); }, kListed},
      {"its name taken by another device", [&] { remake("hidraw1", "0003:0000046D:0000C52B"); }, kNotListed},
      {"another's name taken by the panel", [&] { remake("hidraw0", "0003:000004d8:0000E6D6"); }, kListed},
      {"the same vendor, another product", [&] { remake("hidraw0", "0003:000004D8:0000E6D7"); }, kNotListed},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.step);
    step.change();
    EXPECT_EQ(LookForPanelIn(sys.c_str(), memory), step.expected);
  }
}

// Announcements as the kernel sends them, header and fields each ending in a
// NUL (paths shortened), handed to the listing's own socket by a second
// socket where this machine lets a process send there, straight to the reader
// where it does not. The panel's node is made without one, so only a listing
// read again finds it.
TEST(PanelListing, ReadsTheFolderAgainInTheLookAfterAHidrawNodeIsAnnouncedAndEverySecond) {
  using namespace std::string_literals;
  const std::string hidDevice = "/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/0003:04D8:E6D6.0007";
  const struct {
    const char* announcement;
    std::string message;
    bool readsAgain;
  } rows[] = {
      {"a hidraw node added",
       "add@" + hidDevice + "/hidraw/hidraw3\0ACTION=add\0DEVPATH=" + hidDevice +
           "/hidraw/hidraw3\0SUBSYSTEM=hidraw\0MAJOR=241\0MINOR=3\0DEVNAME=hidraw3\0SEQNUM=4711\0"s,
       true},
      {"a hidraw node removed",
       "remove@" + hidDevice + "/hidraw/hidraw3\0ACTION=remove\0SUBSYSTEM=hidraw\0DEVNAME=hidraw3\0SEQNUM=4730\0"s,
       true},
      {"the USB interface before it",
       "add@/devices/pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0\0ACTION=add\0SUBSYSTEM=usb\0DEVTYPE=usb_interface\0"
       "INTERFACE=3/0/0\0SEQNUM=4705\0"s,
       false},
      {"the HID device with the panel's ids",
       "add@" + hidDevice + "\0ACTION=add\0SUBSYSTEM=hid\0HID_ID=0003:000004D8:0000E6D6\0SEQNUM=4706\0"s, false},
      {"a subsystem that only begins alike", "add@/devices/virtual/x\0ACTION=add\0SUBSYSTEM=hidrawx\0"s, false},
      {"udevd's copy, which has no kernel header", "libudev\0SUBSYSTEM=hidraw\0"s, false},
  };
  TempFolder root;
  const std::string sys = root.Path() + "/class";
  std::filesystem::create_directories(sys);
  const int sender = socket(AF_NETLINK, SOCK_DGRAM | SOCK_CLOEXEC, NETLINK_KOBJECT_UEVENT);
  const auto announce = [sender](const HidrawWatch& watch, const std::string& message) {
    sockaddr_nl listener{};
    socklen_t size = sizeof listener;
    getsockname(watch.announcements, reinterpret_cast<sockaddr*>(&listener), &size);
    listener.nl_groups = 0;  // to that socket alone, never to every listener on the machine
    return sender >= 0 && sendto(sender, message.data(), message.size(), 0,
                                 reinterpret_cast<const sockaddr*>(&listener), sizeof listener) >= 0;
  };
  const auto plugPanel = [&] {
    std::filesystem::create_directories(sys + "/hidraw3/device");
    root.Write("class/hidraw3/device/uevent", "HID_ID=0003:000004D8:0000E6D6\n");
  };
  // Each announcement is received by every look, and by the look after the
  // kernel rang the bell (this thread's SIGIO, handled before sendto returns).
  for (const auto& row : rows)
    for (const bool bell : {false, true}) {
      SCOPED_TRACE(std::string(row.announcement) + (bell ? ", rung" : ""));
      HidrawWatch watch{};
      watch.announcements = OpenHidrawAnnouncements();
      ASSERT_GE(watch.announcements, 0);
      watch.bellRings = bell && RingOnAnnouncement(watch.announcements);
      ASSERT_EQ(watch.bellRings, bell);
      std::filesystem::remove_all(sys + "/hidraw3");
      EXPECT_EQ(WatchForPanelIn(sys.c_str(), watch), PanelListing::kNotListed);
      plugPanel();
      if (announce(watch, row.message)) {
        EXPECT_EQ(WatchForPanelIn(sys.c_str(), watch) == PanelListing::kListed, row.readsAgain);
      } else {
        EXPECT_EQ(AnnouncesHidrawNode(row.message.data(), row.message.size()), row.readsAgain);
      }
      close(watch.announcements);
    }

  // With the bell, a burst longer than a look's share rings again for its
  // rest, and a look it did not ring for receives nothing.
  HidrawWatch rung{};
  rung.announcements = OpenHidrawAnnouncements();
  rung.bellRings = RingOnAnnouncement(rung.announcements);
  std::filesystem::remove_all(sys + "/hidraw3");
  EXPECT_EQ(WatchForPanelIn(sys.c_str(), rung), PanelListing::kNotListed);
  plugPanel();
  for (int message = 0; message < 40; ++message) announce(rung, rows[2].message);
  if (announce(rung, rows[0].message)) {
    std::vector<PanelListing> looks;
    for (int look = 0; look < 3; ++look) looks.push_back(WatchForPanelIn(sys.c_str(), rung));
    EXPECT_EQ(looks,
              (std::vector<PanelListing>{PanelListing::kNotListed, PanelListing::kListed, PanelListing::kListed}));
    std::filesystem::remove_all(sys + "/hidraw3");
    announce(rung, rows[1].message);
    TakeAnnouncementBell();
    EXPECT_EQ(WatchForPanelIn(sys.c_str(), rung), PanelListing::kListed);
  }
  close(rung.announcements);
  if (sender >= 0) close(sender);

  // Where no announcement arrives, every 40th look (a second) reads the
  // folder, and no look in between: plugged in at look 1, out at look 41.
  HidrawWatch silent{};
  silent.announcements = -1;
  std::filesystem::remove_all(sys + "/hidraw3");
  std::vector<int> listed, expected;
  for (int look = 0; look <= 81; ++look) {
    if (look == 41) std::filesystem::remove_all(sys + "/hidraw3");
    if (WatchForPanelIn(sys.c_str(), silent) == PanelListing::kListed) listed.push_back(look);
    if (look >= 40 && look < 80) expected.push_back(look);
    if (look == 0) {
      std::filesystem::create_directories(sys + "/hidraw3/device");
      root.Write("class/hidraw3/device/uevent", "HID_ID=0003:000004D8:0000E6D6\n");
    }
  }
  EXPECT_EQ(listed, expected);
}

}  // namespace
