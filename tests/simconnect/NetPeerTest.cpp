// A simulator end that misbehaves, met by the whole bridge: the supervisor's
// passes over the network SimConnect client, the panel through the fake
// hidapi. Whatever the peer sends or however it hangs up, the bridge logs the
// loss once, sends nothing for reports handled meanwhile, connects again on
// the following passes and registers everything anew, and holds no more
// sockets than before.

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/socket.h>

#include <chrono>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "panel/PanelDevice.h"
#include "panel/PanelMode.h"
#include "sim/FlightSimInterfaceMSFS.h"
#include "sim/simconnect/Net/ByteOrder.h"
#include "sim/simconnect/Net/NetTuning.h"
#include "supervisor/SupervisorThread.h"
#include "tests/fakes/FakeHidapi.h"
#include "tests/fakes/RecordingTray.h"
#include "tests/simconnect/support/LoopbackServer.h"
#include "tests/simconnect/support/ObjectData.h"
#include "tests/simconnect/support/TempFolder.h"
#include "tests/support/PanelBytes.h"

namespace {

using namespace std::chrono_literals;
using simwire::Bytes;

constexpr std::uint32_t kComWholeInc = 12;
constexpr std::uint32_t kComFractionInc = 14;

int OpenFileDescriptors() {
  int count = 0;
  if (DIR* dir = opendir("/proc/self/fd")) {
    while (const dirent* entry = readdir(dir)) count += entry->d_name[0] != '.';
    closedir(dir);
    --count;
  }
  return count;
}

Bytes Aircraft(double nav1Standby) { return ObjectDataMessage(0, {118.0, 119.0, nav1Standby, 113.45, 355.0, 90.0, 5.0}); }

Bytes Cut(const Bytes& bytes, std::size_t length) { return Bytes(bytes.begin(), bytes.begin() + static_cast<long>(length)); }

Bytes Words(std::initializer_list<std::uint32_t> words) {
  Bytes bytes;
  for (std::uint32_t w : words) simwire::ByteWriter(&bytes).U32(w);
  return bytes;
}

enum class HangUp { kStay, kClose, kReset };

struct PeerRow {
  const char* name;
  Bytes bytes;  // sent by the peer once the bridge is connected
  HangUp then;
};

class MisbehavingPeer : public ::testing::TestWithParam<PeerRow> {
 protected:
  void SetUp() override {
    fakehid::Reset();
    faketray::Reset();
    PanelDevice = {nullptr, false, &msfs, {0, 0, 0, 0}, 0, 0};
    deviceOpen = simConnected = false;
    connectionHandle = nullptr;
    msfs = FlightSimInterfaceMSFS{};
    SimConnectNetTuning tuning;
    tuning.retryInterval = 0ms;
    tuning.stallLimit = 100ms;
    tuning.openTimeout = 500ms;
    SetSimConnectNetTuning(tuning);
    folder_.PointAt(server_.port());
    fakehid::PlugIn();
    ::testing::internal::CaptureStdout();
  }
  void TearDown() override {
    // Failure messages went to the captured output too.
    if (HasFailure()) std::fputs(Output().c_str(), stderr);
    Output();
    if (simConnected) SimConnect_Close(connectionHandle);
    connectionHandle = nullptr;
    simConnected = false;
  }

  std::string Output() {
    if (capturing_) {
      output_ += ::testing::internal::GetCapturedStdout();
      capturing_ = false;
    }
    return output_;
  }

  // Passes until the bridge is connected to a fresh client connection of
  // the server, answering its open request.
  void ConnectThroughPasses() {
    bool accepted = false;
    for (int pass = 0; pass < 300 && !accepted; ++pass) {
      SupervisorPass();
      accepted = server_.Accept(10ms);
    }
    ASSERT_TRUE(accepted) << "the bridge never connected";
    ASSERT_TRUE(server_.AnswerOpen());
    for (int pass = 0; pass < 300 && !simConnected; ++pass) {
      SupervisorPass();
      std::this_thread::sleep_for(1ms);
    }
    ASSERT_TRUE(simConnected && deviceOpen);
  }

  // Passes until the dispatch reports the connection lost.
  bool LostWithin(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (simConnected && std::chrono::steady_clock::now() < deadline) {
      SupervisorPass();
      std::this_thread::sleep_for(2ms);
    }
    return !simConnected;
  }

