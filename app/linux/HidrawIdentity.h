#pragma once

// Which device stands behind a hidraw node, from the HID_ID line
// (bus:vendor:product, in hex) that the kernel writes into the uevent of the
// node's HID device.

enum class HidrawIdentity {
  kPanel,        // the Dorvik panel's vendor and product ids
  kOtherDevice,  // a readable uevent naming any other device, or none
  kUnreadable,   // no uevent to read: the node may be going away
};

// Reads `classFolder`/`name`/device/uevent (classFolder: /sys/class/hidraw).
HidrawIdentity ReadHidrawIdentity(const char* classFolder, const char* name);

// Whether a uevent's text holds an HID_ID line with the panel's ids, compared
// as numbers, so that any case and width of the hex digits match.
bool UeventNamesPanel(const char* text);
