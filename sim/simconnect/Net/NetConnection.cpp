#include "sim/simconnect/Net/NetConnection.h"

#include <cstdio>
#include <cstring>

#include "sim/simconnect/Net/ByteOrder.h"
#include "sim/simconnect/Net/ClientRequests.h"
#include "sim/simconnect/Net/ServerMessages.h"
#include "supervisor/WaitCauses.h"

namespace {

// One pass reads at most this much, so a flood cannot hold the caller; the
// rest waits for the next pass.
constexpr std::size_t kReceiveBudget = 1024 * 1024;
constexpr std::size_t kReceiveChunk = 16 * 1024;

}  // namespace

std::unique_ptr<NetConnection> NetConnection::Start(const SimConnectServer& server, std::string_view clientName,
                                                    const SimConnectNetTuning& tuning, Clock::time_point now) {
  const simnet::SocketHandle socket = simnet::StartConnect(server.address, server.port);
  if (socket == simnet::kNoSocket) return nullptr;
  std::unique_ptr<NetConnection> connection(new NetConnection(socket, tuning, now));
  // The open request waits in the queue until the connect completes.
  connection->sent_.Note(connection->nextSerial_, simwire::kRequestOpen);
  simwire::EncodeOpen(&connection->outgoing_, connection->nextSerial_++, clientName);
  return connection;
}

NetConnection::NetConnection(simnet::SocketHandle socket, const SimConnectNetTuning& tuning, Clock::time_point now)
    : socket_(socket), tuning_(tuning), startedAt_(now) {}

NetConnection::~NetConnection() { simnet::CloseSocket(socket_); }

bool NetConnection::Fail(const char* why) {
  if (state_ != State::kFailed) std::snprintf(failure_, sizeof failure_, "%s", why);
  state_ = State::kFailed;
  outgoing_.clear();
  outgoingSent_ = 0;
  return false;
}

NetConnection::State NetConnection::Advance(Clock::time_point now) {
  if (state_ == State::kOpen || state_ == State::kFailed) return state_;
  if (now - startedAt_ > tuning_.openTimeout) {
    Fail(state_ == State::kConnecting ? "connecting timed out" : "no answer to the open request");
    return state_;
  }
  if (state_ == State::kConnecting) {
    switch (simnet::CheckConnect(socket_)) {
      case simnet::ConnectState::kPending:
        return state_;
      case simnet::ConnectState::kFailed:
        Fail("connection refused or host unreachable");
        return state_;
      case simnet::ConnectState::kConnected:
        state_ = State::kAwaitingOpen;
        break;
    }
  }
  // Awaiting the simulator's answer to the open request.
  if (!Flush() || !Receive()) return state_;
  switch (decoder_.Next(&message_)) {
    case simwire::WireDecoder::Status::kNeedMore:
      if (peerClosed_) Fail("closed before answering the open request");
      break;
    case simwire::WireDecoder::Status::kBroken:
      Fail("answered the open request with garbage");
      break;
    case simwire::WireDecoder::Status::kMessage:
      // Anything but the open answer (an exception for a version the
      // simulator does not speak, say) means it will not serve us.
      if (!simwire::IsWellFormedMessage(message_.data(), message_.size()) ||
          simwire::MessageKind(message_.data()) != SIMCONNECT_RECV_ID_OPEN) {
        simwire::ExceptionReport refusal;
        char why[sizeof failure_];
        if (simwire::DecodeException(message_.data(), message_.size(), &refusal)) {
          std::snprintf(why, sizeof why, "refused the open request with exception %u",
                        static_cast<unsigned>(refusal.exception));
        } else {
          std::snprintf(why, sizeof why, "answered the open request with a message of kind %u",
                        static_cast<unsigned>(simwire::MessageKind(message_.data())));
        }
        Fail(why);
        break;
      }
      openReply_ = message_;
      state_ = State::kOpen;
      break;
  }
  return state_;
}

bool NetConnection::Send(const Encoder& encode) {
  if (state_ != State::kOpen) return false;
  const std::size_t before = outgoing_.size();
  encode(&outgoing_, nextSerial_);
  if (outgoing_.size() >= before + simwire::kRequestHeaderSize) {
    sent_.Note(nextSerial_, simwire::ReadU32(outgoing_.data() + before + 8) & ~simwire::kRequestKindMark);
  }
  ++nextSerial_;
  if (outgoing_.size() - outgoingSent_ > tuning_.outgoingLimit) {
    outgoing_.resize(before);
    return Fail("the simulator stopped reading our requests");
  }
  return Flush();
}

