#pragma once

#include <string>
#include <vector>

#include <sys/types.h>

// Runs the real bridge executable, without display or tray host, with its
// runtime folder (and so its lock) and working folder in `folder`. Unless
// `offscreen` is false it is told to use Qt's offscreen platform; otherwise
// it has to cope with no display on its own. Whatever still runs when the
// object goes is killed and reaped.
class BridgeProcess {
 public:
  explicit BridgeProcess(const std::string& folder, const std::vector<std::string>& arguments = {},
                         bool offscreen = true);
  ~BridgeProcess();
  BridgeProcess(const BridgeProcess&) = delete;
  BridgeProcess& operator=(const BridgeProcess&) = delete;

  pid_t Pid() const { return pid_; }
  bool Running();
  void Signal(int signal);

  // Exit code once it ended by itself, -2 if a signal ended it, or -1 when
  // it still runs after `seconds`.
  int WaitForExit(int seconds = 10);

 private:
  pid_t pid_ = -1;
  int status_ = 0;
  bool reaped_ = false;
};

// The process holding the flock on `path` (per /proc/locks), or 0.
pid_t LockHolder(const std::string& path);

// Waits until `pid` holds the lock on `path`; false after `seconds`.
bool WaitUntilLockHolder(const std::string& path, pid_t pid, int seconds = 10);
