// The stand-in as a program: what it prints, its commands and exits, and the
// bridge's own registration met over the wire.

#include <gtest/gtest.h>
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <thread>

#include "sim/FlightSimInterfaceMSFS.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempFolder.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// The stand-in on a port the system picks, and our client pointed at it.
class StandIn : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(process_.Start({SIMSTANDIN_PATH, "--port", "0", "--rate", "100"}));
    const std::string listening = process_.WaitForLine("listening on 127.0.0.1:");
    ASSERT_NE(listening, "");
    port_ = static_cast<unsigned short>(std::stoi(listening.substr(listening.rfind(':') + 1)));
    folder_.PointAt(port_);
  }
  void TearDown() override { SimConnect_Close(handle_); }

  bool Open() {
    for (const auto end = Clock::now() + 3s; Clock::now() < end; std::this_thread::sleep_for(1ms)) {
      if (SimConnect_Open(&handle_, "Request Data", nullptr, 0, nullptr, 0) >= 0) return true;
    }
    return false;
  }
  // Dispatches until a message reads as `wanted` (see Describe).
  bool Receive(const std::string& wanted, std::chrono::milliseconds limit = 3s) {
    for (const auto end = Clock::now() + limit; Clock::now() < end; std::this_thread::sleep_for(2ms)) {
      if (SimConnect_CallDispatch(handle_, Describe, &seen_) < 0) return false;
      if (std::find(seen_.begin(), seen_.end(), wanted) != seen_.end()) return true;
    }
    return false;
  }
  // A message in a few words: "state 3 PATH", "loaded 105 4294967295 PATH",
  // "exception 7 at 9", "title TEXT" (request 10), "lvars 1 -3" (request 11).
  static void Describe(SIMCONNECT_RECV* message, SimConnectDword size, void* seen) {
    std::string text;
    if (message->dwID == SIMCONNECT_RECV_ID_SYSTEM_STATE) {
      const auto* state = static_cast<SIMCONNECT_RECV_SYSTEM_STATE*>(message);
      text = "state " + std::to_string(state->dwRequestID) + " " + state->szString;
    } else if (message->dwID == SIMCONNECT_RECV_ID_EVENT_FILENAME) {
      const auto* event = static_cast<SIMCONNECT_RECV_EVENT_FILENAME*>(message);
      text =
          "loaded " + std::to_string(event->uEventID) + " " + std::to_string(event->uGroupID) + " " + event->szFileName;
    } else if (message->dwID == SIMCONNECT_RECV_ID_EXCEPTION) {
      const auto* exception = static_cast<SIMCONNECT_RECV_EXCEPTION*>(message);
      text = "exception " + std::to_string(exception->dwException) + " at " + std::to_string(exception->dwSendID);
    } else if (message->dwID == SIMCONNECT_RECV_ID_SIMOBJECT_DATA) {
      const auto* data = static_cast<SIMCONNECT_RECV_SIMOBJECT_DATA*>(message);
      const char* block = reinterpret_cast<const char*>(message) + kSimObjectDataBlockOffset;
      if (data->dwRequestID == 10 && size == kSimObjectDataBlockOffset + 256) text = std::string("title ") + block;
      if (data->dwRequestID == 11 && size == kSimObjectDataBlockOffset + 12) {
        double light;
        std::int32_t counter;
        std::memcpy(&light, block, 8);
        std::memcpy(&counter, block + 8, 4);
        text = "lvars " + std::to_string(static_cast<int>(light)) + " " + std::to_string(counter);
      }
    }
    static_cast<std::vector<std::string>*>(seen)->push_back(text);
  }
  SimConnectDword LastSent() {
    SimConnectDword serial = 0;
    SimConnect_GetLastSentPacketID(handle_, &serial);
    return serial;
  }

  std::vector<std::string> seen_;
  ChildProcess process_;
  TempFolder folder_{/*enter=*/true};
  unsigned short port_ = 0;
  SimConnectHandle handle_ = nullptr;
};

