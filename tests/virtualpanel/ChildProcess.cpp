#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

int Remaining(Clock::time_point deadline) {
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left > 0 ? static_cast<int>(left) : 0;
}

}  // namespace

ChildProcess::~ChildProcess() { Stop(); }

bool ChildProcess::Start(const std::vector<std::string>& arguments) {
  int toChild[2];
  int fromChild[2];
  if (pipe2(toChild, O_CLOEXEC) != 0) return false;
  if (pipe2(fromChild, O_CLOEXEC) != 0) {
    close(toChild[0]);
    close(toChild[1]);
    return false;
  }
  std::vector<char*> argv;
  for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const pid_t parent = getpid();
  pid_ = fork();
  if (pid_ == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (getppid() != parent) _exit(127);
    dup2(toChild[0], STDIN_FILENO);
    dup2(fromChild[1], STDOUT_FILENO);
    execv(argv[0], argv.data());
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
  status_ = done == pid_ && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  pid_ = -1;
  return false;
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
  char chunk[1024];
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

bool ChildProcess::WaitForLine(const std::string& line, int milliseconds) {
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(milliseconds);
  for (;;) {
    while (checked_ < lines_.size()) {
      if (lines_[checked_++] == line) return true;
    }
    if (output_ < 0 || Remaining(deadline) == 0) return false;
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
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
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
      waitpid(pid_, nullptr, 0);
      pid_ = -1;
      status_ = -1;
    }
  }
  if (output_ >= 0) close(output_);
  output_ = -1;
  return status_;
}
