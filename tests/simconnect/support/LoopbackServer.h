#pragma once

// A scripted simulator end for client tests: listens on 127.0.0.1 at a port
// the OS picks, accepts one client, and lets the test read its requests and
// send it raw bytes, close politely or reset the connection.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/simconnect/Net/ClientRequests.h"
#include "sim/simconnect/Net/ServerMessages.h"
#include "sim/simconnect/Net/WireDecoder.h"

namespace testnet {

using Bytes = std::vector<unsigned char>;

class LoopbackServer {
 public:
  LoopbackServer() {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
    listen(listener_, 4);
    socklen_t length = sizeof address;
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
  }
  ~LoopbackServer() {
    CloseClient();
    if (listener_ >= 0) close(listener_);
  }
  LoopbackServer(const LoopbackServer&) = delete;
  LoopbackServer& operator=(const LoopbackServer&) = delete;

  unsigned short port() const { return port_; }

  // Waits up to `timeout` for a client to connect.
  bool Accept(std::chrono::milliseconds timeout = std::chrono::milliseconds(2000)) {
    pollfd entry{listener_, POLLIN, 0};
    if (poll(&entry, 1, static_cast<int>(timeout.count())) <= 0) return false;
    CloseClient();
    client_ = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    decoder_.Reset();
    return client_ >= 0;
  }

  // Waits up to `timeout` for the client's next complete request.
  bool NextRequest(simwire::ClientRequest* request, Bytes* raw = nullptr,
                   std::chrono::milliseconds timeout = std::chrono::milliseconds(2000)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    Bytes bytes;
    for (;;) {
      if (decoder_.Next(&bytes) == simwire::WireDecoder::Status::kMessage) {
        if (raw != nullptr) *raw = bytes;
        return simwire::DecodeClientRequest(bytes.data(), bytes.size(), request) ==
               simwire::DecodeResult::kDecoded;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0 || client_ < 0) return false;
      pollfd entry{client_, POLLIN, 0};
      if (poll(&entry, 1, static_cast<int>(left.count())) <= 0) return false;
      unsigned char chunk[4096];
      const ssize_t got = recv(client_, chunk, sizeof chunk, 0);
      if (got <= 0) return false;
      decoder_.Feed(chunk, static_cast<std::size_t>(got));
    }
  }

  // Reads the open request and answers it as the simulator does.
  bool AnswerOpen(std::string* clientName = nullptr) {
    simwire::ClientRequest request;
    if (!NextRequest(&request) || request.kind != simwire::kRequestOpen) return false;
    if (clientName != nullptr) *clientName = request.name;
    Bytes reply;
    simwire::OpenReply open;
    open.applicationName = "Loopback test server";
    simwire::EncodeOpenReply(&reply, simwire::kProtocolVersion, open);
    return Send(reply);
  }

  bool Send(const Bytes& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
      const ssize_t n = send(client_, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) return false;
      sent += static_cast<std::size_t>(n);
    }
    return true;
  }

  // Closes the client's connection with FIN, or with RST when `reset`.
  void CloseClient(bool reset = false) {
    if (client_ < 0) return;
    if (reset) {
      linger hard{1, 0};
      setsockopt(client_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    }
    close(client_);
    client_ = -1;
  }

  int clientSocket() const { return client_; }

 private:
  int listener_ = -1;
  int client_ = -1;
  unsigned short port_ = 0;
  simwire::WireDecoder decoder_{simwire::kRequestHeaderSize};
};

// A port on 127.0.0.1 where nothing listens (picked by the OS, then freed).
inline unsigned short ClosedPort() {
  const int probe = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
  socklen_t length = sizeof address;
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  close(probe);
  return ntohs(address.sin_port);
}

}  // namespace testnet
