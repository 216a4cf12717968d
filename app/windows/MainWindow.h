#pragma once

#include <windows.h>

// The hidden main window: it is never shown and exists to own the tray icon,
// receive its notifications and the menu's commands.
void RegisterMainWindowClass(HINSTANCE instance);

// Null when the window cannot be created.
HWND CreateMainWindow(HINSTANCE instance);
