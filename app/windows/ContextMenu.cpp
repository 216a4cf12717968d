#include "app/windows/ContextMenu.h"

#include "app/windows/Resource.h"

void OpenContextMenu(HWND mainWindow) {
  // Loaded afresh for each opening and released afterwards, so repeated
  // openings hold nothing.
  HMENU menu = LoadMenuW(nullptr, MAKEINTRESOURCEW(IDR_CONTEXT_MENU));
  if (menu == nullptr) return;
  // "Kontextmenü" > "&Datei": the only part of the menu anybody sees.
  HMENU fileMenu = GetSubMenu(GetSubMenu(menu, 0), 0);

  POINT pointer = {};
  GetCursorPos(&pointer);
  // A pop-up menu closes on a click elsewhere only while its owner is the
  // foreground window.
  SetForegroundWindow(mainWindow);
  TrackPopupMenu(fileMenu, TPM_RIGHTBUTTON, pointer.x, pointer.y, 0, mainWindow, nullptr);
  // Without a message after the menu closes, the next opening from the tray
  // can vanish at once (the system's documented remedy is this empty one).
  PostMessageW(mainWindow, WM_NULL, 0, 0);
  DestroyMenu(menu);
}
