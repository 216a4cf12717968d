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
  profile::ReportRequest request;
  bool hasPath = false;
  *exitCode = 2;
  for (std::size_t i = 2; i < args.size(); ++i) {
    const bool title = args[i] == "--title";
    const bool path = args[i] == "--path";
    if ((title || path) && i + 1 < args.size()) {
      (title ? request.aircraft.title : request.aircraft.path) = args[++i];
      (title ? request.hasAircraft : hasPath) = true;
    } else if (args[i].size() > 1 && args[i][0] == '-') {
      std::fprintf(stderr,
                   "vestrel-pelvar: unexpected argument '%s'\n"
                   "Usage: vestrel-pelvar --check-profiles [FILE...] [--title \"TITLE\" [--path PATH]]\n",
                   args[i].c_str());
      std::fflush(stderr);
      return true;
    } else {
      request.files.push_back(args[i]);
    }
  }
  if (hasPath && !request.hasAircraft) {
    std::fputs("vestrel-pelvar: --path goes with --title\n", stderr);
    std::fflush(stderr);
    return true;
  }
  request.folders = WindowsProfileFolders();
  *exitCode = profile::WriteProfileReport(request, stdout) ? 0 : 1;
  std::fflush(stdout);
  return true;
}
