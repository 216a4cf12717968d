// The stream decoder cuts messages out of whatever chunks arrive and gives up
// on a stream whose size fields cannot be right.

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "sim/simconnect/Net/ByteOrder.h"
#include "sim/simconnect/Net/ServerMessages.h"
#include "sim/simconnect/Net/WireDecoder.h"

namespace {

using simwire::Bytes;
using simwire::WireDecoder;

// Three messages of different kinds and sizes, back to back, and each alone.
struct Stream {
  Bytes bytes;
  std::vector<Bytes> messages;
};

Stream SampleStream() {
  Stream stream;
  Bytes open;
  simwire::EncodeOpenReply(&open, 5, simwire::OpenReply{});
  Bytes data;
  const double block[7] = {118.0, 121.5, 110.5, 113.0, 270.0, 90.0, 180.0};
  simwire::SimObjectData fields;
  simwire::EncodeSimObjectData(&data, 5, fields, block, sizeof block);
  Bytes quit;
  simwire::EncodeQuit(&quit, 5);
  stream.messages = {open, data, data, quit};
  for (const Bytes& message : stream.messages) stream.bytes.insert(stream.bytes.end(), message.begin(), message.end());
  return stream;
}

std::vector<Bytes> DrainAll(WireDecoder* decoder) {
  std::vector<Bytes> out;
  Bytes message;
  while (decoder->Next(&message) == WireDecoder::Status::kMessage) out.push_back(message);
  return out;
}

TEST(WireDecoder, ByteByByteYieldsEachMessageWhenItsLastByteArrives) {
  const Stream stream = SampleStream();
  WireDecoder decoder;
  std::vector<Bytes> got;
  for (unsigned char byte : stream.bytes) {
    ASSERT_TRUE(decoder.Feed(&byte, 1));
    for (Bytes& message : DrainAll(&decoder)) got.push_back(message);
  }
  EXPECT_EQ(got, stream.messages);
  EXPECT_FALSE(decoder.HasPartialMessage());
  EXPECT_EQ(decoder.BufferedBytes(), 0u);
}

TEST(WireDecoder, RandomChunksGiveTheSameMessages) {
  const Stream stream = SampleStream();
  std::mt19937 random(20240611);
  for (int round = 0; round < 200; ++round) {
    WireDecoder decoder;
    std::vector<Bytes> got;
    std::size_t at = 0;
    while (at < stream.bytes.size()) {
      const std::size_t chunk = std::min<std::size_t>(stream.bytes.size() - at, 1 + random() % 400);
      ASSERT_TRUE(decoder.Feed(stream.bytes.data() + at, chunk));
      at += chunk;
      for (Bytes& message : DrainAll(&decoder)) got.push_back(message);
    }
    ASSERT_EQ(got, stream.messages) << "round " << round;
  }
}

TEST(WireDecoder, TruncatedMessageWaitsAndSaysSo) {
  const Stream stream = SampleStream();
  WireDecoder decoder;
  decoder.Feed(stream.bytes.data(), 2);
  EXPECT_TRUE(decoder.HasPartialMessage()) << "half a size field";
  decoder.Feed(stream.bytes.data() + 2, 100);
  Bytes message;
  EXPECT_EQ(decoder.Next(&message), WireDecoder::Status::kNeedMore);
  EXPECT_TRUE(decoder.HasPartialMessage());
  EXPECT_EQ(decoder.BufferedBytes(), 102u);
}

struct BadSizeCase {
  std::uint32_t size;
  const char* why;
};

TEST(WireDecoder, ImpossibleSizesBreakTheStreamForGood) {
  const BadSizeCase cases[] = {
      {0, "zero"},
      {4, "only the size field"},
      {11, "shorter than the 12-byte header"},
      {64 * 1024 + 1, "over the 64 KiB limit"},
      {0xFFFFFFFF, "garbage"},
  };
  for (const BadSizeCase& c : cases) {
    WireDecoder decoder;
    Bytes bytes;
    simwire::ByteWriter(&bytes).U32(c.size);
    // The verdict comes with the four size bytes, without waiting for a body
    // that would never be acceptable.
    EXPECT_FALSE(decoder.Feed(bytes.data(), bytes.size())) << c.why;
    Bytes message;
    EXPECT_EQ(decoder.Next(&message), WireDecoder::Status::kBroken) << c.why;
    const Stream good = SampleStream();
    EXPECT_FALSE(decoder.Feed(good.bytes.data(), good.bytes.size())) << c.why << ": stays broken";
    EXPECT_EQ(decoder.Next(&message), WireDecoder::Status::kBroken) << c.why;
    EXPECT_EQ(decoder.BufferedBytes(), 0u) << c.why << ": nothing kept";
  }
}

TEST(WireDecoder, MessagesBeforeABrokenOneAreStillDelivered) {
  const Stream good = SampleStream();
  WireDecoder decoder;
  decoder.Feed(good.bytes.data(), good.bytes.size());
  const Bytes bad = {3, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
  decoder.Feed(bad.data(), bad.size());
  std::vector<Bytes> got;
  Bytes message;
  WireDecoder::Status status;
  while ((status = decoder.Next(&message)) == WireDecoder::Status::kMessage) got.push_back(message);
  EXPECT_EQ(got, good.messages);
  EXPECT_EQ(status, WireDecoder::Status::kBroken);
}

TEST(WireDecoder, LargestAllowedMessagePasses) {
  Bytes big;
  simwire::ByteWriter(&big).U32(64 * 1024).U32(5).U32(8);
  big.resize(64 * 1024, 0xAB);
  WireDecoder decoder;
  ASSERT_TRUE(decoder.Feed(big.data(), big.size()));
  Bytes message;
  ASSERT_EQ(decoder.Next(&message), WireDecoder::Status::kMessage);
  EXPECT_EQ(message, big);
}

TEST(WireDecoder, RequestDirectionNeedsSixteenByteHeaders) {
  WireDecoder decoder(simwire::kRequestHeaderSize);
  Bytes quitSized;
  simwire::EncodeQuit(&quitSized, 5);  // 12 bytes: fine from a server, too short from a client
  EXPECT_FALSE(decoder.Feed(quitSized.data(), quitSized.size()));
}

}  // namespace
