#pragma once

// What a user does to the running shell, and what the test can see of it
// from another process: the tray icon as the notification area knows it,
// the tray menu, the About box and the keyboard.

#include <windows.h>

#include <string>
#include <vector>

// Whether the notification area holds icon 100 of `mainWindow`. Asks the
// shell to modify nothing of it, which succeeds only for an existing icon.
bool TrayIconExists(HWND mainWindow);

// Sends the tray notification the shell would send for `mouseMessage` on the
// icon (the default protocol: the mouse message is lParam).
void NotifyFromTray(HWND mainWindow, UINT mouseMessage);

// The open pop-up menu window, waited for up to `timeoutMs`; null if none.
HWND WaitForPopupMenu(DWORD timeoutMs);

// The About box ("Info") owned by `mainWindow`, waited for up to `timeoutMs`.
HWND WaitForAboutBox(HWND mainWindow, DWORD timeoutMs);

struct ChildControl {
  std::wstring className;
  std::wstring text;
  int id;
  LONG style;
};
std::vector<ChildControl> ChildControls(HWND dialog);

// Keyboard input as if typed: keys pressed in order, released in reverse.
void TypeChord(const std::vector<WORD>& virtualKeys);
