#include "tests/linux/BridgeProcess.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// This process's environment with the bridge's runtime folder and display
// replaced, so it cannot meet a bridge the user runs.
std::vector<std::string> BridgeEnvironment(const std::string& folder, bool offscreen) {
  std::vector<std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string variable = *entry;
    const std::string name = variable.substr(0, variable.find('='));
    if (name == "XDG_RUNTIME_DIR" || name == "QT_QPA_PLATFORM" || name == "DISPLAY" || name == "WAYLAND_DISPLAY") {
      continue;
    }
    variables.push_back(variable);
  }
  variables.push_back("XDG_RUNTIME_DIR=" + folder);
  if (offscreen) variables.push_back("QT_QPA_PLATFORM=offscreen");
  return variables;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

BridgeProcess::BridgeProcess(const std::string& folder, const std::vector<std::string>& arguments, bool offscreen) {
  std::vector<std::string> argv = {VP_BRIDGE_EXECUTABLE};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::vector<std::string> environment = BridgeEnvironment(folder, offscreen);
  std::vector<char*> argvPointers = Pointers(argv);
  std::vector<char*> environmentPointers = Pointers(environment);

  pid_ = fork();
  if (pid_ != 0) return;
  // The child: should the test process die (a crash, a ctest timeout), the
  // bridge goes with it instead of holding on to its lock forever.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  const int nothing = open("/dev/null", O_RDONLY);
  // Started in `folder`, so no SimConnect.cfg from elsewhere is picked up.
  if (nothing < 0 || dup2(nothing, STDIN_FILENO) < 0 || chdir(folder.c_str()) != 0) _exit(127);
  execve(VP_BRIDGE_EXECUTABLE, argvPointers.data(), environmentPointers.data());
  _exit(127);
}

BridgeProcess::~BridgeProcess() {
  if (pid_ > 0 && !reaped_) {
    kill(pid_, SIGKILL);
    waitpid(pid_, &status_, 0);
  }
}

bool BridgeProcess::Running() { return pid_ > 0 && WaitForExit(0) == -1; }

void BridgeProcess::Signal(int signal) {
  if (pid_ > 0 && !reaped_) kill(pid_, signal);
}

int BridgeProcess::WaitForExit(int seconds) {
  if (pid_ <= 0) return -2;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (!reaped_) {
    if (waitpid(pid_, &status_, WNOHANG) == pid_) {
      reaped_ = true;
      break;
    }
    if (std::chrono::steady_clock::now() >= deadline) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return WIFEXITED(status_) ? WEXITSTATUS(status_) : -2;
}

pid_t LockHolder(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return 0;
  std::ifstream locks("/proc/locks");
  std::string line;
  // e.g. "1: FLOCK  ADVISORY  WRITE 12146 fe:00:10952901 0 EOF"
  while (std::getline(locks, line)) {
    std::istringstream fields(line);
    std::string number, kind, advisory, access, device;
    long pid = 0;
    if (!(fields >> number >> kind)) continue;
    if (kind == "->") continue;  // a waiter, not a holder
    if (kind != "FLOCK" || !(fields >> advisory >> access >> pid >> device)) continue;
    unsigned major = 0, minor = 0;
    unsigned long inode = 0;
    if (std::sscanf(device.c_str(), "%x:%x:%lu", &major, &minor, &inode) != 3) continue;
    if (inode == info.st_ino && makedev(major, minor) == info.st_dev) return static_cast<pid_t>(pid);
  }
  return 0;
}

bool WaitUntilLockHolder(const std::string& path, pid_t pid, int seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (LockHolder(path) != pid) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}
