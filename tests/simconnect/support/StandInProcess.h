#pragma once

// Runs the simulator stand-in as a child process for a test: reads its
// listening line, sends it commands, waits for its output lines and parses
// its state line. The child dies with the test process, whatever happens.

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace testnet {

class StandInProcess {
 public:
  explicit StandInProcess(const std::string& program, std::vector<std::string> arguments = {"--port", "0"}) {
    int toChild[2], fromChild[2];
    if (pipe2(toChild, O_CLOEXEC) != 0 || pipe2(fromChild, O_CLOEXEC) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      dup2(toChild[0], STDIN_FILENO);
      dup2(fromChild[1], STDOUT_FILENO);
      std::vector<char*> argv;
      argv.push_back(const_cast<char*>(program.c_str()));
      for (std::string& argument : arguments) argv.push_back(argument.data());
      argv.push_back(nullptr);
      execv(program.c_str(), argv.data());
      _exit(127);
    }
    close(toChild[0]);
    close(fromChild[1]);
    input_ = toChild[1];
    output_ = fromChild[0];
    const std::string line = WaitForLine("listening on 127.0.0.1:");
    if (!line.empty()) {
      listeningLine_ = line;
      port_ = static_cast<unsigned short>(std::stoi(line.substr(line.rfind(':') + 1)));
    }
  }

  ~StandInProcess() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    CloseInput();
    if (output_ >= 0) close(output_);
  }
  StandInProcess(const StandInProcess&) = delete;
  StandInProcess& operator=(const StandInProcess&) = delete;

  unsigned short port() const { return port_; }
  const std::string& listeningLine() const { return listeningLine_; }
  pid_t pid() const { return pid_; }

  void Command(const std::string& command) {
    const std::string line = command + "\n";
    if (input_ >= 0 && write(input_, line.data(), line.size()) < 0) CloseInput();
  }

  void CloseInput() {
    if (input_ >= 0) close(input_);
    input_ = -1;
  }

  // Waits for the next output line that starts with `prefix`, skipping
  // others; "" on timeout or end of output.
  std::string WaitForLine(const std::string& prefix,
                          std::chrono::milliseconds timeout = std::chrono::milliseconds(3000)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
      std::size_t newline;
      while ((newline = buffer_.find('\n')) != std::string::npos) {
        std::string line = buffer_.substr(0, newline);
        buffer_.erase(0, newline + 1);
        lines_.push_back(line);
        if (line.rfind(prefix, 0) == 0) return line;
      }
      const auto left =
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || output_ < 0) return "";
      pollfd entry{output_, POLLIN, 0};
      if (poll(&entry, 1, static_cast<int>(left.count())) <= 0) return "";
      char chunk[4096];
      const ssize_t got = read(output_, chunk, sizeof chunk);
      if (got <= 0) return "";
      buffer_.append(chunk, static_cast<std::size_t>(got));
    }
  }

  // Asks for the state line and returns its key=value pairs.
  std::map<std::string, std::string> State() {
    Command("state");
    const std::string line = WaitForLine("state ");
    std::map<std::string, std::string> fields;
    std::istringstream words(line.substr(line.empty() ? 0 : 6));
    std::string word;
    while (words >> word) {
      const std::size_t equals = word.find('=');
      if (equals != std::string::npos) fields[word.substr(0, equals)] = word.substr(equals + 1);
    }
    return fields;
  }

  // Asks for the state until `key` has `value`, for up to `timeout`; returns
  // the value last seen.
  std::string WaitForState(const std::string& key, const std::string& value,
                           std::chrono::milliseconds timeout = std::chrono::milliseconds(3000)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::string seen;
    for (;;) {
      seen = State()[key];
      if (seen == value || std::chrono::steady_clock::now() > deadline) return seen;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }

  // Every line read so far, in order.
  const std::vector<std::string>& lines() const { return lines_; }

  // Waits up to `timeout` for the process to end; its exit code, or -1.
  int WaitForExit(std::chrono::milliseconds timeout = std::chrono::milliseconds(3000)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
      int status = 0;
      const pid_t done = waitpid(pid_, &status, WNOHANG);
      if (done == pid_) {
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return -1;
  }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
  int input_ = -1;
  int output_ = -1;
  unsigned short port_ = 0;
  std::string listeningLine_;
  std::string buffer_;
  std::vector<std::string> lines_;
};

}  // namespace testnet
