#pragma once

#include <string>

// The platform list Qt is to start on, the value for QT_QPA_PLATFORM, from
// the list asked for (empty when none) and the displays that answered. An
// entry for a display that does not answer is dropped, and "offscreen" ends
// every list, so the bridge never asks Qt for a display it cannot have and
// bridges without an icon instead. Empty leaves the choice to Qt.
std::string ChooseQtPlatform(const std::string& requested, bool x11Reachable, bool waylandReachable);

// Looks at the displays and sets QT_QPA_PLATFORM by ChooseQtPlatform. To be
// called before the QApplication exists.
void SettleQtPlatform();
