// The stand-in as a process: its command line contract, and an aircraft that
// our own client (and the bridge's simulator interface on top of it) can tune,
// read and lose.

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <regex>
#include <thread>

#include "sim/FlightSimInterfaceMSFS.h"
#include "sim/SimConnect.h"
#include "sim/simconnect/Net/ByteOrder.h"
#include "sim/simconnect/Net/NetTuning.h"
#include "support/StandInProcess.h"
#include "support/TempFolder.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<unsigned char>;
using testnet::StandInProcess;

std::vector<Bytes>* gMessages = nullptr;

void Collect(SIMCONNECT_RECV* message, SimConnectDword size, void*) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(message);
  if (gMessages != nullptr) gMessages->emplace_back(bytes, bytes + size);
}

class StandIn : public ::testing::Test {
 protected:
  void SetUp() override {
    SimConnectNetTuning tuning;
    tuning.retryInterval = 0ms;
    SetSimConnectNetTuning(tuning);
    ASSERT_NE(standIn_.port(), 0) << "the stand-in did not start";
    folder_.PointAt(standIn_.port());
    gMessages = &messages_;
  }
  void TearDown() override {
    if (handle_ != nullptr) SimConnect_Close(handle_);
    gMessages = nullptr;
  }

  bool Open(const char* name = "Request Data") {
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (std::chrono::steady_clock::now() < deadline) {
      if (SimConnect_Open(&handle_, name, nullptr, 0, nullptr, 0) >= 0) return true;
      std::this_thread::sleep_for(1ms);
    }
    return false;
  }

  // Maps `event` under client event 1 and transmits it with `data`.
  void Send(const char* event, std::uint32_t data) {
    SimConnect_MapClientEventToSimEvent(handle_, 1, event);
    SimConnect_TransmitClientEvent(handle_, SIMCONNECT_OBJECT_ID_USER, 1, data, SIMCONNECT_GROUP_PRIORITY_HIGHEST,
                                   SIMCONNECT_EVENT_FLAG_GROUPID_IS_PRIORITY);
  }

  // Dispatches until an object-data message for `request` arrives.
  Bytes NextData(std::uint32_t request) {
    const auto deadline = std::chrono::steady_clock::now() + 3s;
    while (std::chrono::steady_clock::now() < deadline) {
      messages_.clear();
      if (SimConnect_CallDispatch(handle_, Collect, nullptr) < 0) return {};
      for (const Bytes& m : messages_) {
        if (m.size() >= 40 && simwire::ReadU32(&m[8]) == SIMCONNECT_RECV_ID_SIMOBJECT_DATA &&
            simwire::ReadU32(&m[12]) == request) {
          return m;
        }
      }
      std::this_thread::sleep_for(2ms);
    }
    return {};
  }

  bool LostWithin(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
      if (SimConnect_CallDispatch(handle_, Collect, nullptr) < 0) return true;
      std::this_thread::sleep_for(2ms);
    }
    return false;
  }

  StandInProcess standIn_{SIMSTANDIN_PATH, {"--port", "0", "--rate", "100"}};
  testnet::TempFolder folder_;
  SimConnectHandle handle_ = nullptr;
  std::vector<Bytes> messages_;
};

TEST_F(StandIn, ListensOnTheLoopbackAndAnswersState) {
  EXPECT_TRUE(std::regex_match(standIn_.listeningLine(), std::regex("listening on 127\\.0\\.0\\.1:[1-9][0-9]*")))
      << standIn_.listeningLine();
  standIn_.Command("state");
  const std::string line = standIn_.WaitForLine("state ");
  EXPECT_EQ(line,
            "state clients=0 events=0 com1_active=118.00 com1_standby=121.50 com2_active=119.00 "
            "com2_standby=122.80 nav1_active=108.00 nav1_standby=110.50 nav2_active=109.00 nav2_standby=113.45 "
            "heading_bug=355 course1=90 course2=5 baro=29.92 ap_master=0 ap_heading=0 ap_nav1=0 ap_approach=0 "
            "ap_altitude=0 ap_vs=0 ap_alt=3000 ap_vs_fpm=0 squawk=1200 ident=0 mapped=0");
}

struct SentEventCase {
  const char* event;
  std::uint32_t data;
  const char* key;
  const char* expected;
  const char* logLine;
};

