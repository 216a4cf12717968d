#include "StandInServer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/signalfd.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ClientSession.h"
#include "LiveView.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMostClients = 8;
// A client that leaves this much unread has stopped reading.
constexpr std::size_t kOutgoingLimit = 1024 * 1024;
constexpr std::size_t kReceiveBudget = 256 * 1024;
constexpr std::chrono::milliseconds kRedrawSpacing{50};

class StandIn {
 public:
  explicit StandIn(const StandInOptions& options) : options_(options), console_(options.display) {
    simulation_.console = &console_;
    simulation_.framesPerSecond = options.framesPerSecond;
    simulation_.identity = options.aircraft;
    framePeriod_ =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / options.framesPerSecond));
  }
  ~StandIn() {
    if (keysRaw_) tcsetattr(STDIN_FILENO, TCSANOW, &terminal_);
    sessions_.clear();
    if (listener_ >= 0) close(listener_);
    if (signals_ >= 0) close(signals_);
  }

  int Run();

 private:
  bool Listen();
  bool WatchSignals();
  int PollTimeout(Clock::time_point now) const;
  void Accept();
  void ReadCommands();
  bool Command(const std::string& line);
  void TakeKeysOneByOne();
  void LoadAircraft(const AircraftIdentity& aircraft);
  void SetLocalVariable(const std::string& arguments);
  void ServeClient(std::size_t index, short revents, Clock::time_point now);
  bool Flush(ClientSession* session);
  void Drop(std::size_t index);
  void DropAll();
  void RunFrames(Clock::time_point now);
  void Redraw(Clock::time_point now, bool force);
  int OpenedClients() const;
  std::size_t MappedEvents() const;
  bool AnyDataRequests() const;
  void SayGoodbye();

  StandInOptions options_;
  Console console_;
  Simulation simulation_;
  int listener_ = -1;
  int signals_ = -1;
  unsigned short port_ = 0;
  bool stdinOpen_ = true;
  bool quit_ = false;
  std::string commandLine_;
  std::vector<std::unique_ptr<ClientSession>> sessions_;
  Clock::duration framePeriod_;
  bool framesRunning_ = false;
  bool paused_ = false;  // data held back, as by a simulator still loading a flight
  Clock::time_point nextFrame_;
  std::uint64_t frame_ = 0;
  Clock::time_point lastRedraw_{};
  termios terminal_{};  // as it was before the live view took keys one by one
  bool keysRaw_ = false;
};

bool StandIn::Listen() {
  listener_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (listener_ < 0) return false;
  int on = 1;
  setsockopt(listener_, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(options_.port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener_, 8) != 0) {
    std::fprintf(stderr, "simstandin: cannot listen on 127.0.0.1:%u: %s\n", static_cast<unsigned>(options_.port),
                 std::strerror(errno));
    return false;
  }
  socklen_t length = sizeof address;
  getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
  port_ = ntohs(address.sin_port);
  return true;
}

bool StandIn::WatchSignals() {
  std::signal(SIGPIPE, SIG_IGN);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, SIGINT);
  sigaddset(&set, SIGTERM);
  if (sigprocmask(SIG_BLOCK, &set, nullptr) != 0) return false;
  signals_ = signalfd(-1, &set, SFD_NONBLOCK | SFD_CLOEXEC);
  return signals_ >= 0;
}

int StandIn::OpenedClients() const {
  int count = 0;
  for (const auto& session : sessions_) count += session->opened() ? 1 : 0;
  return count;
}

std::size_t StandIn::MappedEvents() const {
  std::size_t count = 0;
  for (const auto& session : sessions_) count += session->mappedEvents();
  return count;
}

bool StandIn::AnyDataRequests() const {
  for (const auto& session : sessions_) {
    if (session->HasDataRequests()) return true;
  }
  return false;
}

// Sleeps in poll until the next thing to do; with no data requested, no
// ident running and nothing to redraw, that is until input arrives.
int StandIn::PollTimeout(Clock::time_point now) const {
  bool due = false;
  Clock::time_point wake;
  const auto consider = [&](Clock::time_point when) {
    if (!due || when < wake) wake = when;
    due = true;
  };
  if (framesRunning_) consider(nextFrame_);
  Clock::time_point identEnd;
  if (simulation_.aircraft.NextChange(&identEnd)) consider(identEnd);
  if (options_.display) consider(lastRedraw_ + kRedrawSpacing);
  if (!due) return -1;
  if (wake <= now) return 0;
  const auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(wake - now).count() + 1;
  return static_cast<int>(wait > 60000 ? 60000 : wait);
}

void StandIn::Accept() {
  for (;;) {
    const int client = accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (client < 0) return;
    if (sessions_.size() >= kMostClients) {
      close(client);
      continue;
    }
    int on = 1;
    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    sessions_.push_back(std::make_unique<ClientSession>(client, &simulation_));
  }
}

