#include "sim/simconnect/Net/Socket.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#endif

#include <cstdint>

#include "sim/simconnect/Net/Ipv4Address.h"

namespace simnet {

namespace {

#ifdef _WIN32
using SockLen = int;
constexpr int kNoSignal = 0;  // Winsock raises no signal on a broken connection
bool StartSockets() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}
int LastError() { return WSAGetLastError(); }
bool WouldBlock(int error) { return error == WSAEWOULDBLOCK; }
bool ConnectInProgress(int error) { return error == WSAEWOULDBLOCK || error == WSAEINPROGRESS; }
bool Interrupted(int error) { return error == WSAEINTR; }
SocketHandle OpenStreamSocket() {
  const SocketHandle socket = static_cast<SocketHandle>(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
  if (socket == kNoSocket) return kNoSocket;
  u_long on = 1;
  if (ioctlsocket(static_cast<SOCKET>(socket), FIONBIO, &on) == 0) return socket;
  closesocket(static_cast<SOCKET>(socket));
  return kNoSocket;
}
// WSAPoll never reports a refused connect on Windows releases before 10
// 2004 (the attempt would look pending until the open times out); select
// names it in its exception set on every release.
int ConnectReady(SocketHandle socket, bool* writable) {
  fd_set writeSet;
  fd_set failSet;
  FD_ZERO(&writeSet);
  FD_ZERO(&failSet);
  FD_SET(static_cast<SOCKET>(socket), &writeSet);
  FD_SET(static_cast<SOCKET>(socket), &failSet);
  timeval noWait{0, 0};
  const int result = select(0, nullptr, &writeSet, &failSet, &noWait);
  if (result > 0 && FD_ISSET(static_cast<SOCKET>(socket), &failSet)) return -1;
  *writable = FD_ISSET(static_cast<SOCKET>(socket), &writeSet) != 0;
  return result;
}
#else
using SockLen = socklen_t;
constexpr int kNoSignal = MSG_NOSIGNAL;
bool StartSockets() { return true; }
int LastError() { return errno; }
bool WouldBlock(int error) { return error == EAGAIN || error == EWOULDBLOCK; }
bool ConnectInProgress(int error) { return error == EINPROGRESS; }
bool Interrupted(int error) { return error == EINTR; }
// Non-blocking and closed on exec from the start: an attempt that is refused,
// twice a second while the simulator is away, costs no further calls.
SocketHandle OpenStreamSocket() { return ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, IPPROTO_TCP); }
int ConnectReady(SocketHandle socket, bool* writable) {
  pollfd entry{socket, POLLOUT, 0};
  int result;
  do {
    result = poll(&entry, 1, 0);
  } while (result < 0 && errno == EINTR);
  // A refused connect shows as an error at once; no need to ask which.
  if (result > 0 && (entry.revents & (POLLERR | POLLHUP)) != 0) return -1;
  *writable = (entry.revents & POLLOUT) != 0;
  return result;
}
#endif

}  // namespace

SocketHandle StartConnect(const std::string& address, unsigned short port) {
  if (!StartSockets()) return kNoSocket;
  sockaddr_in target{};
  target.sin_family = AF_INET;
  target.sin_port = htons(port);
  // The SimConnect.cfg parser accepts exactly what this reads, so an address
  // refused here was never taken from a file.
  std::uint32_t host = 0;
  if (!ParseIpv4Address(address, &host)) return kNoSocket;
  target.sin_addr.s_addr = htonl(host);

  const SocketHandle socket = OpenStreamSocket();
  if (socket == kNoSocket) return kNoSocket;
  if (::connect(socket, reinterpret_cast<const sockaddr*>(&target), sizeof target) != 0) {
    const int error = LastError();
    if (!ConnectInProgress(error) && !Interrupted(error)) {
      CloseSocket(socket);
      return kNoSocket;
    }
  }
  return socket;
}

ConnectState CheckConnect(SocketHandle socket) {
  bool writable = false;
  const int ready = ConnectReady(socket, &writable);
  if (ready < 0) return ConnectState::kFailed;
  if (ready == 0) return ConnectState::kPending;
  int error = 0;
  SockLen length = sizeof error;
  if (getsockopt(socket, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0 || error != 0) {
    return ConnectState::kFailed;
  }
  if (!writable) return ConnectState::kFailed;
  // Requests are small and each should leave at once, not wait for the
  // previous one's acknowledgement.
  int on = 1;
  setsockopt(socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
  return ConnectState::kConnected;
}

std::size_t SendSome(SocketHandle socket, const void* bytes, std::size_t size, IoStatus* status) {
  for (;;) {
    const auto sent = ::send(socket, static_cast<const char*>(bytes), static_cast<int>(size), kNoSignal);
    if (sent >= 0) {
      *status = IoStatus::kDone;
      return static_cast<std::size_t>(sent);
    }
    const int error = LastError();
    if (Interrupted(error)) continue;
    *status = WouldBlock(error) ? IoStatus::kWouldBlock : IoStatus::kFailed;
    return 0;
  }
}

std::size_t ReceiveSome(SocketHandle socket, void* bytes, std::size_t size, IoStatus* status) {
  for (;;) {
    const auto received = ::recv(socket, static_cast<char*>(bytes), static_cast<int>(size), 0);
    if (received > 0) {
      *status = IoStatus::kDone;
      return static_cast<std::size_t>(received);
    }
    if (received == 0) {
      *status = IoStatus::kClosed;
      return 0;
    }
    const int error = LastError();
    if (Interrupted(error)) continue;
    *status = WouldBlock(error) ? IoStatus::kWouldBlock : IoStatus::kFailed;
    return 0;
  }
}

void CloseSocket(SocketHandle socket) {
  if (socket == kNoSocket) return;
#ifdef _WIN32
  closesocket(static_cast<SOCKET>(socket));
#else
  close(socket);
#endif
}

}  // namespace simnet
