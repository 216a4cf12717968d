// The hidapi shim against the virtual panel in script mode, as the bridge
// uses them: open, non-blocking reads, lamp writes, the panel going away
// and coming back; and against a fake panel that sends what no panel
// should, which must fail the device rather than the process.

#include <gtest/gtest.h>
#include <hidapi/hidapi.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "ChildProcess.h"
#include "tests/virtualpanel/TestName.h"
#include "tools/hidshim/PanelSocketProtocol.h"

namespace {

using Bytes = std::vector<unsigned char>;
using Clock = std::chrono::steady_clock;

constexpr unsigned short kVendor = 0x04D8;
constexpr unsigned short kProduct = 0xE6D6;

// Generous bounds: they only matter when something is broken, and a loaded
// machine must not fail a working shim.
constexpr int kLineTimeout = 3000;
constexpr int kReadTimeout = 3000;

Bytes ReadReport(hid_device* device, int milliseconds = kReadTimeout) {
  unsigned char buffer[8];
  const int got = hid_read_timeout(device, buffer, sizeof buffer, milliseconds);
  return got > 0 ? Bytes(buffer, buffer + got) : Bytes{};
}

sockaddr_un Address(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  return address;
}

class HidShim : public testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vp-shim-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    directory_ = pattern;
    socketPath_ = directory_ + "/panel.sock";
    setenv("VESTREL_PANEL_SOCKET", socketPath_.c_str(), 1);
  }

  void TearDown() override {
    panel_.Stop();
    unlink(socketPath_.c_str());
    rmdir(directory_.c_str());
  }

  // Starts a scripted virtual panel and waits until it listens.
  void StartPanel(ChildProcess* panel) {
    ASSERT_TRUE(panel->Start({VIRTUALPANEL_PATH, "--script", "--socket", socketPath_}));
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kLineTimeout);
    struct stat status;
    while (lstat(socketPath_.c_str(), &status) != 0 && Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(S_ISSOCK(status.st_mode));
  }

  // The bridge retries hid_open every pass; so does this, briefly, in case
  // the panel has bound its socket but not yet started listening.
  hid_device* OpenPanel() {
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kLineTimeout);
    hid_device* device = nullptr;
    while ((device = hid_open(kVendor, kProduct, nullptr)) == nullptr && Clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return device;
  }

  std::string directory_;
  std::string socketPath_;
  ChildProcess panel_;
};

