#pragma once

#include <windows.h>
#include <shellapi.h>

#include "supervisor/TrayState.h"

// The one tray icon of the program, in three prepared forms: one record per
// TrayState, all naming the same owner window and icon identifier, so adding
// one record creates the icon and modifying it with another replaces picture
// and tooltip.
typedef NOTIFYICONDATAW TrayIconRecord;

constexpr UINT TrayIconId = 100;
constexpr UINT TrayCallbackMessage = WM_USER + 1;  // 0x0401

// Prepares the three records and adds the icon in its standby form. Called
// once, on the main thread, before the supervisor starts; the records are
// only read afterwards, which is what lets ShowTrayState run on the
// supervisor's thread without a lock.
void CreateTrayIcon(HWND mainWindow);

// Removes the icon, whichever form it shows.
void RemoveTrayIcon();
