// Entry point of the Windows bridge: one instance per session, a hidden
// window that owns the tray icon, the supervisor on its own thread, and the
// message loop until "Quit".

#include <hidapi/hidapi.h>
#include <windows.h>

#include "app/windows/MainWindow.h"
#include "app/windows/MessageLoop.h"
#include "app/windows/Resource.h"
#include "app/windows/ShellState.h"
#include "app/windows/SingleInstanceLock.h"
#include "app/windows/SupervisorStart.h"
#include "app/windows/TrayIcon.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // Before anything else, as the HID library expects; a second instance
  // starts it too, and its result changes nothing.
  hid_init();
  HANDLE instanceLock = nullptr;
  if (!TakeSingleInstanceLock(&instanceLock)) return 1;

  LoadStringW(instance, IDS_MAIN_WINDOW_TITLE, titleText, kShellTextLength);
  LoadStringW(instance, IDS_WINDOW_CLASS, windowClassName, kShellTextLength);
  RegisterMainWindowClass(instance);
  instanceHandle = instance;

  // On failure the lock stays held until the process ends, a moment later.
  HWND mainWindow = CreateMainWindow(instance);
  if (mainWindow == nullptr) return 0;

  // The icon must exist before the supervisor's first pass reports a state.
  CreateTrayIcon(mainWindow);
  UpdateWindow(mainWindow);
  StartSupervisorThread();

  const int exitCode = RunMessageLoop(instance);
  ReleaseSingleInstanceLock(instanceLock);
  // No hid_exit: the supervisor is never stopped, so it may be inside hidapi
  // right now, and hid_exit unloads the system libraries hidapi calls into.
  // The process ends a moment later and releases all of it anyway.
  return exitCode;
}
