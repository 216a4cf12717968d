#include "tools/virtualpanel/ScriptRunner.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/virtualpanel/PanelSession.h"
#include "tools/virtualpanel/QuitSignals.h"
#include "tools/virtualpanel/ScriptCommand.h"

namespace virtualpanel {

namespace {

using Clock = std::chrono::steady_clock;

// A line longer than this is no command; it is dropped rather than kept.
constexpr std::size_t kMaxLine = 4096;
// Signals are also noticed between events at this interval.
constexpr int kIdlePollMilliseconds = 200;

void PrintEvents(std::vector<TransportEvent>* events) {
  for (const TransportEvent& event : *events) {
    std::uint8_t lamps = 0;
    switch (event.kind) {
      case TransportEvent::kBridgeConnected:
        std::printf("bridge connected\n");
        break;
      case TransportEvent::kBridgeDisconnected:
        std::printf("bridge disconnected\n");
        break;
      case TransportEvent::kOutputReport:
        if (DecodeLampReport(event.report.data(), event.report.size(), &lamps)) std::printf("lamps 0x%02x\n", lamps);
        break;
    }
  }
  std::fflush(stdout);
  events->clear();
}

void Complain(int lineNumber, const std::string& text) {
  std::fprintf(stderr, "virtualpanel: line %d: %s\n", lineNumber, text.c_str());
}

void ReportOutcome(int lineNumber, PanelSession::Outcome outcome) {
  if (outcome == PanelSession::kNoBridge) Complain(lineNumber, "no bridge has the panel open; report not delivered");
  if (outcome == PanelSession::kInvalid) Complain(lineNumber, "nothing to send");
}

class Script {
 public:
  explicit Script(PanelTransport* transport) : transport_(transport), session_(transport) {}

  int Run() {
    std::vector<TransportEvent> events;
    while (!quit_ && !QuitRequested()) {
      RunReadyCommands();
      if (quit_) break;
      if (!inputOpen_ && !waiting_ && input_.empty()) break;

      std::vector<pollfd> descriptors;
      transport_->AddPollDescriptors(&descriptors);
      const bool readInput = inputOpen_ && !waiting_;
      if (readInput) descriptors.push_back({STDIN_FILENO, POLLIN, 0});
      int timeout = kIdlePollMilliseconds;
      if (waiting_) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(waitUntil_ - Clock::now()).count();
        timeout = static_cast<int>(left < 0 ? 0 : left < timeout ? left : timeout);
      }
      const int ready = poll(descriptors.data(), descriptors.size(), timeout);
      if (ready > 0 && readInput && descriptors.back().revents != 0) ReadInput();

      transport_->Service(&events);
      PrintEvents(&events);
      if (waiting_ && Clock::now() >= waitUntil_) waiting_ = false;
    }
    // Let a report sent just before the end still go out.
    transport_->Service(&events);
    PrintEvents(&events);
    return 0;
  }

 private:
  void ReadInput() {
    char chunk[4096];
    const ssize_t got = read(STDIN_FILENO, chunk, sizeof chunk);
    if (got > 0) {
      input_.append(chunk, static_cast<std::size_t>(got));
      if (input_.size() > kMaxLine && input_.find('\n') == std::string::npos) {
        Complain(lineNumber_ + 1, "line too long; dropped");
        input_.clear();
      }
    } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
      inputOpen_ = false;
    }
  }

  bool NextLine(std::string* line) {
    const std::size_t end = input_.find('\n');
    if (end != std::string::npos) {
      *line = input_.substr(0, end);
      input_.erase(0, end + 1);
      return true;
    }
    if (!inputOpen_ && !input_.empty()) {
      line->swap(input_);
      input_.clear();
      return true;
    }
    return false;
  }

  void RunReadyCommands() {
    std::string line;
    while (!waiting_ && !quit_ && NextLine(&line)) {
      ++lineNumber_;
      ScriptCommand command;
      std::string error;
      if (!ParseScriptLine(line, &command, &error)) {
        Complain(lineNumber_, error);
        continue;
      }
      Execute(command);
    }
  }

  void Execute(const ScriptCommand& command) {
    switch (command.kind) {
      case ScriptCommand::kNothing:
        break;
      case ScriptCommand::kAction:
        ReportOutcome(lineNumber_, session_.Do(command.action));
        break;
      case ScriptCommand::kTap: {
        ReportOutcome(lineNumber_, session_.Do({PanelAction::kPress, 0, command.action.key}));
        session_.Do({PanelAction::kRelease, 0, command.action.key});
        break;
      }
      case ScriptCommand::kRaw:
        ReportOutcome(lineNumber_, session_.SendRaw(command.raw.data(), command.raw.size()));
        break;
      case ScriptCommand::kWait:
        waiting_ = true;
        waitUntil_ = Clock::now() + std::chrono::milliseconds(command.milliseconds);
        break;
      case ScriptCommand::kQuit:
        quit_ = true;
        break;
    }
  }

  PanelTransport* transport_;
  PanelSession session_;
  std::string input_;
  bool inputOpen_ = true;
  bool waiting_ = false;
  bool quit_ = false;
  Clock::time_point waitUntil_;
  int lineNumber_ = 0;
};

}  // namespace

int RunScript(PanelTransport* transport) {
  Script script(transport);
  return script.Run();
}

}  // namespace virtualpanel
