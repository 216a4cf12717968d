#include "tests/support/ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

int Remaining(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

std::string NameOf(const std::string& variable) { return variable.substr(0, variable.find('=')); }

// This process's environment with the options' changes applied.
std::vector<std::string> ChildEnvironment(const std::vector<std::string>& changes) {
  std::vector<std::string> variables;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string variable = *entry;
    bool changed = false;
    for (const std::string& change : changes) changed = changed || NameOf(change) == NameOf(variable);
    if (!changed) variables.push_back(variable);
  }
  for (const std::string& change : changes) {
    if (change.find('=') != std::string::npos) variables.push_back(change);
  }
  return variables;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> pointers;
  for (std::string& s : strings) pointers.push_back(s.data());
  pointers.push_back(nullptr);
  return pointers;
}

}  // namespace

ChildProcess::~ChildProcess() { Stop(); }

bool ChildProcess::Start(const std::vector<std::string>& arguments, const Options& options) {
  if (arguments.empty() || pid_ > 0) return false;
  int toChild[2];
  int fromChild[2];
  if (pipe2(toChild, O_CLOEXEC) != 0) return false;
  if (pipe2(fromChild, O_CLOEXEC) != 0) {
    close(toChild[0]);
    close(toChild[1]);
    return false;
  }
  std::vector<std::string> argv = arguments;
  std::vector<std::string> environment = ChildEnvironment(options.environment);
  std::vector<char*> argvPointers = Pointers(argv);
  std::vector<char*> environmentPointers = Pointers(environment);
  const pid_t parent = getpid();
  pid_ = fork();
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    dup2(toChild[0], STDIN_FILENO);
    dup2(fromChild[1], STDOUT_FILENO);
    if (!options.workingFolder.empty() && chdir(options.workingFolder.c_str()) != 0) _exit(127);
    execve(argvPointers[0], argvPointers.data(), environmentPointers.data());
    _exit(127);
  }
  close(toChild[0]);
  close(fromChild[1]);
  if (pid_ < 0) {
    close(toChild[1]);
    close(fromChild[0]);
    return false;
  }
  input_ = toChild[1];
  output_ = fromChild[0];
  return true;
}

bool ChildProcess::Running() {
  if (pid_ <= 0) return false;
  int status = 0;
  const pid_t done = waitpid(pid_, &status, WNOHANG);
  if (done == 0) return true;
  status_ = done != pid_ ? -1 : WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  pid_ = -1;
  return false;
}

void ChildProcess::Signal(int signal) {
  if (Running()) kill(pid_, signal);
}

bool ChildProcess::SendLine(const std::string& line) {
  if (input_ < 0) return false;
  const std::string text = line + "\n";
  std::size_t sent = 0;
  while (sent < text.size()) {
    const ssize_t wrote = write(input_, text.data() + sent, text.size() - sent);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) return false;
    sent += static_cast<std::size_t>(wrote);
  }
  return true;
}

void ChildProcess::CloseInput() {
  if (input_ >= 0) close(input_);
  input_ = -1;
}

bool ChildProcess::ReadMore(int milliseconds) {
  if (output_ < 0) return false;
  pollfd readable = {output_, POLLIN, 0};
  if (poll(&readable, 1, milliseconds) <= 0) return false;
  char chunk[4096];
  const ssize_t got = read(output_, chunk, sizeof chunk);
  if (got <= 0) {
    close(output_);
    output_ = -1;
    return false;
  }
  pending_.append(chunk, static_cast<std::size_t>(got));
  std::size_t end;
  while ((end = pending_.find('\n')) != std::string::npos) {
    lines_.push_back(pending_.substr(0, end));
    pending_.erase(0, end + 1);
  }
  return true;
}

std::string ChildProcess::WaitForLine(const std::string& prefix, int milliseconds) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    while (checked_ < lines_.size()) {
      const std::string& line = lines_[checked_++];
      if (line.rfind(prefix, 0) == 0) return line;
    }
    if (output_ < 0 || Remaining(deadline) == 0) return "";
    ReadMore(Remaining(deadline));
  }
}

int ChildProcess::WaitForExit(int milliseconds) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  while (Running()) {
    if (Remaining(deadline) == 0) return -1;
    if (output_ >= 0) {
      ReadMore(10);
    } else {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  return status_;
}

int ChildProcess::Stop() {
  CloseInput();
  if (Running()) {
    kill(pid_, SIGTERM);
    if (WaitForExit(3000) < 0 && Running()) {
      kill(pid_, SIGKILL);
      WaitForExit(3000);
    }
  }
  if (output_ >= 0) close(output_);
  output_ = -1;
  return status_;
}
