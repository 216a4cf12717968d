#pragma once

#include <windows.h>

// Shows the tray menu ("Quit", "&Info...") at the mouse pointer and returns
// when it closes. A chosen entry arrives later as a WM_COMMAND posted to
// `mainWindow`.
void OpenContextMenu(HWND mainWindow);
