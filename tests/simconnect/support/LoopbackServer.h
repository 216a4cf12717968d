#pragma once

// A scripted simulator end: listens on 127.0.0.1 at a port the system picks,
// takes one client at a time, reads its requests, and sends it raw bytes or
// hangs up politely (FIN) or not (RST).

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "sim/simconnect/Net/ClientRequests.h"
#include "sim/simconnect/Net/ServerMessages.h"
#include "sim/simconnect/Net/WireDecoder.h"

class LoopbackServer {
 public:
  LoopbackServer() {
    sockaddr_in address{AF_INET, 0, {htonl(INADDR_LOOPBACK)}, {}};
    socklen_t length = sizeof address;
    auto* named = reinterpret_cast<sockaddr*>(&address);
    if (bind(listener_, named, length) == 0 && listen(listener_, 4) == 0) getsockname(listener_, named, &length);
    port_ = ntohs(address.sin_port);
  }
  ~LoopbackServer() {
    HangUp();
    close(listener_);
  }
  unsigned short Port() const { return port_; }

  bool Accept(int milliseconds = 2000) {
    if (!Readable(listener_, milliseconds)) return false;
    HangUp();
    decoder_.Reset();
    return (client_ = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC)) >= 0;
  }

  // The client's next request, if one comes within `milliseconds`.
  bool Next(simwire::ClientRequest* request, int milliseconds = 2000) {
    simwire::Bytes bytes;
    unsigned char chunk[4096];
    while (decoder_.Next(&bytes) != simwire::WireDecoder::Status::kMessage) {
      const ssize_t got = Readable(client_, milliseconds) ? recv(client_, chunk, sizeof chunk, 0) : -1;
      if (got <= 0) return false;
      decoder_.Feed(chunk, static_cast<std::size_t>(got));
    }
    return simwire::DecodeClientRequest(bytes.data(), bytes.size(), request) == simwire::DecodeResult::kDecoded;
  }

  // Reads the open request and answers it as the simulator does.
  bool AnswerOpen() {
    simwire::ClientRequest request;
    simwire::Bytes reply;
    simwire::EncodeOpenReply(&reply, simwire::kProtocolVersion, simwire::OpenReply{});
    return Next(&request) && request.kind == simwire::kRequestOpen && Send(reply);
  }

  bool Send(const simwire::Bytes& bytes) {
    return send(client_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
  }

  void HangUp(bool reset = false) {
    const linger hard{1, 0};
    if (reset) setsockopt(client_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    if (client_ >= 0) close(client_);
    client_ = -1;
  }

 private:
  static bool Readable(int socket, int milliseconds) {
    pollfd entry{socket, POLLIN, 0};
    return socket >= 0 && poll(&entry, 1, milliseconds) > 0;
  }

  int listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  int client_ = -1;
  unsigned short port_ = 0;
  simwire::WireDecoder decoder_{simwire::kRequestHeaderSize};
};