bool StandIn::Command(const std::string& raw) {
  std::string line = raw;
  while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
  std::size_t first = line.find_first_not_of(" \t");
  line = first == std::string::npos ? std::string() : line.substr(first);
  if (line.empty()) return true;
  if (line == "quit") return false;
  const std::size_t space = line.find(' ');
  const std::string verb = line.substr(0, space);
  const std::string argument = space == std::string::npos ? "" : line.substr(line.find_first_not_of(' ', space));
  if (verb == "aircraft" && !argument.empty()) {
    const AircraftIdentity* aircraft = FindBuiltInAircraft(argument);
    if (aircraft != nullptr) {
      LoadAircraft(*aircraft);
    } else {
      std::fprintf(stderr, "simstandin: no aircraft \"%s\" (%s)\n", argument.c_str(), BuiltInAircraftKeys().c_str());
    }
  } else if (verb == "aircraft-title" && !argument.empty()) {
    LoadAircraft(AircraftIdentity{"", argument, simulation_.identity.path});
  } else if (verb == "aircraft-path" && !argument.empty()) {
    LoadAircraft(AircraftIdentity{"", simulation_.identity.title, argument});
  } else if (verb == "lvar") {
    SetLocalVariable(argument);
  } else if (line == "drop") {
    DropAll();
  } else if (line == "pause" || line == "resume") {
    paused_ = line == "pause";
  } else if (line == "state") {
    const std::string state =
        "state clients=" + std::to_string(OpenedClients()) + " events=" + std::to_string(simulation_.events) + " " +
        StateFields(simulation_.aircraft.state()) + " mapped=" + std::to_string(MappedEvents()) + "\n";
    std::fputs(state.c_str(), stdout);
    std::fflush(stdout);
  } else {
    std::fprintf(stderr,
                 "simstandin: unknown command \"%s\" (state, drop, pause, resume, quit, aircraft NAME, "
                 "aircraft-title TEXT, aircraft-path TEXT, lvar L:NAME VALUE)\n",
                 line.c_str());
  }
  return true;
}

// Another aircraft is loaded: a line, the "AircraftLoaded" subscribers told
// at once, the TITLE readers on their next frame.
void StandIn::LoadAircraft(const AircraftIdentity& aircraft) {
  simulation_.identity = aircraft;
  console_.Line("aircraft: loaded \"" + aircraft.title + "\" " + aircraft.path);
  for (std::size_t i = sessions_.size(); i-- > 0;) {
    sessions_[i]->AircraftLoaded();
    if (!Flush(sessions_[i].get())) Drop(i);
  }
}

// "L:NAME VALUE", as the aircraft itself would set one.
void StandIn::SetLocalVariable(const std::string& arguments) {
  const std::size_t space = arguments.find(' ');
  const std::string name = arguments.substr(0, space);
  const std::string number = space == std::string::npos ? "" : arguments.substr(space + 1);
  char* end = nullptr;
  const double value = std::strtod(number.c_str(), &end);
  if (!LocalVariables::Names(name) || number.empty() || *end != '\0') {
    std::fprintf(stderr, "simstandin: usage: lvar L:NAME VALUE\n");
    return;
  }
  if (simulation_.localVariables.Write(name, value)) console_.Line("lvar " + name + " = " + FormatVariableValue(value));
  console_.MarkDirty();
}

// The live view's keys act at once, without Enter; typed commands still
// end with Enter. Ctrl-C still ends the stand-in.
void StandIn::TakeKeysOneByOne() {
  if (!isatty(STDIN_FILENO) || tcgetattr(STDIN_FILENO, &terminal_) != 0) return;
  termios raw = terminal_;
  raw.c_lflag &= static_cast<tcflag_t>(~(ICANON | ECHO));
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  keysRaw_ = tcsetattr(STDIN_FILENO, TCSANOW, &raw) == 0;
}

void StandIn::ReadCommands() {
  char chunk[4096];
  const ssize_t got = read(STDIN_FILENO, chunk, sizeof chunk);
  if (got <= 0) {
    if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
      // End of input does not end the stand-in: it may run in the background.
      stdinOpen_ = false;
      if (!commandLine_.empty() && !Command(commandLine_)) quit_ = true;
      commandLine_.clear();
    }
    return;
  }
  for (ssize_t i = 0; i < got; ++i) {
    // In the live view, "a" on its own loads the next built-in aircraft.
    if (keysRaw_ && chunk[i] == 'a' && commandLine_.empty()) {
      LoadAircraft(NextBuiltInAircraft(simulation_.identity.key));
    } else {
      commandLine_ += chunk[i];
    }
  }
  std::size_t newline;
  while ((newline = commandLine_.find('\n')) != std::string::npos) {
    const std::string line = commandLine_.substr(0, newline);
    commandLine_.erase(0, newline + 1);
    if (!Command(line)) {
      quit_ = true;
      return;
    }
  }
  if (commandLine_.size() > 4096) commandLine_.clear();  // no command is that long
}

