// How the stream decoder cuts messages out of whatever chunks arrive, and which
// messages the client refuses. What each side writes is checked in peer/.

#include <gtest/gtest.h>

#include <algorithm>

#include "sim/simconnect/Net/ByteOrder.h"
#include "sim/simconnect/Net/ServerMessages.h"
#include "sim/simconnect/Net/WireDecoder.h"
#include "tests/support/ObjectData.h"

namespace {

using simwire::Bytes;
using simwire::WireDecoder;

Bytes Header(std::uint32_t size, std::uint32_t kind = 3, std::size_t length = 12) {
  Bytes bytes;
  simwire::ByteWriter(&bytes).U32(size).U32(5).U32(kind);
  bytes.resize(length, 0);
  return bytes;
}

TEST(WireDecoder, EachMessageComesOutWithItsLastByteInAnyChunking) {
  const Bytes data = objectdata::Definition0({118.0, 121.5, 110.5, 113.0, 270.0, 90.0, 180.0});
  const std::vector<Bytes> messages = {Header(308, 2, 308), data, Header(12), data};
  Bytes stream;
  std::vector<std::size_t> ends;
  for (const Bytes& m : messages) ends.push_back((stream = objectdata::Concat(stream, m)).size());
  for (const std::size_t chunk : {1, 3, 7, 100, 5000}) {
    SCOPED_TRACE(::testing::Message() << chunk << "-byte chunks");
    WireDecoder decoder;
    std::vector<Bytes> got;
    std::vector<std::size_t> gotAt, due;
    for (std::size_t at = 0; at < stream.size(); at += chunk) {
      const std::size_t fed = std::min(stream.size(), at + chunk);
      ASSERT_TRUE(decoder.Feed(stream.data() + at, fed - at));
      for (Bytes m; decoder.Next(&m) == WireDecoder::Status::kMessage; gotAt.push_back(fed)) got.push_back(m);
      const bool boundary = std::find(ends.begin(), ends.end(), fed) != ends.end();
      EXPECT_EQ(decoder.HasPartialMessage(), !boundary) << fed << " bytes in";
    }
    EXPECT_EQ(got, messages);
    // Each message comes with the first chunk that holds its last byte.
    for (std::size_t end : ends) due.push_back(std::min(stream.size(), (end + chunk - 1) / chunk * chunk));
    EXPECT_EQ(gotAt, due);
  }
}

TEST(WireDecoder, SizesThatCannotBeRightBreakTheStreamForGood) {
  const struct {
    std::uint32_t header, size;
    bool accepted;
  } cases[] = {
      {12, 0, false},    {12, 4, false},     {12, 11, false},         {12, 12, true},
      {12, 65536, true}, {12, 65537, false}, {12, 0xFFFFFFFF, false},  // 64 KiB at most
      {16, 12, false},   {16, 16, true},                               // what a client sends has a 16-byte header
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.size << " with a " << c.header << "-byte header");
    WireDecoder decoder(c.header);
    // The verdict comes with the four size bytes, not after a body that
    // could never be right.
    EXPECT_EQ(decoder.Feed(Header(c.size).data(), 4), c.accepted);
    if (c.accepted) continue;
    Bytes out;
    EXPECT_EQ(decoder.Next(&out), WireDecoder::Status::kBroken);
    EXPECT_FALSE(decoder.Feed(Header(16, 3, 16).data(), 16)) << "stays broken";
    EXPECT_EQ(decoder.BufferedBytes(), 0u) << "and keeps nothing";
  }
}

TEST(ServerMessages, KnownKindsMustHoldTheirFixedFields) {
  const struct {
    std::uint32_t kind, size, length;
    bool wellFormed;
  } cases[] = {
      {8, 40, 40, true},     {8, 39, 39, false},  // object data: 40-byte header, its block may be empty
      {1, 23, 23, false},    {2, 300, 300, false}, {4, 16, 16, false},  // exception, open, event: too short
      {6, 287, 287, false},  {6, 288, 288, true},   // event with a file name: the whole path field and the flags
      {15, 283, 283, false}, {15, 284, 284, true},  // system state: the whole string field
      {3, 12, 12, true},     {99, 13, 13, true},    // the others need only the header
      {3, 16, 12, false},    {3, 12, 16, false},   {3, 65540, 65540, false},  // size field and length disagree; too big
  };
  for (const auto& c : cases) {
    const Bytes bytes = Header(c.size, c.kind, c.length);
    EXPECT_EQ(simwire::IsWellFormedMessage(bytes.data(), bytes.size()), c.wellFormed)
        << "kind " << c.kind << ", " << c.size << " claimed, " << c.length << " there";
  }
}

}  // namespace
