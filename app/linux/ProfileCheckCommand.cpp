#include "app/linux/ProfileCheckCommand.h"

#include <cstdio>
#include <cstring>

#include "app/linux/ProfileFolderPaths.h"
#include "sim/profile/ProfileReport.h"

int CheckProfilesCommand(int argc, const char* const* argv) {
  profile::ReportRequest request;
  bool hasPath = false;
  for (int i = 2; i < argc; ++i) {
    const bool title = std::strcmp(argv[i], "--title") == 0;
    const bool path = std::strcmp(argv[i], "--path") == 0;
    if ((title || path) && i + 1 < argc) {
      (title ? request.aircraft.title : request.aircraft.path) = argv[++i];
      (title ? request.hasAircraft : hasPath) = true;
    } else if (argv[i][0] == '-' && argv[i][1] != '\0') {
      std::fprintf(stderr,
                   "vestrel-pelvar: unexpected argument '%s'\n"
                   "Usage: vestrel-pelvar --check-profiles [FILE...] [--title \"TITLE\" [--path PATH]]\n",
                   argv[i]);
      return 2;
    } else {
      request.files.emplace_back(argv[i]);
    }
  }
  if (hasPath && !request.hasAircraft) {
    std::fputs("vestrel-pelvar: --path goes with --title\n", stderr);
    return 2;
  }
  request.folders = LinuxProfileFolders();
  return profile::WriteProfileReport(request, stdout) ? 0 : 1;
}