// Dropping clients and quitting on command are the end-to-end tests' part.
TEST_F(StandIn, PrintsItsStateOutlivesItsInputAndRefusesBadArgumentsOrATakenPort) {
  process_.SendLine("state");
  EXPECT_EQ(process_.WaitForLine("state "),
            "state clients=0 events=0 com1_active=118.00 com1_standby=121.50 com2_active=119.00 "
            "com2_standby=122.80 nav1_active=108.00 nav1_standby=110.50 nav2_active=109.00 nav2_standby=113.45 "
            "heading_bug=355 course1=90 course2=5 baro=29.92 ap_master=0 ap_heading=0 ap_nav1=0 ap_approach=0 "
            "ap_altitude=0 ap_vs=0 ap_alt=3000 ap_vs_fpm=0 squawk=1200 ident=0 mapped=0");
  process_.CloseInput();
  ChildProcess taken, badRate;
  ASSERT_TRUE(taken.Start({SIMSTANDIN_PATH, "--port", std::to_string(port_)}));
  ASSERT_TRUE(badRate.Start({SIMSTANDIN_PATH, "--rate", "0"}));
  EXPECT_EQ(taken.WaitForExit(), 1);
  EXPECT_EQ(badRate.WaitForExit(), 2);
  ASSERT_TRUE(Open()) << "still serving after its input closed";
  process_.Signal(SIGTERM);
  EXPECT_EQ(process_.WaitForExit(), 0);
}

// The bridge's own simulator interface through our client: every event and
// variable it registers is known to the stand-in, whose aircraft then fills
// the bridge's mirror (the events it takes are the end-to-end tests' part).
TEST_F(StandIn, BridgeRegistrationMeetsTheStandIn) {
  ASSERT_TRUE(Open());
  msfs.connection = &handle_;
  msfs.Initialize();
  for (const auto end = Clock::now() + 3s; Clock::now() < end && msfs.transponderCode != 0x1200;) {
    ASSERT_GE(SimConnect_CallDispatch(handle_, OnSimMessage, nullptr), 0);
    std::this_thread::sleep_for(5ms);
  }
  process_.SendLine("state");  // the data came after every registration
  EXPECT_NE((process_.WaitForLine("state ") + " ").find(" mapped=104 "), std::string::npos) << "all but number 101";
  EXPECT_EQ(msfs.com1Standby, 121.50);
  EXPECT_EQ(msfs.nav2Standby, 113.45);
  EXPECT_EQ(msfs.headingBug, 355.0);
  EXPECT_EQ(msfs.course2, 5.0);
  EXPECT_EQ(msfs.autopilotAltitude, 3000.0);
  EXPECT_EQ(msfs.transponderCode, 0x1200);
  msfs.connection = nullptr;
}