TEST_F(HidShim, OpensOnlyWhileAPanelListens) {
  EXPECT_EQ(hid_init(), 0);
  EXPECT_EQ(hid_open(kVendor, kProduct, nullptr), nullptr) << "no socket at all";

  // The socket file of a panel that died without cleaning up.
  const int stale = socket(AF_UNIX, SOCK_STREAM, 0);
  const sockaddr_un address = Address(socketPath_);
  ASSERT_EQ(bind(stale, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
  close(stale);
  EXPECT_EQ(hid_open(kVendor, kProduct, nullptr), nullptr) << "stale socket file";

  StartPanel(&panel_);
  hid_device* device = OpenPanel();
  ASSERT_NE(device, nullptr) << "a panel replacing the stale socket";
  EXPECT_TRUE(panel_.WaitForLine("bridge connected", kLineTimeout));
  hid_close(device);
  EXPECT_TRUE(panel_.WaitForLine("bridge disconnected", kLineTimeout));
  EXPECT_EQ(hid_exit(), 0);
}

TEST_F(HidShim, OpensNothingButThePanelsIdentity) {
  StartPanel(&panel_);
  EXPECT_EQ(hid_open(0x046D, 0xC52B, nullptr), nullptr);
  EXPECT_EQ(hid_open(kVendor, 0x0001, nullptr), nullptr);
  EXPECT_EQ(hid_open(0x0001, kProduct, nullptr), nullptr);
  EXPECT_EQ(hid_open(kVendor, kProduct, L"A1B2"), nullptr) << "the panel has no serial number";
  EXPECT_EQ(hid_open_path(socketPath_.c_str()), nullptr);
  EXPECT_EQ(hid_enumerate(kVendor, kProduct), nullptr);
  EXPECT_FALSE(panel_.WaitForLine("bridge connected", 200));

  hid_device* device = OpenPanel();
  ASSERT_NE(device, nullptr);
  wchar_t product[64];
  EXPECT_EQ(hid_get_product_string(device, product, 64), 0);
  EXPECT_EQ(std::wstring(product), L"Dorvik (virtual)");
  hid_close(device);
}

TEST_F(HidShim, NonBlockingReadsDeliverEachReportByteForByte) {
  StartPanel(&panel_);
  hid_device* device = OpenPanel();
  ASSERT_NE(device, nullptr);
  ASSERT_EQ(hid_set_nonblocking(device, 1), 0);
  unsigned char buffer[8];
  EXPECT_EQ(hid_read(device, buffer, sizeof buffer), 0) << "nothing pending";

  panel_.SendLine("mode 2");
  panel_.SendLine("outer 1");
  panel_.SendLine("press ap");
  panel_.SendLine("inner -128");
  EXPECT_EQ(ReadReport(device), (Bytes{0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02}));
  EXPECT_EQ(ReadReport(device), (Bytes{0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0x02}));
  EXPECT_EQ(ReadReport(device), (Bytes{0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x00, 0x02}));
  EXPECT_EQ(ReadReport(device), (Bytes{0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x80, 0x02}));
  EXPECT_EQ(hid_read(device, buffer, sizeof buffer), 0) << "queue drained";
  hid_close(device);
}

TEST_F(HidShim, ALongReportIsCutToTheCallersBuffer) {
  StartPanel(&panel_);
  hid_device* device = OpenPanel();
  ASSERT_NE(device, nullptr);
  hid_set_nonblocking(device, 1);
  panel_.SendLine("raw 0102030405060708090a0b0c");
  panel_.SendLine("raw 0b01");
  EXPECT_EQ(ReadReport(device), (Bytes{1, 2, 3, 4, 5, 6, 7, 8}));
  EXPECT_EQ(ReadReport(device), (Bytes{0x0b, 0x01})) << "the rest of the long report is gone, as with hidraw";
  hid_close(device);
}

TEST_F(HidShim, ReadsWaitForLateReportsWhenAskedTo) {
  StartPanel(&panel_);
  hid_device* device = OpenPanel();
  ASSERT_NE(device, nullptr);
  unsigned char buffer[8];
  EXPECT_EQ(hid_read_timeout(device, buffer, sizeof buffer, 50), 0);

  panel_.SendLine("wait 150");
  panel_.SendLine("outer 1");
  EXPECT_EQ(hid_read_timeout(device, buffer, sizeof buffer, kReadTimeout), 8);
  EXPECT_EQ(buffer[5], 0x01);

  hid_set_nonblocking(device, 0);
  panel_.SendLine("wait 100");
  panel_.SendLine("outer -1");
  EXPECT_EQ(hid_read(device, buffer, sizeof buffer), 8) << "a blocking read returns with the report";
  EXPECT_EQ(buffer[5], 0xff);
  hid_close(device);
}

TEST_F(HidShim, LampReportsReachThePanel) {
  StartPanel(&panel_);
  hid_device* device = OpenPanel();
  ASSERT_NE(device, nullptr);
  const unsigned char master[] = {0x0B, 0x01};
  const unsigned char allSix[] = {0x0B, 0x3F};
  EXPECT_EQ(hid_write(device, master, sizeof master), 2);
  EXPECT_TRUE(panel_.WaitForLine("lamps 0x01", kLineTimeout));
  EXPECT_EQ(hid_write(device, allSix, sizeof allSix), 2);
  EXPECT_TRUE(panel_.WaitForLine("lamps 0x3f", kLineTimeout));

  const Bytes tooLong(65, 0x0B);
  EXPECT_EQ(hid_write(device, master, 0), -1);
  EXPECT_EQ(hid_write(device, tooLong.data(), tooLong.size()), -1);
  EXPECT_EQ(hid_write(device, nullptr, 2), -1);
  EXPECT_EQ(hid_write(device, allSix, 1), 1) << "a report the panel does not know is passed on";
  EXPECT_EQ(hid_write(device, master, sizeof master), 2) << "the device survives refused writes";
  EXPECT_TRUE(panel_.WaitForLine("lamps 0x01", kLineTimeout));
  hid_close(device);
}

TEST_F(HidShim, APanelThatGoesAwayFailsLikeAnUnplugAndCanComeBack) {
  StartPanel(&panel_);
  hid_device* device = OpenPanel();
  ASSERT_NE(device, nullptr);
  hid_set_nonblocking(device, 1);
  panel_.SendLine("outer 3");
  panel_.SendLine("quit");
  EXPECT_EQ(panel_.WaitForExit(kLineTimeout), 0);

  EXPECT_EQ(ReadReport(device).size(), 8u) << "what the panel sent before leaving still arrives";
  unsigned char buffer[8];
  EXPECT_EQ(hid_read(device, buffer, sizeof buffer), -1);
  EXPECT_EQ(hid_read(device, buffer, sizeof buffer), -1) << "and stays failed";
  const unsigned char lamps[] = {0x0B, 0x01};
  EXPECT_EQ(hid_write(device, lamps, sizeof lamps), -1) << "writing to a vanished panel fails without a signal";
  EXPECT_NE(hid_error(device), nullptr);
  hid_close(device);
  EXPECT_EQ(hid_open(kVendor, kProduct, nullptr), nullptr);

  ChildProcess replugged;
  StartPanel(&replugged);
  device = OpenPanel();
  ASSERT_NE(device, nullptr);
  EXPECT_TRUE(replugged.WaitForLine("bridge connected", kLineTimeout));
  hid_close(device);
  replugged.Stop();
}

TEST_F(HidShim, OneBridgeHoldsThePanelAtATime) {
  StartPanel(&panel_);
  hid_device* first = OpenPanel();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(hid_open(kVendor, kProduct, nullptr), nullptr);
  hid_close(first);
  EXPECT_TRUE(panel_.WaitForLine("bridge disconnected", kLineTimeout));
  hid_device* second = OpenPanel();
  EXPECT_NE(second, nullptr);
  hid_close(second);
}

TEST(HidShimHandles, NullHandlesAreRefusedHarmlessly) {
  unsigned char buffer[8];
  EXPECT_EQ(hid_read(nullptr, buffer, sizeof buffer), -1);
  EXPECT_EQ(hid_read_timeout(nullptr, buffer, sizeof buffer, 10), -1);
  EXPECT_EQ(hid_write(nullptr, buffer, sizeof buffer), -1);
  EXPECT_EQ(hid_set_nonblocking(nullptr, 1), -1);
  EXPECT_EQ(hid_send_feature_report(nullptr, buffer, 1), -1);
  EXPECT_EQ(hid_get_feature_report(nullptr, buffer, 1), -1);
  hid_close(nullptr);
  hid_free_enumeration(nullptr);
  EXPECT_NE(hid_error(nullptr), nullptr);
}

// A fake panel that accepts one connection, sends fixed bytes, and then
// hangs up or stays silent.
class FakePanel {
 public:
  FakePanel(const std::string& path, Bytes bytes, bool hangUp) : path_(path) {
    listener_ = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_un address = Address(path);
    bind(listener_, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    listen(listener_, 4);
    server_ = std::thread([this, bytes, hangUp] {
      pollfd incoming = {listener_, POLLIN, 0};
      if (poll(&incoming, 1, kReadTimeout) <= 0) return;
      client_ = accept(listener_, nullptr, nullptr);
      if (client_ < 0) return;
      if (!bytes.empty()) send(client_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
      if (hangUp) {
        close(client_);
        client_ = -1;
      }
    });
  }
  ~FakePanel() {
    server_.join();
    if (client_ >= 0) close(client_);
    close(listener_);
    unlink(path_.c_str());
  }

 private:
  std::string path_;
  int listener_ = -1;
  int client_ = -1;
  std::thread server_;
};

Bytes Greeting() { return {panelsocket::kFrameHello, 1, panelsocket::kProtocolVersion}; }

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

Bytes Noise(std::size_t count) {
  Bytes noise(count);
  unsigned state = 12345;
  for (auto& byte : noise) {
    state = state * 1103515245u + 12345u;
    byte = static_cast<unsigned char>(state >> 16);
  }
  return noise;
}


struct GarbageCase {
  const char* what;
  Bytes sent;
  bool hangUp;
  bool opens;
  Bytes firstReport;  // empty: the device fails before delivering any report
};

class HidShimGarbage : public HidShim, public testing::WithParamInterface<GarbageCase> {};

TEST_P(HidShimGarbage, FailsTheDeviceNotTheProcess) {
  const GarbageCase& c = GetParam();
  FakePanel panel(socketPath_, c.sent, c.hangUp);
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
  hid_device* device = hid_open(kVendor, kProduct, nullptr);
  ASSERT_EQ(device != nullptr, c.opens) << c.what;
  if (device == nullptr) return;
  hid_set_nonblocking(device, 1);

  unsigned char buffer[8];
  int result = 0;
  const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(kReadTimeout);
  while (result == 0 && Clock::now() < deadline) result = hid_read_timeout(device, buffer, sizeof buffer, 50);
  if (c.firstReport.empty()) {
    EXPECT_EQ(result, -1) << c.what;
    EXPECT_EQ(hid_read(device, buffer, sizeof buffer), -1) << c.what << ": stays failed";
  } else {
    ASSERT_EQ(result, static_cast<int>(c.firstReport.size())) << c.what;
    EXPECT_EQ(Bytes(buffer, buffer + result), c.firstReport) << c.what;
  }
  hid_close(device);
}

const Bytes kReportFrame = {panelsocket::kFrameInput, 8, 0, 0, 0, 0, 0, 1, 0, 2};
const Bytes kNav1Step = {0, 0, 0, 0, 0, 1, 0, 2};

INSTANTIATE_TEST_SUITE_P(
    FakePanels, HidShimGarbage,
    testing::Values(
        GarbageCase{"silent listener", {}, false, false, {}},
        GarbageCase{"hangs up at once", {}, true, false, {}},
        GarbageCase{"busy with another bridge", {panelsocket::kFrameBusy, 0}, true, false, {}},
        GarbageCase{"unknown frame type", {'Z', 1, 2, 3}, false, false, {}},
        GarbageCase{"report before the greeting", kReportFrame, false, false, {}},
        GarbageCase{"greeting cut in half", {panelsocket::kFrameHello}, true, false, {}},
        GarbageCase{"oversized frame", Join({Greeting(), {panelsocket::kFrameInput, 200, 1, 2, 3}}), false, true, {}},
        GarbageCase{"half a report, then gone", Join({Greeting(), {panelsocket::kFrameInput, 8, 0, 0, 0}}), true, true, {}},
        GarbageCase{"gone right after the greeting", Greeting(), true, true, {}},
        GarbageCase{"a frame only the bridge may send", Join({Greeting(), {panelsocket::kFrameOutput, 2, 11, 1}}), false, true, {}},
        GarbageCase{"noise", Join({Greeting(), Noise(4096)}), false, true, {}},
        GarbageCase{"empty report before a real one", Join({Greeting(), {panelsocket::kFrameInput, 0}, kReportFrame}), false, true, kNav1Step},
        GarbageCase{"greeted twice", Join({Greeting(), Greeting(), kReportFrame}), true, true, kNav1Step},
        GarbageCase{"short report", Join({Greeting(), {panelsocket::kFrameInput, 3, 9, 8, 7}}), false, true, {9, 8, 7}}),
    [](const testing::TestParamInfo<GarbageCase>& info) { return TestName(info.param.what); });

}  // namespace
