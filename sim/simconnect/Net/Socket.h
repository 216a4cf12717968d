#pragma once

// The few non-blocking TCP operations the client needs, over POSIX sockets or
// Winsock 2, so the same client serves both platforms. No call here waits.

#include <cstddef>
#include <cstdint>
#include <string>

namespace simnet {

#ifdef _WIN32
using SocketHandle = std::uintptr_t;  // SOCKET
constexpr SocketHandle kNoSocket = ~static_cast<SocketHandle>(0);
#else
using SocketHandle = int;
constexpr SocketHandle kNoSocket = -1;
#endif

enum class ConnectState { kPending, kConnected, kFailed };

enum class IoStatus {
  kDone,        // some bytes moved (the count is returned)
  kWouldBlock,  // nothing can move now
  kClosed,      // the peer closed its side (receive only)
  kFailed,      // reset or another error: the connection is unusable
};

// Creates a non-blocking TCP socket with Nagle's delay off and starts
// connecting it to a numeric IPv4 address. Returns kNoSocket when the attempt
// failed at once (bad address, no sockets, refused before returning).
SocketHandle StartConnect(const std::string& address, unsigned short port);

// Whether a connect started by StartConnect has completed, without waiting.
ConnectState CheckConnect(SocketHandle socket);

// Sends what the kernel takes now. A peer that went away gives kFailed, never
// a signal.
std::size_t SendSome(SocketHandle socket, const void* bytes, std::size_t size, IoStatus* status);

// Receives what is there now.
std::size_t ReceiveSome(SocketHandle socket, void* bytes, std::size_t size, IoStatus* status);

void CloseSocket(SocketHandle socket);

}  // namespace simnet