// The aircraft as a profile-aware client meets it: its identity asked,
// followed and switched; its L:vars read, written by the client and set by
// the aircraft; events of any name, and names no simulator has refused.
TEST_F(StandIn, AircraftIdentityLocalVariablesAndEventsOfAnyName) {
  ASSERT_TRUE(Open());
  const std::string c172 = R"(SimObjects\Airplanes\Asobo_C172sp_AS1000\aircraft.CFG)";
  SimConnect_AddToDataDefinition(handle_, 10, "TITLE", "", SIMCONNECT_DATATYPE_STRING256, 0, SIMCONNECT_UNUSED);
  SimConnect_AddToDataDefinition(handle_, 11, "L:A32NX_FCU_AP_1_LIGHT_ON", "number", SIMCONNECT_DATATYPE_FLOAT64, 0,
                                 SIMCONNECT_UNUSED);
  SimConnect_AddToDataDefinition(handle_, 11, "L:E_FCU_HEADING", "number", SIMCONNECT_DATATYPE_INT32, 0,
                                 SIMCONNECT_UNUSED);
  for (const SimConnectDword request : {10, 11}) {
    SimConnect_RequestDataOnSimObject(handle_, request, request, SIMCONNECT_OBJECT_ID_USER, SIMCONNECT_PERIOD_SIM_FRAME,
                                      SIMCONNECT_DATA_REQUEST_FLAG_CHANGED, 0, 0, 0);
  }
  SimConnect_RequestSystemState(handle_, 3, "AircraftLoaded");
  SimConnect_SubscribeToSystemEvent(handle_, 105, "AircraftLoaded");
  for (const char* name : {"A32NX.FCU_HDG_INC", "#70022", "#0x1116E"}) {
    SimConnect_MapClientEventToSimEvent(handle_, 106 + static_cast<SimConnectDword>(seen_.size()), name);
    seen_.push_back("");  // numbers them 106, 107, 108
  }
  // Refused by name, each naming its own request.
  SimConnect_MapClientEventToSimEvent(handle_, 120, "FCU_HDG_INC");
  const SimConnectDword unknownEvent = LastSent();
  SimConnect_RequestSystemState(handle_, 4, "AircraftLoadedd");
  const SimConnectDword unknownState = LastSent();
  SimConnect_SubscribeToSystemEvent(handle_, 121, "SimStartt");
  const SimConnectDword unknownSystemEvent = LastSent();
  for (const SimConnectDword serial : {unknownEvent, unknownState, unknownSystemEvent}) {
    EXPECT_TRUE(Receive("exception 7 at " + std::to_string(serial))) << serial;
  }
  EXPECT_TRUE(Receive("state 3 " + c172));
  EXPECT_TRUE(Receive("title Cessna Skyhawk G1000 Asobo"));
  EXPECT_TRUE(Receive("lvars 0 0")) << "an L:var never written reads 0";

  unsigned char written[12];  // the definition's layout: FLOAT64 1, INT32 -3
  const double light = 1.0;
  const std::int32_t counter = -3;
  std::memcpy(written, &light, 8);
  std::memcpy(written + 8, &counter, 4);
  EXPECT_GE(SimConnect_SetDataOnSimObject(handle_, 11, SIMCONNECT_OBJECT_ID_USER, 0, 0, 12, written), 0);
  EXPECT_EQ(process_.WaitForLine("lvar L:A32NX"), "lvar L:A32NX_FCU_AP_1_LIGHT_ON = 1");
  EXPECT_EQ(process_.WaitForLine("lvar L:E_FCU"), "lvar L:E_FCU_HEADING = -3");
  EXPECT_TRUE(Receive("lvars 1 -3"));
  SimConnect_SetDataOnSimObject(handle_, 11, 1, 0, 0, 12, written);
  EXPECT_TRUE(Receive("exception 3 at " + std::to_string(LastSent()))) << "only the user's aircraft";
  process_.SendLine("lvar L:E_FCU_HEADING 5");
  EXPECT_TRUE(Receive("lvars 1 5")) << "set as the aircraft would";

  const struct {
    const char* command;
    std::string path, title;
  } switches[] = {
      {"aircraft fenix", R"(SimObjects\Airplanes\FNX_320_CFM\aircraft.CFG)", "Fenix A320 CFM"},
      {"aircraft-title Airbus A320 Neo FlyByWire (livery)", R"(SimObjects\Airplanes\FNX_320_CFM\aircraft.CFG)",
       "Airbus A320 Neo FlyByWire (livery)"},
      {"aircraft-path C:\\Community\\a32nx\\aircraft.cfg", R"(C:\Community\a32nx\aircraft.cfg)",
       "Airbus A320 Neo FlyByWire (livery)"},
      {"aircraft default", c172, "Cessna Skyhawk G1000 Asobo"},
  };
  std::string title = "Cessna Skyhawk G1000 Asobo";
  for (const auto& row : switches) {
    seen_.clear();
    process_.SendLine(row.command);
    EXPECT_TRUE(Receive("loaded 105 4294967295 " + row.path)) << row.command;
    // The TITLE comes again only when it changed.
    EXPECT_EQ(row.title != title, Receive("title " + row.title, row.title != title ? 3000ms : 100ms)) << row.command;
    title = row.title;
  }

  const struct {
    SimConnectDword event, data;
    const char* line;
  } transmitted[] = {{106, 0, "aircraft: custom event A32NX.FCU_HDG_INC 0"},
                     {107, 16384, "aircraft: custom event #70022 16384"},
                     {108, static_cast<SimConnectDword>(-1), "aircraft: custom event #0x1116E -1"}};
  for (const auto& row : transmitted) {
    SimConnect_TransmitClientEvent(handle_, 0, row.event, row.data, SIMCONNECT_GROUP_PRIORITY_HIGHEST,
                                   SIMCONNECT_EVENT_FLAG_GROUPID_IS_PRIORITY);
    EXPECT_EQ(process_.WaitForLine("aircraft: custom"), row.line);
  }
}

}  // namespace
