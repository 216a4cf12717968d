#include "tests/windows/support/ShellProcess.h"

namespace {
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
}  // namespace

std::wstring BesideTestProgram(const wchar_t* fileName) {
  wchar_t path[MAX_PATH] = {};
  const std::wstring self(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  return self.substr(0, self.find_last_of(L"\\/") + 1) + fileName;
}

ShellProcess::ShellProcess(const wchar_t* executable, WORD show, const wchar_t* arguments) {
  const std::wstring path = BesideTestProgram(executable);
  std::wstring commandLine = L"\"" + path + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = show;
  PROCESS_INFORMATION created = {};
  if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                      &startup, &created)) {
    return;
  }
  // Into the job before it runs a single instruction.
  AssignProcessToJobObject(TestJob(), created.hProcess);
  ResumeThread(created.hThread);
  CloseHandle(created.hThread);
  process_ = created.hProcess;
  id_ = created.dwProcessId;
}

ShellProcess::~ShellProcess() {
  if (process_ == nullptr) return;
  TerminateProcess(process_, 99);
  WaitForSingleObject(process_, 5000);
  CloseHandle(process_);
}

HWND ShellProcess::WaitForMainWindow() {
  return WaitFor(
      [&] {
        for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, L"TRAYICON2", nullptr)) != nullptr;) {
          DWORD owner = 0;
          GetWindowThreadProcessId(window, &owner);
          if (owner == id_) return window;
        }
        return HWND{};
      },
      15000);
}

DWORD ShellProcess::ExitCode(DWORD timeoutMs) {
  DWORD code = STILL_ACTIVE;
  if (process_ != nullptr && WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0) GetExitCodeProcess(process_, &code);
  return code;
}

HWND PopupMenu() {
  HWND menu = FindWindowW(L"#32768", nullptr);
  return IsWindowVisible(menu) ? menu : nullptr;
}

HWND AboutBox(HWND mainWindow) {
  HWND box = FindWindowW(L"#32770", L"Info");
  return IsWindowVisible(box) && GetWindow(box, GW_OWNER) == mainWindow ? box : nullptr;
}

void TypeChord(const std::vector<BYTE>& virtualKeys) {
  for (BYTE key : virtualKeys) keybd_event(key, static_cast<BYTE>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)), 0, 0);
  for (auto key = virtualKeys.rbegin(); key != virtualKeys.rend(); ++key) {
    keybd_event(*key, static_cast<BYTE>(MapVirtualKeyW(*key, MAPVK_VK_TO_VSC)), KEYEVENTF_KEYUP, 0);
  }
}