TEST_F(StandIn, EventsFromTheClientChangeTheAircraft) {
  ASSERT_TRUE(Open());
  EXPECT_EQ(standIn_.WaitForLine("client: "), "client: connected \"Request Data\"");
  const SentEventCase cases[] = {
      {"NAV1_STBY_SET", 0x11150, "nav1_standby", "111.50", "aircraft: NAV1 standby 110.50 -> 111.50"},
      {"XPNDR_SET", 0x7700, "squawk", "7700", "aircraft: squawk 1200 -> 7700"},
      {"AP_MASTER", 0, "ap_master", "1", "aircraft: AP master off -> on"},
      {"HEADING_BUG_SET", 270, "heading_bug", "270", "aircraft: heading bug 355 -> 270"},
      {"KOHLSMAN_INC", 1, "baro", "29.93", "aircraft: baro 29.92 -> 29.93"},
      {"AP_VS_VAR_SET_ENGLISH", static_cast<std::uint32_t>(-700), "ap_vs_fpm", "-700",
       "aircraft: AP vertical speed 0 -> -700 fpm"},
      {"COM_STBY_RADIO_SWAP", 0, "com1_active", "121.50", "aircraft: COM1 swapped: active 121.50, standby 118.00"},
  };
  int events = 0;
  for (const SentEventCase& c : cases) {
    Send(c.event, c.data);
    ++events;
    EXPECT_EQ(standIn_.WaitForLine("aircraft: "), c.logLine) << c.event;
    EXPECT_EQ(standIn_.WaitForState(c.key, c.expected), c.expected) << c.event;
  }
  const auto state = standIn_.State();
  EXPECT_EQ(state.at("events"), std::to_string(events));
  EXPECT_EQ(state.at("clients"), "1");
}

TEST_F(StandIn, CustomEventsAreLoggedAndPrivateOnesIgnored) {
  ASSERT_TRUE(Open());
  Send("MobiFlight.AS530_ENT_Push", 0);
  EXPECT_EQ(standIn_.WaitForLine("aircraft: "), "aircraft: custom event MobiFlight.AS530_ENT_Push");
  Send("", 0);  // a private client event: nothing listens
  Send("AP_MASTER", 0);
  EXPECT_EQ(standIn_.WaitForLine("aircraft: "), "aircraft: AP master off -> on") << "nothing logged in between";
}

TEST_F(StandIn, StreamsEachRequestLaidOutAsItsDefinition) {
  ASSERT_TRUE(Open());
  Send("NAV1_STBY_SET", 0x11150);
  Send("XPNDR_SET", 0x7700);
  Send("AP_MASTER", 0);
  const struct {
    std::uint32_t definition;
    const char* variable;
    const char* units;
    SimConnectDataType type;
  } entries[] = {
      {0, "NAV STANDBY FREQUENCY:1", "MHz", SIMCONNECT_DATATYPE_FLOAT64},
      {0, "PLANE ALTITUDE", "feet", SIMCONNECT_DATATYPE_FLOAT64},  // not simulated: reads 0
      {0, "NAV OBS:2", "degrees", SIMCONNECT_DATATYPE_FLOAT64},
      {1, "AUTOPILOT ALTITUDE LOCK VAR", "feet", SIMCONNECT_DATATYPE_FLOAT64},
      {1, "TRANSPONDER CODE:1", "BCO16", SIMCONNECT_DATATYPE_INT32},
      {1, "AUTOPILOT MASTER", "Bool", SIMCONNECT_DATATYPE_INT32},
  };
  for (const auto& e : entries) {
    SimConnect_AddToDataDefinition(handle_, e.definition, e.variable, e.units, e.type, 0.0f, SIMCONNECT_UNUSED);
  }
  for (std::uint32_t request = 0; request < 2; ++request) {
    SimConnect_RequestDataOnSimObject(handle_, request, request, SIMCONNECT_OBJECT_ID_USER,
                                      SIMCONNECT_PERIOD_SIM_FRAME, 0, 0, 0, 0);
  }
  const Bytes zero = NextData(0);
  ASSERT_EQ(zero.size(), 40u + 24u);
  EXPECT_EQ(simwire::ReadF64(&zero[40]), 111.5);
  EXPECT_EQ(simwire::ReadF64(&zero[48]), 0.0);
  EXPECT_EQ(simwire::ReadF64(&zero[56]), 5.0);
  const Bytes one = NextData(1);
  ASSERT_EQ(one.size(), 40u + 16u);
  EXPECT_EQ(simwire::ReadF64(&one[40]), 3000.0);
  EXPECT_EQ(simwire::ReadU32(&one[48]), 0x7700u);
  EXPECT_EQ(simwire::ReadU32(&one[52]), 1u);

  // Every frame brings both again.
  for (int frame = 0; frame < 3; ++frame) {
    EXPECT_FALSE(NextData(0).empty());
    EXPECT_FALSE(NextData(1).empty());
  }
}

