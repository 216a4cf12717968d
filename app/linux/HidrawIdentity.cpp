#include "app/linux/HidrawIdentity.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "panel/PanelReport.h"

namespace {

// The hex number at `text` followed by `separator`; the position after it.
const char* HexField(const char* text, char separator, unsigned long* value) {
  char* end = nullptr;
  *value = std::strtoul(text, &end, 16);
  if (end == text || *end != separator) return nullptr;
  return end + 1;
}

}  // namespace

bool UeventNamesPanel(const char* text) {
  static const char kKey[] = "HID_ID=";
  for (const char* line = text; line != nullptr && *line != '\0';) {
    if (std::strncmp(line, kKey, sizeof kKey - 1) == 0) {
      unsigned long bus = 0, vendor = 0, product = 0;
      const char* field = HexField(line + sizeof kKey - 1, ':', &bus);
      if (field != nullptr) field = HexField(field, ':', &vendor);
      if (field != nullptr) {
        char* end = nullptr;
        product = std::strtoul(field, &end, 16);
        return end != field && (*end == '\n' || *end == '\0') && vendor == kPanelVendorId && product == kPanelProductId;
      }
      return false;
    }
    line = std::strchr(line, '\n');
    if (line != nullptr) ++line;
  }
  return false;
}

HidrawIdentity ReadHidrawIdentity(const char* classFolder, const char* name) {
  char path[512];
  std::snprintf(path, sizeof path, "%s/%s/device/uevent", classFolder, name);
  const int file = open(path, O_RDONLY | O_CLOEXEC);
  if (file < 0) return HidrawIdentity::kUnreadable;
  char text[4096];
  const ssize_t length = read(file, text, sizeof text - 1);
  close(file);
  if (length < 0) return HidrawIdentity::kUnreadable;
  text[length] = '\0';
  return UeventNamesPanel(text) ? HidrawIdentity::kPanel : HidrawIdentity::kOtherDevice;
}
