#include <fcntl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "tools/hidshim/PanelSocketProtocol.h"
#include "tools/virtualpanel/PanelTransport.h"

namespace virtualpanel {

namespace {

using panelsocket::Frame;

// A bridge that stops reading must not make the panel hoard reports for
// ever; past this much unsent data new reports are dropped, as a real
// panel's would be.
constexpr std::size_t kMaxOutbox = 64 * 1024;

bool MakeAddress(const std::string& path, sockaddr_un* address) {
  *address = sockaddr_un{};
  address->sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof address->sun_path) return false;
  std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
  return true;
}

class SocketTransport : public PanelTransport {
 public:
  SocketTransport(std::string path, int listener, ino_t inode)
      : path_(std::move(path)), listener_(listener), inode_(inode) {}

  ~SocketTransport() override {
    DropBridge();
    close(listener_);
    // Remove the socket file only if it is still ours, not a successor's.
    struct stat status;
    if (lstat(path_.c_str(), &status) == 0 && status.st_ino == inode_) unlink(path_.c_str());
  }

  std::string Description() const override { return "socket " + path_ + " (hidapi shim)"; }

  void AddPollDescriptors(std::vector<pollfd>* descriptors) const override {
    descriptors->push_back({listener_, POLLIN, 0});
    if (bridge_ >= 0) {
      const short wanted = static_cast<short>(POLLIN | (outbox_.empty() ? 0 : POLLOUT));
      descriptors->push_back({bridge_, wanted, 0});
    }
  }

  void Service(std::vector<TransportEvent>* events) override {
    AcceptBridges(events);
    if (bridge_ >= 0) ReadFromBridge(events);
    if (bridge_ >= 0 && !Flush()) Disconnect(events);
  }

  bool BridgeConnected() const override { return bridge_ >= 0; }

  bool SendInputReport(const unsigned char* bytes, std::size_t length) override {
    if (bridge_ < 0) return false;
    unsigned char frame[panelsocket::kMaxFrameSize];
    const int size = panelsocket::EncodeFrame(panelsocket::kFrameInput, bytes, length, frame);
    if (size == 0 || outbox_.size() + static_cast<std::size_t>(size) > kMaxOutbox) return false;
    outbox_.insert(outbox_.end(), frame, frame + size);
    // A failed send shows up as a hang-up on the next Service call.
    Flush();
    return true;
  }

 private:
  void AcceptBridges(std::vector<TransportEvent>* events) {
    for (;;) {
      const int fd = accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (fd < 0) {
        if (errno == EINTR) continue;
        return;
      }
      unsigned char frame[panelsocket::kMaxFrameSize];
      if (bridge_ >= 0) {
        // One bridge holds the panel at a time, like a HID device opened
        // exclusively; a second one is told so and sent away.
        const int size = panelsocket::EncodeFrame(panelsocket::kFrameBusy, nullptr, 0, frame);
        send(fd, frame, static_cast<std::size_t>(size), MSG_NOSIGNAL | MSG_DONTWAIT);
        close(fd);
        continue;
      }
      const unsigned char version = panelsocket::kProtocolVersion;
      const int size = panelsocket::EncodeFrame(panelsocket::kFrameHello, &version, 1, frame);
      bridge_ = fd;
      inboxLength_ = 0;
      outbox_.assign(frame, frame + size);
      events->push_back({TransportEvent::kBridgeConnected, {}});
    }
  }

  void ReadFromBridge(std::vector<TransportEvent>* events) {
    for (;;) {
      const ssize_t got = recv(bridge_, inbox_ + inboxLength_, sizeof inbox_ - inboxLength_, MSG_DONTWAIT);
      if (got == 0) {
        Disconnect(events);
        return;
      }
      if (got < 0) {
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) return;
        Disconnect(events);
        return;
      }
      inboxLength_ += static_cast<std::size_t>(got);
      Frame frame;
      int used;
      while ((used = panelsocket::ExtractFrame(inbox_, inboxLength_, &frame)) > 0) {
        inboxLength_ -= static_cast<std::size_t>(used);
        std::memmove(inbox_, inbox_ + used, inboxLength_);
        if (frame.type != panelsocket::kFrameOutput) {
          Disconnect(events);
          return;
        }
        events->push_back({TransportEvent::kOutputReport, {frame.payload, frame.payload + frame.length}});
      }
      if (used < 0) {
        Disconnect(events);
        return;
      }
    }
  }

  // Sends what the outbox holds as far as the socket takes it. False when
  // the bridge has gone.
  bool Flush() {
    while (!outbox_.empty()) {
      const ssize_t sent = send(bridge_, outbox_.data(), outbox_.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
      if (sent > 0) {
        outbox_.erase(outbox_.begin(), outbox_.begin() + sent);
        continue;
      }
      if (sent < 0 && errno == EINTR) continue;
      return sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK);
    }
    return true;
  }

  void Disconnect(std::vector<TransportEvent>* events) {
    DropBridge();
    events->push_back({TransportEvent::kBridgeDisconnected, {}});
  }

  void DropBridge() {
    if (bridge_ >= 0) close(bridge_);
    bridge_ = -1;
    inboxLength_ = 0;
    outbox_.clear();
  }

  std::string path_;
  int listener_;
  ino_t inode_;
  int bridge_ = -1;
  unsigned char inbox_[1024];
  std::size_t inboxLength_ = 0;
  std::vector<unsigned char> outbox_;
};

// True when a live process accepts connections at `address`.
bool SomeoneListens(const sockaddr_un& address) {
  const int probe = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (probe < 0) return false;
  const bool listening = connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(probe);
  return listening;
}

}  // namespace

std::unique_ptr<PanelTransport> OpenSocketTransport(const std::string& path, std::string* error) {
  sockaddr_un address;
  if (!MakeAddress(path, &address)) {
    *error = "socket path is empty or too long: " + path;
    return nullptr;
  }
  struct stat status;
  if (lstat(path.c_str(), &status) == 0) {
    if (!S_ISSOCK(status.st_mode)) {
      *error = path + " exists and is not a socket";
      return nullptr;
    }
    if (SomeoneListens(address)) {
      *error = "another virtual panel is listening at " + path;
      return nullptr;
    }
    unlink(path.c_str());
  }
  const int listener = socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (listener < 0) {
    *error = std::string("socket: ") + std::strerror(errno);
    return nullptr;
  }
  if (bind(listener, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || listen(listener, 4) != 0 ||
      lstat(path.c_str(), &status) != 0) {
    *error = "cannot listen at " + path + ": " + std::strerror(errno);
    close(listener);
    return nullptr;
  }
  return std::make_unique<SocketTransport>(path, listener, status.st_ino);
}

}  // namespace virtualpanel
