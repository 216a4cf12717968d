#include "app/linux/ProfileFolderPaths.h"

#include <unistd.h>

#include <cstdlib>

namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

std::string ProgramFolder() {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return "";
  const std::string program(path, static_cast<std::size_t>(length));
  return program.substr(0, program.find_last_of('/'));
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
    const std::string program = ProgramFolder();
    if (!program.empty()) shipped = program + "/../share/vestrel-pelvar/aircraft";
  }
  if (!shipped.empty()) folders.push_back(shipped);
  return folders;
}
