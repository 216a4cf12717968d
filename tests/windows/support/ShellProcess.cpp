#include "tests/windows/support/ShellProcess.h"

std::wstring BesideTestProgram(const wchar_t* fileName) {
  wchar_t path[MAX_PATH] = {};
  const std::wstring self(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  return self.substr(0, self.find_last_of(L"\\/") + 1) + fileName;
}

ShellProcess::ShellProcess(const wchar_t* fileBesideTest, WORD show, const wchar_t* arguments) {
  static HANDLE job = [] {
    HANDLE created = CreateJobObjectW(nullptr, nullptr);
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(created, JobObjectExtendedLimitInformation, &limits, sizeof limits);
    return created;
  }();
  std::wstring commandLine = L"\"" + BesideTestProgram(fileBesideTest) + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = show;
  PROCESS_INFORMATION created = {};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                      &startup, &created)) {
    return;
  }
  AssignProcessToJobObject(job, created.hProcess);  // before it runs a single instruction
  ResumeThread(created.hThread);
  CloseHandle(created.hThread);
  process_ = created.hProcess;
  id_ = created.dwProcessId;
}

ShellProcess::~ShellProcess() {
  TerminateProcess(process_, 99);
  WaitForSingleObject(process_, 5000);
  CloseHandle(process_);
}

HWND ShellProcess::WaitForMainWindow() {
  return WaitFor(
      [&] {
        HWND window = FindWindowW(L"TRAYICON2", nullptr);
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        return owner == id_ ? window : nullptr;
      },
      15000);
}

DWORD ShellProcess::ExitCode(DWORD timeoutMs) {
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(process_, &code);
  return code;
}
