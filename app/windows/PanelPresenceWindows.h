#pragma once

// Whether the panel is listed among the HID device interfaces, without opening
// any device or doing any device I/O: the presence source of the Windows shell.
// - A device-interface notification for the HID class (CM_Register_Notification,
//   registered before the first listing) only sets a flag, on a pool thread.
// - The interface list is read at start, again in the look after the flag was
//   set, and otherwise once a second as a sweep for anything the notification
//   missed: at least once a second, more often while interfaces come and go.
// - Where the list cannot be read at start (Wine 8, whose list function is a
//   stub that ends the process and whose size call fails first), the answer
//   is "cannot tell" for the whole run, and the supervisor polls as before.

#include <windows.h>
#include <cfgmgr32.h>

#include <atomic>

#include "supervisor/PanelPresence.h"

// The cfgmgr32 functions the look uses, resolved at run time: Windows 8 and
// later have them all; a missing one stays null.
struct HidInterfaceFunctions {
  CONFIGRET(WINAPI* registerNotification)(PCM_NOTIFY_FILTER, PVOID, PCM_NOTIFY_CALLBACK, PHCMNOTIFICATION);
  CONFIGRET(WINAPI* listSize)(PULONG, LPGUID, DEVINSTID_W, ULONG);
  CONFIGRET(WINAPI* list)(LPGUID, DEVINSTID_W, PWCHAR, ULONG, ULONG);
};

// From cfgmgr32.dll in the system folder, which stays loaded for good.
HidInterfaceFunctions ResolveHidInterfaceFunctions();

constexpr ULONGLONG kInterfaceSweepMs = 1000;

// Plain data and an atomic flag: the supervisor that looks is never joined,
// so nothing here is destroyed at exit. Zero-initialised, then `functions`
// set before the first look.
struct HidInterfaceWatch {
  HidInterfaceFunctions functions;
  std::atomic<bool> changed;  // an interface came or went: read the list again
  bool started;               // registered, and the list read once
  bool readable;              // the list at start was read
  PanelListing latest;        // what the latest listing found
  ULONGLONG listedAt;         // when it was read, in GetTickCount64 milliseconds
  wchar_t* list;              // from the process heap, kept for the next listing
  ULONG capacity;             // of `list` in characters, two closing NULs not counted
};

// One look at `now` (milliseconds): the first registers and reads the list;
// later ones read it again when the flag was set or kInterfaceSweepMs have
// passed, else answer as the latest listing did.
PanelListing LookForPanelAmongHidInterfaces(HidInterfaceWatch& watch, ULONGLONG now);

// The shell's presence source: one watch over cfgmgr32.dll, started on the
// supervisor's first look.
PanelListing LookForPanelInHidInterfaceList();
