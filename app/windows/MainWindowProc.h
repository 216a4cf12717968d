#pragma once

#include <windows.h>

// Commands of the tray menu and the accelerators, in the low word of wParam.
constexpr WORD CommandAbout = 104;
constexpr WORD CommandQuit = 105;

// Window procedure of the hidden main window: tray notifications, the two
// commands, and the window's end, which ends the message loop.
LRESULT CALLBACK MainWindowProc(HWND mainWindow, UINT message, WPARAM wParam, LPARAM lParam);
