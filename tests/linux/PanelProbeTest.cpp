// Finding the panel's hidraw node in sysfs and telling why it will not open.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "app/linux/PanelAccessProbe.h"
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

}  // namespace
