// The hidapi shim against the virtual panel in script mode, as the bridge
// uses them; the end-to-end tests drive the rest of their normal paths.
// And the frames between the two: nothing read past the bytes that came.

#include <gtest/gtest.h>
#include <hidapi/hidapi.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"
#include "tools/hidshim/PanelSocketProtocol.h"

namespace {

// The next report within 3 s, in hex.
std::string NextReport(hid_device* device) {
  unsigned char buffer[8];
  const int got = hid_read_timeout(device, buffer, sizeof buffer, 3000);
  std::string text;
  for (int i = 0; i < got; ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, i == 0 ? "%02x" : " %02x", buffer[i]);
    text += byte;
  }
  return text;
}

TEST(HidShim, CarriesReportsAndLampsBetweenBridgeAndVirtualPanel) {
  TempFolder folder;
  const std::string socket = folder.Path() + "/panel.sock";
  setenv("VESTREL_PANEL_SOCKET", socket.c_str(), 1);
  EXPECT_EQ(hid_open(0x04D8, 0xE6D6, nullptr), nullptr) << "no panel listening";

  ChildProcess panel;
  ASSERT_TRUE(panel.Start({VIRTUALPANEL_PATH, "--script", "--socket", socket}));
  for (int wait = 0; access(socket.c_str(), F_OK) != 0 && wait < 300; ++wait) usleep(10000);
  EXPECT_EQ(hid_open(0x046D, 0xC52B, nullptr), nullptr) << "nothing but the panel's identity";
  // The bridge tries again every pass; so does this, until the panel listens.
  hid_device* device = nullptr;
  for (int pass = 0; device == nullptr && pass < 300; ++pass) {
    if ((device = hid_open(0x04D8, 0xE6D6, nullptr)) == nullptr) usleep(10000);
  }
  ASSERT_NE(device, nullptr);
  EXPECT_EQ(panel.WaitForLine("bridge"), "bridge connected");
  EXPECT_EQ(hid_open(0x04D8, 0xE6D6, nullptr), nullptr) << "one bridge holds the panel at a time";

  ASSERT_EQ(hid_set_nonblocking(device, 1), 0);
  panel.SendLine("mode 2");
  panel.SendLine("outer 1");
  panel.SendLine("raw 0102030405060708090a");
  EXPECT_EQ(NextReport(device), "00 00 00 00 00 00 00 02");
  EXPECT_EQ(NextReport(device), "00 00 00 00 00 01 00 02");
  EXPECT_EQ(NextReport(device), "01 02 03 04 05 06 07 08") << "a long report is cut to the buffer, as by hidraw";
  unsigned char buffer[8];
  EXPECT_EQ(hid_read(device, buffer, sizeof buffer), 0) << "nothing more, and no waiting for it";

  const unsigned char lamps[] = {0x0B, 0x3F};
  EXPECT_EQ(hid_write(device, lamps, sizeof lamps), 2);
  EXPECT_EQ(panel.WaitForLine("lamps"), "lamps 0x3f");

  panel.SendLine("quit");
  EXPECT_EQ(panel.WaitForExit(), 0);
  EXPECT_EQ(hid_read(device, buffer, sizeof buffer), -1) << "a panel gone fails like an unplug";
  hid_close(device);
}

TEST(PanelSocketFrames, OneWholeFrameAtATimeAndNothingThatCannotBeOne) {
  using namespace panelsocket;
  const struct {
    std::vector<unsigned char> bytes;
    int used;  // 0: more bytes needed; -1: the stream is out of step for good
  } rows[] = {
      {{kFrameInput, 8, 0, 0, 0, 0, 0, 1, 0, 2}, 10},
      {{kFrameInput, 8, 0, 0, 0, 0, 0, 1, 0}, 0},
      {{kFrameInput}, 0},
      {{kFrameOutput, 2, 0x0B, 0x01, kFrameOutput, 2, 0x0B, 0x00}, 4},
      {{kFrameHello, 1, kProtocolVersion}, 3},
      {{kFrameBusy, 0}, 2},
      {{'X', 0}, -1},
      {{0, 8, 0, 0, 0, 0, 0, 1, 0, 2}, -1},
      {{kFrameInput, kMaxFramePayload + 1}, -1},
  };
  for (const auto& row : rows) {
    Frame frame;
    EXPECT_EQ(ExtractFrame(row.bytes.data(), row.bytes.size(), &frame), row.used) << row.bytes.size();
    if (row.used > 0) {
      EXPECT_EQ(frame.length, row.used - kFrameHeaderSize);
    }
  }
  const std::vector<unsigned char> longest(kMaxFramePayload + 1, 0xAA);
  unsigned char out[kMaxFrameSize];
  EXPECT_EQ(EncodeFrame(kFrameInput, longest.data(), kMaxFramePayload, out), kMaxFrameSize);
  EXPECT_EQ(EncodeFrame(kFrameInput, longest.data(), longest.size(), out), 0);
}

}  // namespace
