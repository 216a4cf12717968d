// The whole bridge (supervisor passes, network client, panel through the fake
// hidapi) against a simulator end that breaks the connection: each loss is
// reported once, and the bridge connects again holding no more sockets.

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "panel/PanelMode.h"
#include "sim/FlightSimInterfaceMSFS.h"
#include "sim/simconnect/Net/NetTuning.h"
#include "supervisor/SupervisorThread.h"
#include "tests/fakes/FakeHidapi.h"
#include "tests/simconnect/support/LoopbackServer.h"
#include "tests/support/ObjectData.h"
#include "tests/support/PanelBytes.h"
#include "tests/support/TempFolder.h"

namespace {

using namespace std::chrono_literals;
using std::filesystem::directory_iterator;

auto OpenFileDescriptors() { return std::distance(directory_iterator("/proc/self/fd"), directory_iterator()); }

// Supervisor passes until the bridge is connected (answering its open) or not.
bool PassesUntil(bool connected, LoopbackServer* server) {
  for (int pass = 0; pass < 500 && simConnected != connected; ++pass) {
    SupervisorPass();
    if (connected && server->Accept(2) && !server->AnswerOpen()) return false;
    std::this_thread::sleep_for(2ms);
  }
  return simConnected == connected;
}

// The client events transmitted from now until the line goes quiet.
std::vector<std::uint32_t> Transmitted(LoopbackServer* server) {
  std::vector<std::uint32_t> events;
  for (simwire::ClientRequest r; server->Next(&r, 200);) {
    if (r.kind == simwire::kRequestTransmitClientEvent) events.push_back(r.numbers[1]);
  }
  return events;
}

TEST(MisbehavingPeer, EachLossIsReportedOnceAndTheBridgeConnectsAgain) {
  SetSimConnectNetTuning({50ms, 5000ms, 0ms, 256 * 1024});  // stall limit, open timeout, retry interval, queue
  LoopbackServer server;
  TempFolder folder(/*enter=*/true);
  folder.PointAt(server.Port());
  fakehid::PlugIn();
  ::testing::internal::CaptureStdout();
  ASSERT_TRUE(PassesUntil(true, &server));
  const auto descriptors = OpenFileDescriptors();
  const simwire::Bytes frame = objectdata::Definition0({118.0, 119.0, 110.5, 113.45, 355.0, 90.0, 5.0});
  const simwire::Bytes half(frame.begin(), frame.begin() + 50);
  const struct {
    simwire::Bytes bytes;
    int hangUp;  // 0 stays, 1 closes, 2 resets
  } rows[] = {{{'G', 'A', 'R', 'B', 'A', 'G', 'E', '\r', '\n'}, 0}, {half, 0}, {half, 1}, {half, 2}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.hangUp);
    msfs.com1Standby = 0;
    ASSERT_TRUE(server.Send(objectdata::Concat(frame, row.bytes)));
    if (row.hangUp > 0) server.HangUp(row.hangUp == 2);
    ASSERT_TRUE(PassesUntil(false, &server));
    EXPECT_TRUE(row.hangUp == 2 || msfs.com1Standby == 118.0) << "the whole frame before the trouble counts";
    fakehid::QueueReport(PanelBytes(ModeCom1, 0, +1, 0));  // a COM whole step while gone
    SupervisorPass();
    EXPECT_EQ(fakehid::PendingReports(), 0u);
    ASSERT_TRUE(PassesUntil(true, &server));
    fakehid::QueueReport(PanelBytes(ModeCom1, 0, 0, +1));
    SupervisorPass();
    EXPECT_EQ(Transmitted(&server), std::vector<std::uint32_t>{14}) << "the COM fraction step only";
  }
  EXPECT_EQ(OpenFileDescriptors(), descriptors);
  const std::string output = ::testing::internal::GetCapturedStdout();
  std::size_t losses = 0;
  for (std::size_t at = 0; (at = output.find("Connection to MSFS lost\n", at)) != std::string::npos; ++at) ++losses;
  EXPECT_EQ(losses, 4u) << output;
  SimConnect_Close(connectionHandle);
}

}  // namespace
