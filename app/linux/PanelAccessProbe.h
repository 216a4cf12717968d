#pragma once

// Why a Dorvik panel that is plugged in cannot be opened: its hidraw node is
// found through sysfs (the HID_ID in each node's uevent) and opened the way
// hidapi opens it, to learn the error.

#include <cstddef>

// The supervisor's probe after a failed hid_open (PanelOpenProbe). Looks at
// most once a second (while no panel is plugged in, every pass asks) and
// tells only a failure seen on two looks in a row.
bool ProbeUnopenablePanel(char* line, std::size_t size);

// One look over `classFolder` (/sys/class/hidraw) and the nodes of the same
// names in `deviceFolder` (/dev).
bool ProbeUnopenablePanelIn(const char* classFolder, const char* deviceFolder, char* line, std::size_t size);
