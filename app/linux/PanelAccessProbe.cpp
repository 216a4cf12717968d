#include "app/linux/PanelAccessProbe.h"

#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>

#include "panel/PanelReport.h"

namespace {

// Whether the uevent of hidraw node `name` says HID_ID=<bus>:<vendor>:<product>
// with the panel's ids (eight hex digits each, any case).
bool IsPanel(const char* classFolder, const char* name) {
  char path[512];
  std::snprintf(path, sizeof path, "%s/%s/device/uevent", classFolder, name);
  const int file = open(path, O_RDONLY | O_CLOEXEC);
  if (file < 0) return false;
  char text[4096];
  const ssize_t length = read(file, text, sizeof text - 1);
  close(file);
  if (length <= 0) return false;
  text[length] = '\0';
  const char* id = std::strstr(text, "HID_ID=");
  if (id == nullptr || (id = std::strchr(id, ':')) == nullptr) return false;
  char wanted[32];
  std::snprintf(wanted, sizeof wanted, ":%08X:%08X", kPanelVendorId, kPanelProductId);
  const std::size_t wantedLength = std::strlen(wanted);
  return strncasecmp(id, wanted, wantedLength) == 0 && (id[wantedLength] == '\n' || id[wantedLength] == '\0');
}

}  // namespace

bool ProbeUnopenablePanelIn(const char* classFolder, const char* deviceFolder, char* line, std::size_t size) {
  DIR* nodes = opendir(classFolder);
  if (nodes == nullptr) return false;
  bool found = false;
  while (const dirent* entry = readdir(nodes)) {
    if (std::strncmp(entry->d_name, "hidraw", 6) != 0 || !IsPanel(classFolder, entry->d_name)) continue;
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
