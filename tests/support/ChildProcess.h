#pragma once

// A program started for a test, the way a user or a script would start it:
// standard input and output on pipes, optionally in another working folder
// and with some environment variables replaced or removed. The child dies
// with the test process (a crash or a ctest timeout leaves nothing running),
// and the destructor never leaves it running either.

#include <sys/types.h>

#include <string>
#include <vector>

class ChildProcess {
 public:
  struct Options {
    std::string workingFolder;             // empty: the test's own
    std::vector<std::string> environment;  // "NAME=value" replaces NAME, "NAME" removes it
  };

  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();

  // arguments[0] is the program's path.
  bool Start(const std::vector<std::string>& arguments, const Options& options = {});
  pid_t Pid() const { return pid_; }
  bool Running();
  void Signal(int signal);

  bool SendLine(const std::string& line);
  void CloseInput();

  // Waits up to `milliseconds` for the next output line that starts with
  // `prefix` and returns it; "" on timeout or end of output. Lines passed
  // over are kept in Lines() too.
  std::string WaitForLine(const std::string& prefix, int milliseconds = 3000);
  const std::vector<std::string>& Lines() const { return lines_; }

  // The exit code once the child has ended, 128 + the signal that ended it,
  // or -1 when it still runs after `milliseconds`.
  int WaitForExit(int milliseconds = 3000);
  // SIGTERM, then SIGKILL if it lingers; returns what WaitForExit would.
  int Stop();

 private:
  bool ReadMore(int milliseconds);

  pid_t pid_ = -1;
  int input_ = -1;
  int output_ = -1;
  int status_ = -1;
  std::string pending_;
  std::vector<std::string> lines_;
  std::size_t checked_ = 0;
};