  // The client events the server's current client transmitted, reading
  // requests until `count` of them have arrived or the line goes quiet.
  std::vector<std::uint32_t> Transmitted(std::size_t count) {
    std::vector<std::uint32_t> events;
    simwire::ClientRequest request;
    while (events.size() < count && server_.NextRequest(&request, nullptr, 300ms)) {
      if (request.kind == simwire::kRequestTransmitClientEvent) events.push_back(request.numbers[1]);
    }
    // Nothing more may follow.
    while (server_.NextRequest(&request, nullptr, 50ms)) {
      if (request.kind == simwire::kRequestTransmitClientEvent) events.push_back(request.numbers[1]);
    }
    return events;
  }

  testnet::LoopbackServer server_;
  testnet::TempFolder folder_;

 private:
  bool capturing_ = true;
  std::string output_;
};

TEST_P(MisbehavingPeer, IsALossOnceThenTheBridgeConnectsAgain) {
  const PeerRow& row = GetParam();
  ConnectThroughPasses();
  ASSERT_FALSE(HasFatalFailure());
  const int descriptors = OpenFileDescriptors();

  for (int round = 0; round < 5; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    // A good frame first: it reaches the mirror before the trouble starts.
    ASSERT_TRUE(server_.Send(Aircraft(110.50 + round)));
    ASSERT_TRUE(server_.Send(row.bytes));
    if (row.then == HangUp::kClose) {
      // Everything the bridge sent is read first, so the close is an
      // orderly end of stream and not a reset.
      Transmitted(0);
      server_.CloseClient();
    }
    if (row.then == HangUp::kReset) server_.CloseClient(/*reset=*/true);
    ASSERT_TRUE(LostWithin(2s));
    // A reset may throw away what was still in flight; otherwise the frame
    // that came complete before the trouble counts.
    if (row.then != HangUp::kReset) {
      EXPECT_EQ(msfs.nav1Standby, 110.50 + round);
    }

    // Turned while the simulator is gone: handled, sent nowhere.
    fakehid::QueueReport(PanelBytes(ModeCom1, 0, +1, 0));
    SupervisorPass();
    EXPECT_EQ(fakehid::PendingReports(), 0u);

    ConnectThroughPasses();
    ASSERT_FALSE(HasFatalFailure());
    fakehid::QueueReport(PanelBytes(ModeCom1, 0, 0, +1));
    SupervisorPass();
    // The new connection gets the whole catalogue again, then exactly the
    // one event of the report made after it opened.
    EXPECT_EQ(Transmitted(1), (std::vector<std::uint32_t>{kComFractionInc}));
  }

  // Counted while standard output is still captured, as at the start.
  EXPECT_EQ(OpenFileDescriptors(), descriptors);
  const std::string output = Output();
  std::size_t losses = 0;
  for (std::size_t at = 0; (at = output.find("Connection to MSFS lost\n", at)) != std::string::npos; ++at) ++losses;
  EXPECT_EQ(losses, 5u);
  EXPECT_EQ(output.find("Connection to Dorvik lost"), std::string::npos);
}

const Bytes kData = Aircraft(116.0);

INSTANTIATE_TEST_SUITE_P(Peers, MisbehavingPeer, ::testing::Values(
    // Text where a size belongs: "GARB" read as a size is far too large.
    PeerRow{"TextInsteadOfMessages", Bytes{'G', 'A', 'R', 'B', 'A', 'G', 'E', '!', '\r', '\n'}, HangUp::kStay},
    PeerRow{"SizeOfAllOnes", Words({0xFFFFFFFF, 5, 8, 0}), HangUp::kStay},
    PeerRow{"SizeSmallerThanAHeader", Words({4, 5, 8}), HangUp::kStay},
    PeerRow{"ObjectDataWithoutItsFields", Words({16, 5, 8, 0}), HangUp::kStay},
    PeerRow{"HalfADataMessageThenClose", Cut(kData, kData.size() / 2), HangUp::kClose},
    PeerRow{"HalfADataMessageThenReset", Cut(kData, kData.size() / 2), HangUp::kReset},
    PeerRow{"ThreeBytesOfASizeThenClose", Cut(kData, 3), HangUp::kClose},
    PeerRow{"HalfADataMessageThenSilence", Cut(kData, 50), HangUp::kStay},
    PeerRow{"QuitThenClose", Words({12, 5, 3}), HangUp::kClose}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
