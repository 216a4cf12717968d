// Finding the panel's hidraw node in sysfs: whether it is listed, and why it
// will not open.

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>

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

}  // namespace
