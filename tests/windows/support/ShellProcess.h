#pragma once

// Starts the shell executable under test and finds its hidden main window.
// Every process started here belongs to a job that is killed when the test
// program ends, so a failing or aborted test leaves nothing running.

#include <windows.h>

#include <string>

class ShellProcess {
 public:
  struct Options {
    std::wstring executable;            // file name beside the test program
    WORD showCommand = SW_SHOWNORMAL;   // what STARTUPINFO asks of the first window
    std::wstring arguments;             // command-line text after the program name
  };

  explicit ShellProcess(const Options& options);
  ~ShellProcess();
  ShellProcess(const ShellProcess&) = delete;
  ShellProcess& operator=(const ShellProcess&) = delete;

  bool Started() const { return process_ != nullptr; }
  DWORD ProcessId() const { return processId_; }

  // The process's top-level window of class "TRAYICON2", waited for up to
  // `timeoutMs`; null if none appeared.
  HWND WaitForMainWindow(DWORD timeoutMs = 15000);

  // Waits for the process to end; returns false on timeout.
  bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);
  bool Running() const;

  void Kill();

 private:
  HANDLE process_ = nullptr;
  DWORD processId_ = 0;
};

// The full path of a file beside the running test program.
std::wstring BesideTestProgram(const std::wstring& fileName);

// Waits until `condition` holds, polling every 20 ms; false on timeout.
template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (condition()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(20);
  }
}
