#include "app/windows/ProfileCheckConsole.h"

#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "app/windows/ProfileFoldersWindows.h"
#include "sim/profile/ProfileReport.h"

namespace {

// The parent's console, when there is one: the program's standard streams
// are pointed at it, and its output code page at UTF-8 for the names.
void AttachToParentConsole() {
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  FILE* ignored = nullptr;
  _wfreopen_s(&ignored, L"CONOUT$", L"w", stdout);
  _wfreopen_s(&ignored, L"CONOUT$", L"w", stderr);
  SetConsoleOutputCP(CP_UTF8);
}

}  // namespace

bool RunProfileCheckIfAsked(int* exitCode) {
  int count = 0;
  LPWSTR* arguments = CommandLineToArgvW(GetCommandLineW(), &count);
  if (arguments == nullptr) return false;
  std::vector<std::string> args;
  for (int i = 0; i < count; ++i) args.push_back(Utf8FromWide(arguments[i]));
  LocalFree(arguments);
  if (args.size() < 2 || args[1] != "--check-profiles") return false;

  AttachToParentConsole();
  args.erase(args.begin(), args.begin() + 2);
  *exitCode = profile::RunProfileCheck(args, WindowsProfileFolders(), stdout, stderr);
  return true;
}
