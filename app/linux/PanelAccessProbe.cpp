#include "app/linux/PanelAccessProbe.h"

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "app/linux/HidrawIdentity.h"

bool ProbeUnopenablePanelIn(const char* classFolder, const char* deviceFolder, char* line, std::size_t size) {
  DIR* nodes = opendir(classFolder);
  if (nodes == nullptr) return false;
  bool found = false;
  while (const dirent* entry = readdir(nodes)) {
    if (std::strncmp(entry->d_name, "hidraw", 6) != 0 ||
        ReadHidrawIdentity(classFolder, entry->d_name) != HidrawIdentity::kPanel)
      continue;
    char node[512];
    std::snprintf(node, sizeof node, "%s/%s", deviceFolder, entry->d_name);
    const int device = open(node, O_RDWR | O_CLOEXEC);
    if (device >= 0) {
      close(device);  // this one opens: the failure was something else
      continue;
    }
    // Usually a permission; either way udev is what makes and grants the node.
    std::snprintf(line, size,
                  "Dorvik panel found at %s but it cannot be opened: %s. Install the udev rule "
                  "app/linux/udev/70-vestrel-pelvar.rules (the package installs it as "
                  "/usr/lib/udev/rules.d/70-vestrel-pelvar.rules), then plug the panel in again",
                  node, std::strerror(errno));
    found = true;
    break;
  }
  closedir(nodes);
  return found;
}

// udev grants access a moment after the kernel creates the node, so a panel
// just plugged in may fail an open with nothing wrong: only a failure seen on
// two looks a second apart is told.
bool ProbeUnopenablePanel(char* line, std::size_t size) {
  using Clock = std::chrono::steady_clock;
  static Clock::time_point nextLook{};
  static bool failedLastLook = false;
  const Clock::time_point now = Clock::now();
  if (now < nextLook) return false;
  nextLook = now + std::chrono::seconds(1);
  const bool failing = ProbeUnopenablePanelIn("/sys/class/hidraw", "/dev", line, size);
  const bool persistent = failing && failedLastLook;
  failedLastLook = failing;
  return persistent;
}
