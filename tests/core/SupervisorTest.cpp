// The supervisor's passes, driven one at a time through the fakes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "panel/PanelMode.h"
#include "tests/support/CoreFixture.h"
#include "tests/support/PanelBytes.h"
#include "tests/support/SentEvents.h"

namespace {

using fakesim::Bytes;

Bytes LampData(std::vector<std::int32_t> flags) {
  std::vector<std::int32_t> ints = {0x1200};
  ints.insert(ints.end(), flags.begin(), flags.end());
  return fakesim::DataMessage(1, fakesim::Concat(fakesim::Float64s({3000, 0}), fakesim::Int32s(ints)));
}

const fakehid::Bytes kLampsApMaster = {11, 0x01};

class SupervisorTest : public CoreTest {
 protected:
  void SetUp() override {
    CoreTest::SetUp();
    ::testing::internal::CaptureStdout();
  }
  void TearDown() override {
    Output();
    CoreTest::TearDown();
  }
  // Everything the passes so far wrote to standard output.
  std::string Output() {
    if (!capturing_) return output_;
    output_ += ::testing::internal::GetCapturedStdout();
    capturing_ = false;
    return output_;
  }
  void BothPresentAndConnected() {
    fakehid::PlugIn();
    fakesim::SetSimulatorRunning(true);
    SupervisorPass();
    ASSERT_TRUE(deviceOpen && simConnected);
    fakesim::ClearCalls();
    fakehid::ClearWrites();
  }
  std::vector<std::string> Functions() {
    std::vector<std::string> names;
    for (const auto& call : fakesim::Calls()) names.push_back(call.function);
    return names;
  }

