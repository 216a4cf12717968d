#pragma once

#include <windows.h>

// The About box (dialog 103): modal, owned by `mainWindow`, closed by "OK",
// Enter, Escape or its close button.
void ShowAboutBox(HWND mainWindow);

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