bool NetConnection::Flush() {
  if (state_ == State::kFailed) return false;
  if (state_ == State::kConnecting) return true;
  while (outgoingSent_ < outgoing_.size()) {
    simnet::IoStatus status;
    const std::size_t sent =
        simnet::SendSome(socket_, outgoing_.data() + outgoingSent_, outgoing_.size() - outgoingSent_, &status);
    if (status == simnet::IoStatus::kWouldBlock) break;
    if (status != simnet::IoStatus::kDone) return Fail("sending failed");
    outgoingSent_ += sent;
  }
  if (outgoingSent_ == outgoing_.size()) {
    outgoing_.clear();
    outgoingSent_ = 0;
  }
  return true;
}

bool NetConnection::Receive() {
  unsigned char chunk[kReceiveChunk];
  for (std::size_t total = 0; total < kReceiveBudget && !peerClosed_;) {
    simnet::IoStatus status;
    const std::size_t received = simnet::ReceiveSome(socket_, chunk, sizeof chunk, &status);
    switch (status) {
      case simnet::IoStatus::kDone:
        decoder_.Feed(chunk, received);
        total += received;
        break;
      case simnet::IoStatus::kWouldBlock:
        return true;
      case simnet::IoStatus::kClosed:
        peerClosed_ = true;
        return true;
      case simnet::IoStatus::kFailed:
        return Fail("connection reset");
    }
  }
  return true;
}

bool NetConnection::DeliverMessage(const std::vector<unsigned char>& message, SimConnectDispatchProc deliver,
                                   void* context) {
  if (!simwire::IsWellFormedMessage(message.data(), message.size())) return false;
  simwire::ExceptionReport exception;
  if (simwire::DecodeException(message.data(), message.size(), &exception)) {
    TellException(exception.exception, exception.serial, exception.index);
  }
  if (deliver == nullptr) return true;
  // The callback reads the message through SIMCONNECT_RECV pointers, so it
  // gets an aligned copy that ends exactly where the message ends.
  aligned_.assign((message.size() + 7) / 8, 0);
  std::memcpy(aligned_.data(), message.data(), message.size());
  deliver(reinterpret_cast<SIMCONNECT_RECV*>(aligned_.data()), static_cast<SimConnectDword>(message.size()), context);
  return true;
}

// The same refusal of the same kind of request is told once, not on every
// knob turn that draws it.
void NetConnection::TellException(std::uint32_t exception, std::uint32_t serial, std::uint32_t index) const {
  const std::uint32_t kind = sent_.KindOf(serial);
  char argument[32] = "";
  if (index != SIMCONNECT_UNUSED) {
    std::snprintf(argument, sizeof argument, ", argument %u", static_cast<unsigned>(index));
  }
  TellWaitCause(WaitCause::kSimulatorException, exception << 8 | kind,
                "The simulator refused request %u (%s%s) with exception %u", static_cast<unsigned>(serial),
                RecentRequests::Name(kind), argument, static_cast<unsigned>(exception));
}

bool NetConnection::Dispatch(SimConnectDispatchProc deliver, void* context, Clock::time_point now,
                             const std::function<bool()>& stop) {
  if (state_ != State::kOpen) return false;
  if (!openReply_.empty()) {
    const std::vector<unsigned char> reply = std::move(openReply_);
    openReply_.clear();
    DeliverMessage(reply, deliver, context);
    if (stop()) return true;
  }
  if (!Flush()) return false;
  if (!Receive()) return false;

  bool completedAny = false;
  for (;;) {
    const simwire::WireDecoder::Status status = decoder_.Next(&message_);
    if (status == simwire::WireDecoder::Status::kNeedMore) break;
    if (status == simwire::WireDecoder::Status::kBroken) return Fail("the simulator sent garbage");
    completedAny = true;
    if (!DeliverMessage(message_, deliver, context)) return Fail("the simulator sent a malformed message");
    if (stop()) return true;
    if (state_ != State::kOpen) return false;  // a request from the callback failed
  }

  // A message begun must not hang half-received for ever: a simulator that
  // froze mid-message would otherwise keep the bridge connected to nothing.
  // A message that completed in this pass means the partial one behind it
  // began in this pass too.
  if (decoder_.HasPartialMessage()) {
    if (!partialPending_ || completedAny) {
      partialPending_ = true;
      partialSince_ = now;
    } else if (now - partialSince_ > tuning_.stallLimit) {
      return Fail("a message stalled half-received");
    }
  } else {
    partialPending_ = false;
  }
  if (peerClosed_) return Fail("closed by the simulator");
  return true;
}
