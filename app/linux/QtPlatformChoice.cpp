#include "app/linux/QtPlatformChoice.h"

#include <cstdlib>
#include <sstream>

#include "app/linux/DisplayProbe.h"

namespace {

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

}  // namespace

std::string ChooseQtPlatform(const std::string& requested, bool x11Reachable, bool waylandReachable) {
  // Where both answer, Qt knows best which of the two the session prefers.
  if (requested.empty() && x11Reachable && waylandReachable) return "";

  std::istringstream entries(requested.empty() ? "wayland;xcb" : requested);
  std::string entry;
  std::string chosen;
  while (std::getline(entries, entry, ';')) {
    if (entry.empty() || entry == "offscreen") continue;
    if (StartsWith(entry, "xcb") && !x11Reachable) continue;
    if (StartsWith(entry, "wayland") && !waylandReachable) continue;
    chosen += entry + ';';
  }
  // Also the way out should a display vanish between this look and Qt's own
  // connection, or its platform plugin be missing: Qt moves down the list
  // instead of aborting.
  return chosen + "offscreen";
}

void SettleQtPlatform() {
  const char* requested = std::getenv("QT_QPA_PLATFORM");
  const std::string chosen =
      ChooseQtPlatform(requested != nullptr ? requested : "", X11DisplayReachable(), WaylandDisplayReachable());
  if (!chosen.empty()) setenv("QT_QPA_PLATFORM", chosen.c_str(), 1);
}
