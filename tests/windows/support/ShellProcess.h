#pragma once

// Starts a build of the shell as a user would, in one job that ends with the
// test program: no failed test leaves an instance holding the lock behind.

#include <windows.h>

#include <string>

class ShellProcess {
 public:
  // `show` is what STARTUPINFO asks of the first window.
  explicit ShellProcess(const wchar_t* fileBesideTest, WORD show = SW_SHOWNORMAL, const wchar_t* arguments = L"");
  ~ShellProcess();  // kills it if it still runs
  ShellProcess(const ShellProcess&) = delete;
  ShellProcess& operator=(const ShellProcess&) = delete;

  HWND WaitForMainWindow();                 // its window of class "TRAYICON2", or null
  DWORD ExitCode(DWORD timeoutMs = 15000);  // STILL_ACTIVE if it runs on

 private:
  HANDLE process_ = nullptr;
  DWORD id_ = 0;
};

std::wstring BesideTestProgram(const wchar_t* fileName);

// Polls `find` until it yields something (a window, true) or time is up.
template <typename Find>
auto WaitFor(Find find, DWORD timeoutMs = 10000) {
  for (const ULONGLONG deadline = GetTickCount64() + timeoutMs;; Sleep(20)) {
    const auto found = find();
    if (found || GetTickCount64() >= deadline) return found;
  }
}