bool StandIn::Flush(ClientSession* session) {
  std::vector<unsigned char>& out = session->outgoing();
  std::size_t sent = 0;
  while (sent < out.size()) {
    const ssize_t n = send(session->socket(), out.data() + sent, out.size() - sent, MSG_NOSIGNAL);
    if (n > 0) {
      sent += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    return false;
  }
  out.erase(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(sent));
  return out.size() <= kOutgoingLimit;
}

void StandIn::Drop(std::size_t index) {
  if (sessions_[index]->opened()) console_.Line("client: disconnected");
  sessions_.erase(sessions_.begin() + static_cast<std::ptrdiff_t>(index));
}

void StandIn::DropAll() {
  while (!sessions_.empty()) Drop(sessions_.size() - 1);
}

void StandIn::ServeClient(std::size_t index, short revents, Clock::time_point now) {
  ClientSession* session = sessions_[index].get();
  bool keep = true;
  if (revents & (POLLIN | POLLHUP | POLLERR)) {
    unsigned char chunk[16384];
    for (std::size_t total = 0; keep && total < kReceiveBudget;) {
      const ssize_t n = recv(session->socket(), chunk, sizeof chunk, 0);
      if (n > 0) {
        total += static_cast<std::size_t>(n);
        keep = session->Receive(chunk, static_cast<std::size_t>(n), now);
        if (!keep) console_.Line("client: broke the protocol");
        continue;
      }
      if (n < 0 && errno == EINTR) continue;
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
      keep = false;  // closed or reset
    }
  }
  if (keep) keep = Flush(session);
  if (!keep) Drop(index);
}

void StandIn::RunFrames(Clock::time_point now) {
  if (paused_ || !AnyDataRequests()) {
    framesRunning_ = false;
    return;
  }
  if (!framesRunning_) {
    framesRunning_ = true;
    nextFrame_ = now;
  }
  if (now < nextFrame_) return;
  ++frame_;
  for (auto& session : sessions_) session->Frame(frame_);
  for (std::size_t i = sessions_.size(); i-- > 0;) {
    if (!Flush(sessions_[i].get())) Drop(i);
  }
  nextFrame_ += framePeriod_;
  if (nextFrame_ < now) nextFrame_ = now + framePeriod_;  // fell behind: no burst to catch up
}

void StandIn::Redraw(Clock::time_point now, bool force) {
  if (!options_.display) return;
  if (!force && now - lastRedraw_ < kRedrawSpacing) return;
  if (!console_.TakeDirty() && !force) return;
  lastRedraw_ = now;
  LiveViewInfo info;
  info.port = port_;
  info.clients = OpenedClients();
  for (const auto& session : sessions_) {
    if (session->opened()) info.clientName = session->name();
  }
  const std::string screen = RenderLiveView(simulation_, console_, info);
  std::fwrite(screen.data(), 1, screen.size(), stdout);
  std::fflush(stdout);
}

void StandIn::SayGoodbye() {
  for (auto& session : sessions_) {
    session->QueueQuit();
    Flush(session.get());
  }
  sessions_.clear();
}

int StandIn::Run() {
  if (!WatchSignals() || !Listen()) return 1;
  std::printf("listening on 127.0.0.1:%u\n", static_cast<unsigned>(port_));
  std::fflush(stdout);
  if (options_.display) {
    TakeKeysOneByOne();
    std::fputs(LiveViewEnter(), stdout);
    Redraw(Clock::now(), true);
  }

  std::vector<pollfd> fds;
  while (!quit_) {
    const Clock::time_point before = Clock::now();
    fds.clear();
    fds.push_back({signals_, POLLIN, 0});
    fds.push_back({listener_, POLLIN, 0});
    fds.push_back({stdinOpen_ ? STDIN_FILENO : -1, POLLIN, 0});
    for (const auto& session : sessions_) {
      const short events = static_cast<short>(POLLIN | (session->outgoing().empty() ? 0 : POLLOUT));
      fds.push_back({session->socket(), events, 0});
    }
    const int ready = poll(fds.data(), fds.size(), PollTimeout(before));
    if (ready < 0 && errno != EINTR) break;
    const Clock::time_point now = Clock::now();

    if (fds[0].revents & POLLIN) {
      signalfd_siginfo info;
      if (read(signals_, &info, sizeof info) > 0) break;
    }
    // Clients first, by index from the back, since serving may drop them.
    const std::size_t clientCount = fds.size() - 3;
    for (std::size_t i = clientCount; i-- > 0;) {
      const short revents = fds[3 + i].revents;
      if (revents != 0 && i < sessions_.size()) ServeClient(i, revents, now);
    }
    if (fds[1].revents & POLLIN) Accept();
    if (fds[2].revents & (POLLIN | POLLHUP | POLLERR)) ReadCommands();

    for (const std::string& change : simulation_.aircraft.Advance(now)) console_.Line("aircraft: " + change);
    RunFrames(now);
    Redraw(now, false);
  }
  SayGoodbye();
  if (options_.display) {
    std::fputs(LiveViewLeave(), stdout);
    std::fflush(stdout);
  }
  return 0;
}

}  // namespace

int RunStandIn(const StandInOptions& options) {
  StandIn standIn(options);
  return standIn.Run();
}
