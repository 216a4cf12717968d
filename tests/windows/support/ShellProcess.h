#pragma once

// Starts the shell as a user would and watches it from outside: its hidden
// main window, its tray menu and About box, its exit. Every process started
// here belongs to one job that ends with the test program, so a failed or
// aborted test leaves no instance behind holding the single-instance lock.

#include <windows.h>

#include <string>
#include <vector>

class ShellProcess {
 public:
  // `executable` lies beside the test program; `show` is what STARTUPINFO
  // asks of the first window.
  explicit ShellProcess(const wchar_t* executable, WORD show = SW_SHOWNORMAL, const wchar_t* arguments = L"");
  ~ShellProcess();  // kills it if it still runs
  ShellProcess(const ShellProcess&) = delete;
  ShellProcess& operator=(const ShellProcess&) = delete;

  // Its top-level window of class "TRAYICON2"; null if none appears in time.
  HWND WaitForMainWindow();
  // Its exit code, or STILL_ACTIVE if it still runs after `timeoutMs`.
  DWORD ExitCode(DWORD timeoutMs = 15000);

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

std::wstring BesideTestProgram(const wchar_t* fileName);

// Polls `find` every 20 ms until it yields something (a window, true) or the
// time is up; returns its last answer.
template <typename Find>
auto WaitFor(Find find, DWORD timeoutMs = 10000) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    const auto found = find();
    if (found || GetTickCount64() >= deadline) return found;
    Sleep(20);
  }
}

// The visible pop-up menu, or null.
HWND PopupMenu();
// The visible About box ("Info") owned by `mainWindow`, or null.
HWND AboutBox(HWND mainWindow);
// Keys pressed in order and released in reverse, as typed.
void TypeChord(const std::vector<BYTE>& virtualKeys);
