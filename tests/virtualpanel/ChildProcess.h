#pragma once

// A child process with its standard input and output on pipes, for tests
// that drive a tool the way a user or a script would. The child dies with
// the test process, and the destructor never leaves it running.

#include <sys/types.h>

#include <string>
#include <vector>

class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ~ChildProcess();

  bool Start(const std::vector<std::string>& arguments);
  bool Running();

  bool SendLine(const std::string& line);
  void CloseInput();

  // Waits up to `milliseconds` for an output line equal to `line`; lines
  // before it are kept in Lines() too.
  bool WaitForLine(const std::string& line, int milliseconds);
  // Waits for the child to end by itself; returns its exit status or -1.
  int WaitForExit(int milliseconds);
  // Every output line read so far.
  const std::vector<std::string>& Lines() const { return lines_; }

  // Ends the child: SIGTERM, then SIGKILL if it lingers. Returns its exit
  // status, or -1 when it died of a signal or was not running.
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
