#include "tests/windows/support/ShellProcess.h"

#include <vector>

namespace {

// One job for every process the tests start; closing its last handle, which
// happens at the latest when the test program ends, kills them all.
HANDLE TestJob() {
  static HANDLE job = [] {
    HANDLE created = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return created;
  }();
  return job;
}

struct WindowSearch {
  DWORD processId;
  HWND found;
};

BOOL CALLBACK MatchMainWindow(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<WindowSearch*>(parameter);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  if (owner == search->processId && std::wstring(className) == L"TRAYICON2") {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

std::wstring BesideTestProgram(const std::wstring& fileName) {
  std::vector<wchar_t> path(MAX_PATH);
  DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  std::wstring self(path.data(), length);
  return self.substr(0, self.find_last_of(L"\\/") + 1) + fileName;
}

ShellProcess::ShellProcess(const Options& options) {
  const std::wstring executable = BesideTestProgram(options.executable);
  std::wstring commandLine = L"\"" + executable + L"\"";
  if (!options.arguments.empty()) commandLine += L" " + options.arguments;

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = options.showCommand;
  PROCESS_INFORMATION created = {};
  if (!CreateProcessW(executable.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                      nullptr, &startup, &created)) {
    return;
  }
  // Into the job before it runs a single instruction.
  AssignProcessToJobObject(TestJob(), created.hProcess);
  ResumeThread(created.hThread);
  CloseHandle(created.hThread);
  process_ = created.hProcess;
  processId_ = created.dwProcessId;
}

ShellProcess::~ShellProcess() {
  Kill();
  if (process_ != nullptr) CloseHandle(process_);
}

HWND ShellProcess::WaitForMainWindow(DWORD timeoutMs) {
  WindowSearch search = {processId_, nullptr};
  WaitUntil(
      [&] {
        EnumWindows(MatchMainWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr;
      },
      timeoutMs);
  return search.found;
}

bool ShellProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
  if (process_ == nullptr || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return false;
  GetExitCodeProcess(process_, exitCode);
  return true;
}

bool ShellProcess::Running() const {
  return process_ != nullptr && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

void ShellProcess::Kill() {
  if (!Running()) return;
  TerminateProcess(process_, 99);
  WaitForSingleObject(process_, 5000);
}
