#include "app/linux/ProfileFolderPaths.h"

#include <cstdlib>

#include "sim/simconnect/Net/ConfigLookup.h"

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

}  // namespace

std::vector<std::string> LinuxProfileFolders() {
  std::vector<std::string> folders;
  // XDG: a relative XDG_CONFIG_HOME is to be ignored.
  std::string config = Environment("XDG_CONFIG_HOME");
  if (config.empty() || config[0] != '/') {
    const std::string home = Environment("HOME");
    config = home.empty() ? "" : home + "/.config";
  }
  if (!config.empty()) folders.push_back(config + "/vestrel-pelvar/aircraft");
  std::string shipped = Environment("VESTREL_PELVAR_SHIPPED_PROFILES");
  if (shipped.empty()) {
    const std::string program = ExecutableFolder();
    if (!program.empty()) shipped = program + "/../share/vestrel-pelvar/aircraft";
  }
  if (!shipped.empty()) folders.push_back(shipped);
  return folders;
}
