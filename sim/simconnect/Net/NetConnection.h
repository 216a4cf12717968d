#pragma once

// One connection to the simulator: the non-blocking connect, the open
// handshake, the queue of requests waiting for the socket, and the decoding
// of the simulator's messages for the dispatch. Every operation returns at
// once; progress is made on each call.

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "sim/SimConnect.h"
#include "sim/simconnect/Net/NetTuning.h"
#include "sim/simconnect/Net/RecentRequests.h"
#include "sim/simconnect/Net/SimConnectConfig.h"
#include "sim/simconnect/Net/Socket.h"
#include "sim/simconnect/Net/WireDecoder.h"

class NetConnection {
 public:
  using Clock = std::chrono::steady_clock;
  using Encoder = std::function<void(std::vector<unsigned char>* out, std::uint32_t serial)>;

  enum class State {
    kConnecting,    // TCP connect under way
    kAwaitingOpen,  // open request sent, the simulator's answer not yet in
    kOpen,          // the simulator answered: requests and dispatch work
    kFailed,        // unusable; the owner closes it
  };

  // Starts connecting to `server` and queues the open request. Null when the
  // attempt failed at once.
  static std::unique_ptr<NetConnection> Start(const SimConnectServer& server, std::string_view clientName,
                                              const SimConnectNetTuning& tuning, Clock::time_point now);
  ~NetConnection();
  NetConnection(const NetConnection&) = delete;
  NetConnection& operator=(const NetConnection&) = delete;

  // Moves the connect and the handshake on; returns the state reached.
  State Advance(Clock::time_point now);
  State state() const { return state_; }
  // Why the connection failed ("connection refused", ...); "" while it has not.
  const char* failure() const { return failure_; }

  // Queues one request (encoded with the next serial) and sends what the
  // socket takes. False when the connection is not open or has failed.
  bool Send(const Encoder& encode);
  // The serial of the last request queued, the open's included.
  std::uint32_t lastSerial() const { return nextSerial_ - 1; }

  // Delivers every complete message received, in order, to `deliver` and
  // returns true; false when the connection is lost (closed, reset, broken or
  // stalled stream, malformed message), after delivering the messages that
  // were complete before the fault. `stop` is asked after each message; when
  // it says true delivery ends (the handle was closed inside the callback).
  bool Dispatch(SimConnectDispatchProc deliver, void* context, Clock::time_point now,
                const std::function<bool()>& stop);

 private:
  NetConnection(simnet::SocketHandle socket, const SimConnectNetTuning& tuning, Clock::time_point now);

  bool Flush();
  // Reads what is waiting into the decoder. False on a reset; sets
  // peerClosed_ when the simulator closed its side.
  bool Receive();
  bool DeliverMessage(const std::vector<unsigned char>& message, SimConnectDispatchProc deliver, void* context);
  bool Fail(const char* why);
  void TellException(std::uint32_t exception, std::uint32_t serial, std::uint32_t index) const;

  simnet::SocketHandle socket_;
  SimConnectNetTuning tuning_;
  State state_ = State::kConnecting;
  char failure_[64] = "";
  Clock::time_point startedAt_;

  std::uint32_t nextSerial_ = 1;
  RecentRequests sent_;  // names the request an exception refers to
  std::vector<unsigned char> outgoing_;
  std::size_t outgoingSent_ = 0;

  simwire::WireDecoder decoder_{simwire::kMessageHeaderSize, simwire::kMaxMessageSize};
  bool peerClosed_ = false;
  bool partialPending_ = false;
  Clock::time_point partialSince_;
  std::vector<unsigned char> openReply_;  // kept for the first dispatch
  std::vector<unsigned char> message_;    // scratch for one message
  std::vector<std::uint64_t> aligned_;    // 8-byte aligned copy handed to the callback
};
