// The frame reader is all that stands between bytes from a socket and the
// bridge's report buffer; it must never read past what arrived.

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "tools/hidshim/PanelSocketProtocol.h"

namespace panelsocket {
namespace {

using Bytes = std::vector<unsigned char>;

TEST(PanelSocketFrames, RoundTripEveryPayloadLength) {
  for (int length = 0; length <= kMaxFramePayload; ++length) {
    Bytes payload(static_cast<std::size_t>(length));
    for (int i = 0; i < length; ++i) payload[static_cast<std::size_t>(i)] = static_cast<unsigned char>(i * 7);
    unsigned char encoded[kMaxFrameSize];
    const int size = EncodeFrame(kFrameInput, payload.data(), payload.size(), encoded);
    ASSERT_EQ(size, kFrameHeaderSize + length);
    Frame frame;
    ASSERT_EQ(ExtractFrame(encoded, static_cast<std::size_t>(size), &frame), size);
    EXPECT_EQ(frame.type, kFrameInput);
    EXPECT_EQ(Bytes(frame.payload, frame.payload + frame.length), payload);
  }
}

TEST(PanelSocketFrames, TooLongPayloadIsNotEncoded) {
  Bytes payload(kMaxFramePayload + 1, 0);
  unsigned char encoded[kMaxFrameSize];
  EXPECT_EQ(EncodeFrame(kFrameOutput, payload.data(), payload.size(), encoded), 0);
  EXPECT_EQ(EncodeFrame(kFrameOutput, nullptr, 3, encoded), 0);
}

TEST(PanelSocketFrames, IncompleteFramesWaitForMoreBytes) {
  const Bytes frame = {kFrameInput, 8, 0, 0, 0, 0, 0, 1, 0, 2};
  Frame out;
  for (std::size_t cut = 0; cut < frame.size(); ++cut) EXPECT_EQ(ExtractFrame(frame.data(), cut, &out), 0) << cut;
  EXPECT_EQ(ExtractFrame(frame.data(), frame.size(), &out), 10);
}

TEST(PanelSocketFrames, TakesOneFrameAtATime) {
  const Bytes two = {kFrameOutput, 2, 0x0B, 0x01, kFrameOutput, 2, 0x0B, 0x00};
  Frame out;
  ASSERT_EQ(ExtractFrame(two.data(), two.size(), &out), 4);
  EXPECT_EQ(out.payload[1], 0x01);
  ASSERT_EQ(ExtractFrame(two.data() + 4, two.size() - 4, &out), 4);
  EXPECT_EQ(out.payload[1], 0x00);
}

TEST(PanelSocketFrames, BytesThatCannotBeAFrameBreakTheStream) {
  const Bytes unknownType = {'X', 0};
  const Bytes oversized = {kFrameInput, kMaxFramePayload + 1};
  const Bytes zeroType = {0x00, 0x08, 0, 0, 0, 0, 0, 0, 0, 0};
  Frame out;
  EXPECT_EQ(ExtractFrame(unknownType.data(), 1, &out), -1);
  EXPECT_EQ(ExtractFrame(oversized.data(), oversized.size(), &out), -1);
  EXPECT_EQ(ExtractFrame(zeroType.data(), zeroType.size(), &out), -1);
}

TEST(PanelSocketFrames, RandomBytesNeverOverrun) {
  std::srand(1234);
  for (int round = 0; round < 2000; ++round) {
    Bytes noise(static_cast<std::size_t>(std::rand() % 80));
    for (auto& byte : noise) byte = static_cast<unsigned char>(std::rand());
    if (!noise.empty() && round % 2 == 0) noise[0] = kFrameInput;
    Frame out;
    const int used = ExtractFrame(noise.data(), noise.size(), &out);
    EXPECT_LE(used, static_cast<int>(noise.size()));
    if (used > 0) {
      EXPECT_LE(out.length, kMaxFramePayload);
    }
  }
}

TEST(PanelSocketPath, EnvironmentNamesTheSocket) {
  setenv("VESTREL_PANEL_SOCKET", "/tmp/some-panel.sock", 1);
  EXPECT_EQ(DefaultSocketPath(), "/tmp/some-panel.sock");
  unsetenv("VESTREL_PANEL_SOCKET");
  setenv("XDG_RUNTIME_DIR", "/run/user/1000", 1);
  EXPECT_EQ(DefaultSocketPath(), "/run/user/1000/vestrel-panel.sock");
  unsetenv("XDG_RUNTIME_DIR");
  EXPECT_EQ(DefaultSocketPath().rfind("/tmp/vestrel-panel-", 0), 0u);
}

}  // namespace
}  // namespace panelsocket
