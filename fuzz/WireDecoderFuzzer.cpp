// The native client's stream decoder, fed a byte stream in arbitrary chunks,
// must yield exactly the messages the stream's size fields delimit, in order,
// and break exactly where a size is impossible. Input: byte 0 picks the
// direction (bit 0: client requests, 16-byte header; else server messages,
// 12-byte header), bytes 1-2 a small maximum size when bit 1 is set, bytes
// 3-4 seed the chunk sizes; the rest is the stream.

#include <algorithm>
#include <cstring>

#include "fuzz/FuzzInput.h"
#include "sim/simconnect/Net/WireDecoder.h"
#include "sim/simconnect/Net/WireFormat.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Status = simwire::WireDecoder::Status;

std::uint32_t SizeAt(const Bytes& stream, std::size_t at) {
  std::uint32_t size;
  std::memcpy(&size, stream.data() + at, 4);  // the wire is little-endian, like this machine
  return size;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ByteReader in(data, size);
  const std::uint8_t mode = in.Byte();
  const std::uint32_t minimum = mode & 1 ? simwire::kRequestHeaderSize : simwire::kMessageHeaderSize;
  const std::uint32_t small = in.U16(), maximum = mode & 2 ? std::max(minimum, small) : simwire::kMaxMessageSize;
  std::uint32_t chunkState = in.U16();
  const Bytes stream = in.Bytes(size);
  simwire::WireDecoder decoder(minimum, maximum);

  std::vector<Bytes> got;
  bool broken = false;
  for (std::size_t fed = 0, taken = 0; fed < stream.size() && !broken;) {
    // Mostly short chunks with the odd long one, each in a buffer of its own
    // size, as a socket read would leave it.
    chunkState = chunkState * 1103515245u + 12345u;
    const std::uint32_t r = chunkState >> 16;
    const std::size_t chunk = std::min<std::size_t>((r & 7) == 0 ? 1 + r % 4096 : 1 + r % 24, stream.size() - fed);
    const Bytes piece(stream.begin() + static_cast<long>(fed), stream.begin() + static_cast<long>(fed + chunk));
    const bool accepted = decoder.Feed(piece.data(), piece.size());
    fed += chunk;
    Bytes message;
    for (Status status; !broken && (status = decoder.Next(&message)) != Status::kNeedMore;) {
      broken = status == Status::kBroken;
      FuzzCheck(!broken || (decoder.broken() && decoder.BufferedBytes() == 0), "a broken decoder holds bytes", 0);
      if (broken) break;
      FuzzCheck(message.size() >= minimum && message.size() <= maximum, "message size out of bounds", message.size());
      FuzzCheck(SizeAt(message, 0) == message.size(), "size field differs from the length", message.size());
      got.push_back(message);
      taken += message.size();
    }
    FuzzCheck(accepted || broken, "Feed refused bytes of a stream that is not broken", fed);
    FuzzCheck(broken || (decoder.BufferedBytes() == fed - taken && decoder.HasPartialMessage() == (fed > taken)),
              "bytes held out of step with bytes fed and taken", fed);
  }

  // The stream's messages by definition: each starts with its size.
  std::vector<Bytes> expected;
  bool impossible = false;
  for (std::size_t at = 0; stream.size() - at >= 4 && !impossible;) {
    const std::uint32_t length = SizeAt(stream, at);
    impossible = length < minimum || length > maximum;
    if (impossible || stream.size() - at < length) break;
    expected.emplace_back(stream.begin() + static_cast<long>(at), stream.begin() + static_cast<long>(at + length));
    at += length;
  }
  FuzzCheck(broken == impossible, "broken in one reading and not in the other", broken);
  FuzzCheck(got == expected, "messages differ from the stream's own framing", got.size());
  if (broken) {
    FuzzCheck(!decoder.Feed("\x10\0\0\0", 4), "a broken decoder took more bytes", 0);
    decoder.Reset();
    FuzzCheck(!decoder.broken() && decoder.BufferedBytes() == 0, "Reset left the decoder broken", 0);
  }
  return 0;
}