 private:
  bool capturing_ = true;
  std::string output_;
};

TEST_F(SupervisorTest, NothingPresentWaitsQuietly) {
  for (int pass = 0; pass < 3; ++pass) SupervisorPass();
  EXPECT_FALSE(deviceOpen);
  EXPECT_FALSE(simConnected);
  EXPECT_EQ(fakehid::OpenCalls(), 3);
  EXPECT_EQ(fakesim::CallsTo("SimConnect_Open").size(), 3u);
  EXPECT_EQ(faketray::Shown(), (std::vector<TrayState>{TrayWaiting, TrayWaiting, TrayWaiting}));
  EXPECT_EQ(Output(), "");
}

TEST_F(SupervisorTest, OpensTheSimulatorWithTheClientNameAndDefaults) {
  fakesim::SetSimulatorRunning(true);
  SupervisorPass();
  const auto opens = fakesim::CallsTo("SimConnect_Open");
  ASSERT_EQ(opens.size(), 1u);
  EXPECT_EQ(opens[0].texts, (std::vector<std::string>{"Request Data"}));
  EXPECT_EQ(opens[0].numbers, (std::vector<std::uint32_t>{0, 0, 0, 0}));  // no window, message 0, no event, index 0
}

TEST_F(SupervisorTest, BothPresentConnectOnTheFirstPass) {
  fakehid::PlugIn();
  fakesim::SetSimulatorRunning(true);
  fakehid::QueueReport(PanelBytes(ModeCom1, 0, 1, 0));
  fakesim::QueueMessage(LampData({1, 0, 0, 0, 0, 0}));
  SupervisorPass();
  EXPECT_TRUE(deviceOpen);
  EXPECT_TRUE(simConnected);
  EXPECT_TRUE(fakehid::LastHandleNonBlocking());
  EXPECT_EQ(faketray::Shown(), (std::vector<TrayState>{TrayConnected}));
  // Open, register, dispatch, and only then the panel's report is read.
  const auto names = Functions();
  ASSERT_GE(names.size(), 3u);
  EXPECT_EQ(names.front(), "SimConnect_Open");
  const auto dispatch = std::find(names.begin(), names.end(), "SimConnect_CallDispatch");
  ASSERT_NE(dispatch, names.end());
  EXPECT_EQ(std::find(names.begin(), dispatch, "SimConnect_TransmitClientEvent"), dispatch);
  EXPECT_EQ(SentEvents(), (std::vector<Sent>{{"COM_RADIO_WHOLE_INC", 1}}));
  EXPECT_EQ(fakehid::Writes(), (std::vector<fakehid::Bytes>{kLampsApMaster}));
  EXPECT_EQ(fakehid::ReadCalls(), 2);  // the report, then the empty queue
}

TEST_F(SupervisorTest, StandbyReadsThePanelTwiceInThePassThatConnects) {
  fakehid::PlugIn();
  SupervisorPass();  // opens the panel only
  EXPECT_EQ(faketray::Shown().back(), TrayStandby);
  fakesim::SetSimulatorRunning(true);
  const int readsBefore = fakehid::ReadCalls();
  SupervisorPass();
  EXPECT_EQ(fakehid::ReadCalls() - readsBefore, 2);
  EXPECT_EQ(faketray::Shown().back(), TrayConnected);
}

TEST_F(SupervisorTest, StandbyReportsAreReadButReachNoSimulator) {
  fakehid::PlugIn();
  SupervisorPass();
  fakehid::QueueReport(PanelBytes(ModeCom1, key::kApMaster, 1, 0));
  SupervisorPass();
  EXPECT_EQ(fakehid::PendingReports(), 0u);
  EXPECT_TRUE(fakesim::Transmissions().empty());
}

TEST_F(SupervisorTest, PanelUnpluggedInStandbyIsNoticedSilently) {
  fakehid::PlugIn();
  SupervisorPass();
  fakehid::Unplug();
  SupervisorPass();
  EXPECT_FALSE(deviceOpen);
  EXPECT_EQ(faketray::Shown().back(), TrayWaiting);
  EXPECT_EQ(Output(), "");
  EXPECT_EQ(fakehid::OpenHandles(), 0);
}

TEST_F(SupervisorTest, PanelLostWhileConnectedLogsOnceAndReopensNextPass) {
  BothPresentAndConnected();
  fakehid::Unplug();
  SupervisorPass();
  EXPECT_FALSE(deviceOpen);
  EXPECT_TRUE(simConnected);
  SupervisorPass();
  SupervisorPass();
  EXPECT_EQ(Output(), "Connection to Dorvik lost\n");
  EXPECT_EQ(faketray::Shown().back(), TrayWaiting);
  fakehid::PlugIn();
  const int opens = fakehid::OpenCalls();
  SupervisorPass();
  EXPECT_EQ(fakehid::OpenCalls(), opens + 1);
  EXPECT_TRUE(deviceOpen);
}

TEST_F(SupervisorTest, SimulatorConnectedWithPanelAbsentIsNeitherDispatchedNorClosed) {
  fakesim::SetSimulatorRunning(true);
  for (int pass = 0; pass < 5; ++pass) SupervisorPass();
  EXPECT_TRUE(simConnected);
  EXPECT_EQ(fakesim::CallsTo("SimConnect_Open").size(), 1u);
  EXPECT_TRUE(fakesim::CallsTo("SimConnect_CallDispatch").empty());
  EXPECT_TRUE(fakesim::CallsTo("SimConnect_Close").empty());
  EXPECT_EQ(faketray::Shown().back(), TrayWaiting);
}

TEST_F(SupervisorTest, FailedDispatchLogsClosesAndDoesNotReadThePanel) {
  BothPresentAndConnected();
  const SimConnectHandle lost = connectionHandle;
  fakehid::QueueReport(PanelBytes(ModeCom1, 0, 1, 0));
  fakesim::FailNextDispatch();
  const int reads = fakehid::ReadCalls();
  SupervisorPass();
  EXPECT_FALSE(simConnected);
  EXPECT_EQ(fakehid::ReadCalls(), reads);
  EXPECT_EQ(Output(), "Connection to MSFS lost\n");
  const auto closes = fakesim::CallsTo("SimConnect_Close");
  ASSERT_EQ(closes.size(), 1u);
  EXPECT_EQ(closes[0].handle, lost);
  EXPECT_EQ(connectionHandle, nullptr);
  EXPECT_EQ(fakesim::OpenConnections(), 0);
}

TEST_F(SupervisorTest, AfterASimulatorLossTheNextPassReconnects) {
  BothPresentAndConnected();
  fakesim::FailNextDispatch();
  SupervisorPass();
  SupervisorPass();
  EXPECT_TRUE(simConnected);
  EXPECT_EQ(fakesim::CallsTo("SimConnect_Open").size(), 1u);
  EXPECT_EQ(fakesim::CallsTo("SimConnect_MapClientEventToSimEvent").size(), 104u);
  EXPECT_EQ(fakesim::CallsOnClosedHandles(), 0);
}

TEST_F(SupervisorTest, ReportsHandledInStandbyAfterALossTransmitNothing) {
  BothPresentAndConnected();
  fakesim::FailNextDispatch();
  fakesim::SetSimulatorRunning(false);
  SupervisorPass();
  fakesim::ClearCalls();
  fakehid::QueueReport(PanelBytes(ModeCom1, key::kSwap, 1, 1));
  fakehid::QueueReport(PanelBytes(ModeNav1, key::kApMaster, 1, 0));
  fakehid::QueueReport(PanelBytes(ModeTransponder, 0, 1, 0));
  SupervisorPass();
  EXPECT_TRUE(fakesim::Transmissions().empty());
  EXPECT_EQ(fakesim::CallsOnClosedHandles(), 0);
  EXPECT_EQ(faketray::Shown().back(), TrayStandby);
}

TEST_F(SupervisorTest, LampsAreWrittenOnlyWhenTheyChange) {
  BothPresentAndConnected();
  for (int pass = 0; pass < 3; ++pass) SupervisorPass();
  EXPECT_TRUE(fakehid::Writes().empty());  // all flags off from the start: never written
  fakesim::QueueMessage(LampData({1, 1, 0, 0, 0, 0}));
  SupervisorPass();
  SupervisorPass();
  fakesim::QueueMessage(LampData({1, 1, 0, 0, 0, 1}));
  SupervisorPass();
  fakesim::QueueMessage(LampData({0, 0, 0, 0, 0, 0}));
  SupervisorPass();
  EXPECT_EQ(fakehid::Writes(), (std::vector<fakehid::Bytes>{{11, 0x03}, {11, 0x23}, {11, 0x00}}));
}

TEST_F(SupervisorTest, AReplugGetsTheLampsLitAgainOnItsFirstConnectedPass) {
  BothPresentAndConnected();
  fakesim::QueueMessage(LampData({1, 0, 0, 0, 0, 0}));
  SupervisorPass();
  fakehid::Unplug();
  SupervisorPass();
  fakehid::PlugIn();
  fakehid::ClearWrites();
  SupervisorPass();
  EXPECT_EQ(fakehid::Writes(), (std::vector<fakehid::Bytes>{kLampsApMaster}));
}

TEST_F(SupervisorTest, AReplugWithAllFlagsOffWritesNothing) {
  BothPresentAndConnected();
  fakehid::Unplug();
  SupervisorPass();
  fakehid::PlugIn();
  SupervisorPass();
  SupervisorPass();
  EXPECT_TRUE(fakehid::Writes().empty());
}

TEST_F(SupervisorTest, AKeyHeldWhenThePanelWasPulledCountsAgainAfterTheReplug) {
  BothPresentAndConnected();
  fakehid::QueueReport(PanelBytes(ModeAutopilot, key::kApMaster));
  SupervisorPass();
  fakehid::Unplug();  // the release never arrives
  SupervisorPass();
  fakehid::PlugIn();
  SupervisorPass();
  fakesim::ClearCalls();
  fakehid::QueueReport(PanelBytes(ModeAutopilot, key::kApMaster));
  SupervisorPass();
  EXPECT_EQ(SentEvents(), (std::vector<Sent>{{"AP_MASTER", 0}}));
}

TEST_F(SupervisorTest, ModeAndShiftSurviveAReplug) {
  BothPresentAndConnected();
  fakehid::QueueReport(PanelBytes(ModeCom1, key::kPush));
  SupervisorPass();
  fakehid::Unplug();
  SupervisorPass();
  fakehid::PlugIn();
  SupervisorPass();
  EXPECT_TRUE(PanelDevice.shift);
  EXPECT_EQ(PanelDevice.mode, ModeCom1);
}

TEST_F(SupervisorTest, SoakOfLossesLeaksNothingAndLosesNoCommand) {
  fakehid::PlugIn();
  fakesim::SetSimulatorRunning(true);
  int expectedEvents = 0;
  for (int cycle = 0; cycle < 1000; ++cycle) {
    SupervisorPass();  // whatever is missing reconnects here
    ASSERT_TRUE(deviceOpen && simConnected) << cycle;
    fakehid::QueueReport(PanelBytes(ModeCom1, 0, 1, 0));
    fakehid::QueueReport(PanelBytes(ModeCom1, 0, 0, 0));
    SupervisorPass();
    ++expectedEvents;
    if (cycle % 2 == 0) {
      fakehid::Unplug();
      SupervisorPass();  // lost
      fakehid::PlugIn();
    } else {
      fakesim::FailNextDispatch();
      fakehid::QueueReport(PanelBytes(ModeCom1, 0, 1, 0));  // read after reconnecting
      SupervisorPass();  // lost; the report waits in the panel's queue
      SupervisorPass();  // standby read handles it: nothing transmitted
    }
    ASSERT_LE(fakehid::OpenHandles(), 1);
    ASSERT_LE(fakesim::OpenConnections(), 1);
  }
  EXPECT_EQ(fakesim::Transmissions().size(), static_cast<size_t>(expectedEvents));
  EXPECT_EQ(fakesim::CallsOnClosedHandles(), 0);
  const std::string output = Output();
  size_t dorvik = 0, msfsLost = 0;
  for (size_t at = 0; (at = output.find("Connection to Dorvik lost\n", at)) != std::string::npos; ++at) ++dorvik;
  for (size_t at = 0; (at = output.find("Connection to MSFS lost\n", at)) != std::string::npos; ++at) ++msfsLost;
  EXPECT_EQ(dorvik, 500u);
  EXPECT_EQ(msfsLost, 500u);
}

TEST_F(SupervisorTest, AThousandReplugsLeaveOnlyTheCurrentHandleOpen) {
  fakehid::PlugIn();
  for (int cycle = 0; cycle < 1000; ++cycle) {
    SupervisorPass();
    fakehid::Unplug();
    SupervisorPass();
    fakehid::PlugIn();
  }
  SupervisorPass();
  EXPECT_TRUE(deviceOpen);
  EXPECT_EQ(fakehid::OpenHandles(), 1);
}

}  // namespace
