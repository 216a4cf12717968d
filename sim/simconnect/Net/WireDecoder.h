#pragma once

// Cuts a byte stream into the protocol's messages. Pure and incremental: it is
// fed whatever chunks the transport delivered, in any sizes, and yields each
// message once all of its bytes have arrived. Every message begins with its
// total size as a 32-bit little-endian integer; a size below the header or
// above the limit means the stream can no longer be trusted, and the decoder
// stays broken from then on.
//
// No socket is involved, so the same decoder frames the server's messages in
// our client and the client's requests in the stand-in.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/simconnect/Net/WireFormat.h"

namespace simwire {

class WireDecoder {
 public:
  enum class Status {
    kMessage,   // a complete message was taken out
    kNeedMore,  // no complete message is buffered
    kBroken,    // the stream carried an impossible size; nothing more is decoded
  };

  // `minimumSize` is the header size of the direction decoded
  // (kMessageHeaderSize for the server's messages, kRequestHeaderSize for
  // the client's requests).
  explicit WireDecoder(std::uint32_t minimumSize = kMessageHeaderSize, std::uint32_t maximumSize = kMaxMessageSize);

  // Appends received bytes. Returns false once the stream is broken, in which
  // case the bytes are dropped.
  bool Feed(const void* bytes, std::size_t size);

  // Takes out the next complete message into `message` (replacing its
  // contents). The message's first field is its size, equal to
  // message->size().
  Status Next(std::vector<unsigned char>* message);

  bool broken() const { return broken_; }

  // True while bytes of a message that is not yet complete are held.
  bool HasPartialMessage() const;

  // Bytes held and not yet taken out.
  std::size_t BufferedBytes() const { return buffer_.size() - start_; }

  void Reset();

 private:
  bool CheckLeadingSize();

  std::uint32_t minimumSize_;
  std::uint32_t maximumSize_;
  std::vector<unsigned char> buffer_;
  std::size_t start_ = 0;  // first byte not yet taken out
  bool broken_ = false;
};

}  // namespace simwire
