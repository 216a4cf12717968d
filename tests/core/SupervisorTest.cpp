// The supervisor's passes, driven one at a time through the fakes: what each
// connection state does per pass, how losses and returns of either side are
// handled, and the whole chain from report bytes to simulator events.

#include <gtest/gtest.h>

#include "panel/PanelMode.h"
#include "tests/support/CoreFixture.h"
#include "tests/support/ObjectData.h"
#include "tests/support/PanelBytes.h"

namespace {

using namespace key;
using Events = std::vector<Sent>;
using Writes = std::vector<fakehid::Bytes>;

objectdata::Bytes Lamps(std::int32_t master, std::int32_t heading, std::int32_t verticalSpeed) {
  return objectdata::Definition1(3000, 0, {0x1200, master, heading, 0, 0, 0, verticalSpeed});
}

// The tests that read the log capture standard output from their start and
// take it at their end, with no assertion between that could skip the taking.
using ::testing::internal::CaptureStdout;
using ::testing::internal::GetCapturedStdout;

class SupervisorTest : public CoreTest {
 protected:
  void Connect() {
    fakehid::PlugIn();
    fakesim::SetSimulatorRunning(true);
    SupervisorPass();
    ASSERT_TRUE(deviceOpen && simConnected);
    fakesim::ClearCalls();
  }
  void Replug() {
    fakehid::Unplug();
    SupervisorPass();
    fakehid::PlugIn();
    fakehid::ClearWrites();
    SupervisorPass();
  }
  std::size_t Count(const char* function) { return fakesim::CallsTo(function).size(); }
};

TEST_F(SupervisorTest, EachConnectionStateShowsItsTrayAndPollsWhatItShould) {
  CaptureStdout();
  const struct {
    bool panel, simulator;
    TrayState tray;
    int panelOpens, reads;
    std::size_t simulatorOpens, dispatches;
  } states[] = {
      {false, false, TrayWaiting, 1, 0, 1, 0},
      {false, true, TrayWaiting, 1, 0, 0, 0},  // connected, but neither dispatched nor closed
      {true, false, TrayStandby, 0, 1, 1, 0},  // reports still read, so that a loss is noticed
      {true, true, TrayConnected, 0, 1, 0, 1},
  };
  for (const auto& s : states) {
    SCOPED_TRACE(::testing::Message() << "panel " << s.panel << " simulator " << s.simulator);
    ResetBridgeState();
    if (s.panel) fakehid::PlugIn();
    fakesim::SetSimulatorRunning(s.simulator);
    fakehid::QueueReport(PanelBytes(ModeNav1, kApMaster | kSwap, 1, 1));  // sent only when both are there
    SupervisorPass();
    SupervisorPass();
    EXPECT_EQ(fakesim::Transmissions().empty(), !(s.panel && s.simulator));
    fakesim::ClearCalls();
    const int opens = fakehid::OpenCalls(), reads = fakehid::ReadCalls();
    SupervisorPass();
    EXPECT_EQ(faketray::Shown(), std::vector<TrayState>(3, s.tray));
    EXPECT_EQ(fakehid::OpenCalls() - opens, s.panelOpens);
    EXPECT_EQ(fakehid::ReadCalls() - reads, s.reads);
    EXPECT_EQ(Count("SimConnect_Open"), s.simulatorOpens);
    EXPECT_EQ(Count("SimConnect_CallDispatch"), s.dispatches);
    EXPECT_EQ(Count("SimConnect_Close"), 0u);
  }
  EXPECT_EQ(GetCapturedStdout(), "");
}

TEST_F(SupervisorTest, ALostPanelIsReleasedLoggedOnlyWhenConnectedAndItsStateSurvivesTheReplug) {
  CaptureStdout();
  fakehid::PlugIn();
  SupervisorPass();
  fakehid::Unplug();  // in standby: silently
  SupervisorPass();
  EXPECT_EQ(faketray::Shown().back(), TrayWaiting);
  EXPECT_EQ(fakehid::OpenHandles(), 0);
  Connect();
  fakehid::QueueReport(PanelBytes(ModeNav1, kPush));
  fakehid::QueueReport(PanelBytes(ModeNav1, kApMaster));
  SupervisorPass();
  fakehid::Unplug();  // the release of the key never arrives
  for (int pass = 0; pass < 3; ++pass) SupervisorPass();
  fakehid::PlugIn();
  SupervisorPass();
  fakesim::ClearCalls();
  fakehid::QueueReport(PanelBytes(ModeNav1, kApMaster));
  SupervisorPass();
  EXPECT_EQ(SentEvents(), (Events{{"AP_MASTER", 0}}));  // a fresh panel holds no keys we know of
  EXPECT_TRUE(PanelDevice.shift);                       // but mode and shift are kept
  EXPECT_EQ(GetCapturedStdout(), "Connection to Dorvik lost\n");
}

TEST_F(SupervisorTest, ALostSimulatorIsLoggedClosedAndReopenedWhileReportsReachNobody) {
  CaptureStdout();
  Connect();
  const SimConnectHandle lost = connectionHandle;
  fakehid::QueueReport(PanelBytes(ModeCom1, 0, 1, 0));
  fakesim::FailNextDispatch();
  fakesim::SetSimulatorRunning(false);
  const int reads = fakehid::ReadCalls();
  SupervisorPass();
  EXPECT_EQ(fakehid::ReadCalls(), reads);  // a failed dispatch ends the pass
  const auto closes = fakesim::CallsTo("SimConnect_Close");
  EXPECT_TRUE(closes.size() == 1 && closes[0].handle == lost);
  // In standby the reports are read and handled, and reach no simulator.
  fakehid::QueueReport(PanelBytes(ModeNav1, kApMaster | kSwap, 1, 1));
  fakehid::QueueReport(PanelBytes(ModeTransponder, 0, 1, 0));
  SupervisorPass();
  EXPECT_EQ(fakehid::PendingReports(), 0u);
  EXPECT_TRUE(fakesim::Transmissions().empty());
  fakesim::SetSimulatorRunning(true);
  fakesim::ClearCalls();
  SupervisorPass();
  EXPECT_EQ(Count("SimConnect_MapClientEventToSimEvent"), 104u);
  EXPECT_EQ(fakesim::CallsOnClosedHandles(), 0);
  EXPECT_EQ(GetCapturedStdout(), "Connection to MSFS lost\n");
}

TEST_F(SupervisorTest, LampsAreWrittenWhenTheyChangeAndAFreshPanelShowsNone) {
  Connect();
  SupervisorPass();  // all off from the start: never written
  for (const auto& lamps : {Lamps(1, 1, 0), Lamps(1, 1, 0), Lamps(1, 1, 1), Lamps(0, 0, 0), Lamps(1, 0, 0)}) {
    fakesim::QueueMessage(lamps);
    SupervisorPass();
  }
  EXPECT_EQ(fakehid::Writes(), (Writes{{11, 0x03}, {11, 0x23}, {11, 0x00}, {11, 0x01}}));
  Replug();
  SupervisorPass();
  EXPECT_EQ(fakehid::Writes(), (Writes{{11, 0x01}}));
  fakesim::QueueMessage(Lamps(0, 0, 0));
  SupervisorPass();
  Replug();
  EXPECT_TRUE(fakehid::Writes().empty());
}

// Between a (re)open and the connection's first block of a definition the
// mirror holds zeros or the last flight's aircraft: the commands that would
// compute from it send nothing, the others go out as usual.
TEST_F(SupervisorTest, UntilANewConnectionsFirstDataOnlyCommandsThatReadNoMirrorAreSent) {
  const auto turnEveryKnob = [] {
    for (const auto& report : {PanelBytes(ModeCom1, 0, +1, 0), PanelBytes(ModeNav1, 0, +1, 0),
                               PanelBytes(ModeNav1, kPush), PanelBytes(ModeNav1, 0, 0, +1), PanelBytes(ModeCom1, kPush),
                               PanelBytes(ModeCom1, 0, +1, 0), PanelBytes(ModeAutopilot, 0, +1, +1),
                               PanelBytes(ModeTransponder, 0, 0, +1), PanelBytes(ModeTransponder, kApMaster)}) {
      fakehid::QueueReport(report);
    }
    fakesim::ClearCalls();
    SupervisorPass();
    return SentEvents();
  };
  const Events withoutData = {{"COM_RADIO_WHOLE_INC", 1}, {"MobiFlight.C_172_AP_NOSE_UP", 1}, {"AP_MASTER", 0}};
  Connect();
  EXPECT_EQ(turnEveryKnob(), withoutData);
  EXPECT_EQ(msfs.nav1Standby, 0.0);  // left alone
  fakesim::QueueMessage(objectdata::Definition0({118.0, 119.0, 110.5, 113.45, 355.0, 90.0, 5.0}));
  EXPECT_EQ(turnEveryKnob(), (Events{{"COM_RADIO_WHOLE_INC", 1},
                                     {"NAV1_STBY_SET", 0x11150},
                                     {"VOR1_SET", 91},
                                     {"HEADING_BUG_SET", 5},
                                     {"MobiFlight.C_172_AP_NOSE_UP", 1},
                                     {"AP_MASTER", 0}}));
  fakesim::QueueMessage(objectdata::Definition1(3000, 0, {0x1200, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(turnEveryKnob(), (Events{{"COM_RADIO_WHOLE_INC", 1},
                                     {"NAV1_STBY_SET", 0x11250},
                                     {"VOR1_SET", 92},
                                     {"HEADING_BUG_SET", 15},
                                     {"AP_ALT_VAR_SET_ENGLISH", 3100},
                                     {"MobiFlight.C_172_AP_NOSE_UP", 1},
                                     {"XPNDR_SET", 0x1201},
                                     {"AP_MASTER", 0}}));
  CaptureStdout();
  fakesim::FailNextDispatch();
  SupervisorPass();
  SupervisorPass();  // reopened: the mirror still holds the last flight
  EXPECT_EQ(turnEveryKnob(), withoutData);
  fakesim::QueueMessage(objectdata::Definition0({118.0, 119.0, 109.0, 113.45, 20.0, 180.0, 5.0}));
  fakesim::QueueMessage(objectdata::Definition1(8000, 0, {0x7000, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(turnEveryKnob(), (Events{{"COM_RADIO_WHOLE_INC", 1},
                                     {"NAV1_STBY_SET", 0x11000},
                                     {"VOR1_SET", 181},
                                     {"HEADING_BUG_SET", 30},
                                     {"AP_ALT_VAR_SET_ENGLISH", 8100},
                                     {"MobiFlight.C_172_AP_NOSE_UP", 1},
                                     {"XPNDR_SET", 0x7001},
                                     {"AP_MASTER", 0}}));
  GetCapturedStdout();  // the loss line is ALostSimulator's subject
}

// The lamps show what the connected simulator reports and nothing while none
// is: dark once on a loss (only if lit), dark after the reopen until the new
// connection's autopilot data arrives.
TEST_F(SupervisorTest, LampsGoDarkWithTheSimulatorAndReturnWithTheNewConnectionsData) {
  CaptureStdout();
  Connect();
  fakesim::QueueMessage(Lamps(1, 1, 0));
  SupervisorPass();
  fakesim::FailNextDispatch();
  fakesim::SetSimulatorRunning(false);
  for (int pass = 0; pass < 3; ++pass) SupervisorPass();
  EXPECT_EQ(fakehid::Writes(), (Writes{{11, 0x03}, {11, 0x00}}));  // dark while the simulator stays away
  fakesim::SetSimulatorRunning(true);
  for (int pass = 0; pass < 2; ++pass) SupervisorPass();  // reopened, no data yet: the old flags are not shown
  fakesim::QueueMessage(Lamps(1, 0, 0));
  SupervisorPass();
  fakesim::QueueMessage(Lamps(0, 0, 0));
  SupervisorPass();
  fakesim::FailNextDispatch();  // nothing lit: nothing to darken
  SupervisorPass();
  EXPECT_EQ(fakehid::Writes(), (Writes{{11, 0x03}, {11, 0x00}, {11, 0x01}, {11, 0x00}}));
  GetCapturedStdout();  // the loss line is ALostSimulator's subject
}

// A panel left blocking would stall every pass inside hid_read.
TEST_F(SupervisorTest, APanelThatCannotBeMadeNonBlockingIsClosedAndOpenedAgainNextPass) {
  CaptureStdout();
  fakehid::PlugIn();
  fakehid::FailNextNonBlocking();
  SupervisorPass();
  EXPECT_FALSE(deviceOpen);
  EXPECT_EQ(fakehid::OpenHandles(), 0);
  EXPECT_EQ(faketray::Shown(), std::vector<TrayState>{TrayWaiting});
  SupervisorPass();
  EXPECT_TRUE(deviceOpen && fakehid::LastHandleNonBlocking());
  EXPECT_EQ(fakehid::OpenCalls(), 2);
  EXPECT_EQ(GetCapturedStdout(), "");
}

// While the panel is away, hid_open (a walk over every HID device) runs only
// when the system's listing shows the panel or cannot tell, or as the
// one-minute safety net; passes are numbered from 1.
PanelListing listing = PanelListing::kCannotTell;
PanelListing Listing() { return listing; }

// The panel is plugged in from pass `pluggedFrom` on (0: never).
std::vector<int> PassesThatTryToOpen(int passes, PanelListing (*listingOnPass)(int pass), int pluggedFrom = 0) {
  std::vector<int> tries;
  for (int pass = 1; pass <= passes && !deviceOpen; ++pass) {
    listing = listingOnPass(pass);
    if (pass == pluggedFrom) fakehid::PlugIn();
    const int before = fakehid::OpenCalls();
    SupervisorPass();
    if (fakehid::OpenCalls() != before) tries.push_back(pass);
  }
  return tries;
}

std::vector<int> Every(int step, int first, int last) {
  std::vector<int> passes;
  for (int pass = first; pass <= last; pass += step) passes.push_back(pass);
  return passes;
}

std::vector<int> Range(int first, int last) { return Every(1, first, last); }

std::vector<int> operator+(std::vector<int> a, const std::vector<int>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

TEST_F(SupervisorTest, HidOpenRunsOnlyWhenTheListingShowsThePanelOrCannotTell) {
  constexpr auto kListed = PanelListing::kListed, kNotListed = PanelListing::kNotListed;
  constexpr int kPasses = 5000;  // two minutes and five seconds
  panelPresence = Listing;
  const struct {
    const char* situation;
    PanelListing (*listingOnPass)(int pass);
    int pluggedFrom;
    std::vector<int> tries;
  } cases[] = {
      {"absent: only the safety net, once a minute", [](int) { return kNotListed; }, 0, {2400, 4800}},
      {"cannot tell: every pass", [](int) { return PanelListing::kCannotTell; }, 0, Range(1, kPasses)},
      {"plugged in at pass 3000: opens in that pass",
       [](int p) { return p < 3000 ? kNotListed : kListed; },
       3000,
       {2400, 3000}},
      // 2 s of every pass, then 1 s, 2 s, 4 s, and every 5 s from there.
      {"listed and unopenable: backs off to 5 s", [](int) { return kListed; }, 0,
       Range(1, 80) + std::vector<int>{120, 200} + Every(200, 360, kPasses)},
      {"listed again after going away: every pass anew",
       [](int p) { return p > 100 && p < 110 ? kNotListed : kListed; }, 0,
       Range(1, 80) + Range(110, 189) + std::vector<int>{229, 309} + Every(200, 469, kPasses)},
      {"a listing that never shows it: the safety net opens it", [](int) { return kNotListed; }, 1, {2400}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.situation);
    ResetBridgeState();
    panelPresence = Listing;
    EXPECT_EQ(PassesThatTryToOpen(kPasses, c.listingOnPass, c.pluggedFrom), c.tries);
    EXPECT_EQ(deviceOpen, c.pluggedFrom != 0);
  }
}

TEST_F(SupervisorTest, ALostPanelIsTriedOnTheNextPassAndThePollSwitchIgnoresTheListing) {
  panelPresence = Listing;
  listing = PanelListing::kListed;
  fakehid::PlugIn();
  for (int pass = 0; pass < kOpenBurstPasses; ++pass) SupervisorPass();  // open for a while
  ASSERT_TRUE(deviceOpen);
  fakehid::QueueReadError();
  SupervisorPass();  // lost; its node may linger or be gone already
  ASSERT_FALSE(deviceOpen);
  EXPECT_EQ(PassesThatTryToOpen(1, [](int) { return PanelListing::kNotListed; }), std::vector<int>{1});
  EXPECT_TRUE(deviceOpen);

  ResetBridgeState();
  panelPresence = Listing;
  panelPollAlways = true;
  EXPECT_EQ(PassesThatTryToOpen(3, [](int) { return PanelListing::kNotListed; }), Range(1, 3));
}

// The first pass with both present opens both, registers, dispatches and
// only then reads the panel, so the commands start from the aircraft the
// simulator reported: bytes in, events out, in a few reports that need
// decoding, routing, shift, the mirror and the commands to work together
// (each part's own table is elsewhere).
TEST_F(SupervisorTest, TheFirstPassConnectsBothAndTurnsReportsIntoEventsFromTheReportedAircraft) {
  fakesim::QueueMessage(objectdata::Definition0({118.0, 119.0, 110.5, 113.45, 355.0, 90.0, 5.0}));
  fakesim::QueueMessage(Lamps(1, 0, 0));
  for (const auto& report :
       {PanelBytes(ModeNav1, 0, +1, 0), PanelBytes(ModeNav1, 0, 0, +1), PanelBytes(ModeCom1, kPush),
        PanelBytes(ModeCom1, 0, +1, 0), PanelBytes(ModeFms2, kSwap, +1, 0), PanelBytes(ModeTransponder, 0, 0, -1)}) {
    fakehid::QueueReport(report);
  }
  fakehid::PlugIn();
  fakesim::SetSimulatorRunning(true);
  SupervisorPass();
  EXPECT_TRUE(fakehid::LastHandleNonBlocking());
  const auto opens = fakesim::CallsTo("SimConnect_Open");
  ASSERT_EQ(opens.size(), 1u);
  EXPECT_EQ(opens[0].texts, std::vector<std::string>{"Request Data"});
  EXPECT_EQ(opens[0].numbers, (std::vector<std::uint32_t>{0, 0, 0, 0}));  // no window, message 0, no event, index 0
  EXPECT_EQ(Count("SimConnect_MapClientEventToSimEvent"), 104u);
  EXPECT_EQ(SentEvents(), (Events{{"NAV1_STBY_SET", 0x11150},
                                  {"NAV1_STBY_SET", 0x11155},
                                  {"HEADING_BUG_SET", 5},
                                  {"MobiFlight.AS430_RNG_Zoom", 1},
                                  {"MobiFlight.AS1000_MFD_RANGE_INC", 1},
                                  {"XPNDR_SET", 0x1177}}));
  EXPECT_EQ(fakehid::Writes(), (Writes{{11, 0x01}}));
  EXPECT_EQ(faketray::Shown(), std::vector<TrayState>{TrayConnected});
  // The simulator's next report replaces what the commands stored.
  fakesim::ClearCalls();
  fakesim::QueueMessage(objectdata::Definition0({118.0, 119.0, 112.0, 113.45, 355.0, 90.0, 5.0}));
  fakehid::QueueReport(PanelBytes(ModeNav1, 0, 0, -1));
  SupervisorPass();
  EXPECT_EQ(SentEvents(), (Events{{"NAV1_STBY_SET", 0x11295}}));
}

}  // namespace
