#include "app/windows/MainWindowProc.h"

#include "app/windows/AboutBox.h"
#include "app/windows/ContextMenu.h"
#include "app/windows/Resource.h"
#include "app/windows/TrayIcon.h"

static_assert(CommandAbout == IDM_ABOUT && CommandQuit == IDM_QUIT, "menu resources and code agree");

namespace {

void Quit(HWND mainWindow) {
  // The icon goes first: once the window is gone nothing could remove it.
  RemoveTrayIcon();
  DestroyWindow(mainWindow);
}

// The shell's default notification protocol: lParam is the mouse message
// itself. Only these two open the menu; a single left click does nothing.
bool OpensContextMenu(LPARAM notification) { return notification == WM_LBUTTONDBLCLK || notification == WM_RBUTTONUP; }

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND mainWindow, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      BeginPaint(mainWindow, &paint);
      EndPaint(mainWindow, &paint);
      return 0;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case CommandAbout:
          ShowAboutBox(mainWindow);
          return 0;
        case CommandQuit:
          Quit(mainWindow);
          return 0;
        default:
          return DefWindowProcW(mainWindow, message, wParam, lParam);
      }
    case WM_TIMER:
      return 0;
    case TrayCallbackMessage:
      if (OpensContextMenu(lParam)) {
        OpenContextMenu(mainWindow);
        return 0;
      }
      return DefWindowProcW(mainWindow, message, wParam, lParam);
    default:
      return DefWindowProcW(mainWindow, message, wParam, lParam);
  }
}
