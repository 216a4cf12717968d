// Entry point of the Windows bridge: one instance per session, a hidden
// window that owns the tray icon, the supervisor on its own thread, and the
// message loop until "Quit". hidapi has already been started by the core's
// static initialisation.

#include <windows.h>

#include "app/windows/MainWindow.h"
#include "app/windows/MessageLoop.h"
#include "app/windows/PanelPresenceWindows.h"
#include "app/windows/ProfileCheckConsole.h"
#include "app/windows/ProfileFoldersWindows.h"
#include "app/windows/Resource.h"
#include "app/windows/ShellState.h"
#include "app/windows/SingleInstanceLock.h"
#include "app/windows/SupervisorStart.h"
#include "app/windows/TrayIcon.h"
#include "sim/profile/ProfileLibrary.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  // The one argument the program takes; it needs no lock, window or supervisor.
  int checked = 0;
  if (RunProfileCheckIfAsked(&checked)) return checked;
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
  // hid_open only when the HID interface list names the panel, or cannot tell.
  profile::ProfileFolders() = WindowsProfileFolders();
  panelPresence = LookForPanelInHidInterfaceList;
  StartSupervisorThread();

  const int exitCode = RunMessageLoop(instance);
  ReleaseSingleInstanceLock(instanceLock);
  return exitCode;
}
