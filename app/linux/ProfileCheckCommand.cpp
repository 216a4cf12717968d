#include "app/linux/ProfileCheckCommand.h"

#include <cstdio>
#include <string>
#include <vector>

#include "app/linux/ProfileFolderPaths.h"
#include "sim/profile/ProfileReport.h"

int CheckProfilesCommand(int argc, const char* const* argv) {
  const std::vector<std::string> arguments(argv + (argc > 2 ? 2 : argc), argv + argc);
  return profile::RunProfileCheck(arguments, LinuxProfileFolders(), stdout, stderr);
}