// The bridge's own simulator interface, through our client: everything it
// registers arrives, and the stand-in's aircraft fills its mirror.
TEST_F(StandIn, BridgeRegistrationAndMirror) {
  ASSERT_TRUE(Open());
  msfs.connection = &handle_;
  msfs.Initialize();
  EXPECT_EQ(standIn_.WaitForState("mapped", "104"), "104") << "every catalogue number but 101";
  const auto deadline = std::chrono::steady_clock::now() + 3s;
  while (std::chrono::steady_clock::now() < deadline && msfs.transponderCode != 0x1200) {
    ASSERT_GE(SimConnect_CallDispatch(handle_, OnSimMessage, nullptr), 0);
    std::this_thread::sleep_for(5ms);
  }
  EXPECT_EQ(msfs.nav1Standby, 110.5);
  EXPECT_EQ(msfs.nav2Standby, 113.45);
  EXPECT_EQ(msfs.headingBug, 355.0);
  EXPECT_EQ(msfs.course2, 5.0);
  EXPECT_EQ(msfs.autopilotAltitude, 3000.0);
  EXPECT_EQ(msfs.transponderCode, 0x1200);

  // One knob step of NAV 1, as the panel would make it.
  msfs.TuneNav(1, 1, 0);
  EXPECT_EQ(standIn_.WaitForLine("aircraft: "), "aircraft: NAV1 standby 110.50 -> 111.50");
  EXPECT_EQ(standIn_.State().at("events"), "1");
  msfs.connection = nullptr;
}

TEST_F(StandIn, DropEndsTheClientsConnection) {
  ASSERT_TRUE(Open());
  ASSERT_EQ(standIn_.WaitForLine("client: "), "client: connected \"Request Data\"");
  standIn_.Command("drop");
  EXPECT_EQ(standIn_.WaitForLine("client: "), "client: disconnected");
  EXPECT_TRUE(LostWithin(2s));
  EXPECT_EQ(standIn_.State().at("clients"), "0");
  SimConnect_Close(handle_);
  handle_ = nullptr;
  EXPECT_TRUE(Open()) << "and it can come back";
}

TEST_F(StandIn, QuitTellsTheClientAndExitsZero) {
  ASSERT_TRUE(Open());
  ASSERT_EQ(standIn_.WaitForState("clients", "1"), "1");
  standIn_.Command("quit");
  EXPECT_EQ(standIn_.WaitForExit(), 0);
  EXPECT_TRUE(LostWithin(2s));
  bool quitSeen = false;
  for (const Bytes& m : messages_) quitSeen |= simwire::ReadU32(&m[8]) == SIMCONNECT_RECV_ID_QUIT;
  EXPECT_TRUE(quitSeen);
}

TEST_F(StandIn, EndOfInputKeepsItRunningAndSigtermEndsIt) {
  standIn_.CloseInput();
  std::this_thread::sleep_for(100ms);
  ASSERT_TRUE(Open()) << "still serving after stdin closed";
  kill(standIn_.pid(), SIGTERM);
  EXPECT_EQ(standIn_.WaitForExit(), 0);
}

TEST(StandInProcessLife, SigintExitsZero) {
  StandInProcess standIn(SIMSTANDIN_PATH);
  ASSERT_NE(standIn.port(), 0);
  kill(standIn.pid(), SIGINT);
  EXPECT_EQ(standIn.WaitForExit(), 0);
}

TEST(StandInProcessLife, PortInUseIsAnErrorExit) {
  StandInProcess first(SIMSTANDIN_PATH);
  ASSERT_NE(first.port(), 0);
  StandInProcess second(SIMSTANDIN_PATH, {"--port", std::to_string(first.port())});
  EXPECT_EQ(second.port(), 0);
  EXPECT_EQ(second.WaitForExit(), 1);
}

TEST(StandInProcessLife, BadArgumentsAreRefused) {
  StandInProcess standIn(SIMSTANDIN_PATH, {"--rate", "0"});
  EXPECT_EQ(standIn.port(), 0);
  EXPECT_EQ(standIn.WaitForExit(), 2);
}

}  // namespace
