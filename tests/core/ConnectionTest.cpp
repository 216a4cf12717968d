// What a fresh connection registers, and how arriving data fills the mirror:
// only a whole block of ours, from a message of the kind we asked for.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "tests/support/CoreFixture.h"
#include "tests/support/ObjectData.h"

namespace {

using objectdata::Bytes;

// The client event catalogue by number; 101 is not used, and "" is a private
// event the simulator ignores.
// clang-format off
const char* const kExpectedCatalogue[] = {
    /* 0 */ "COM_STBY_RADIO_SET", "COM2_STBY_RADIO_SET", "NAV1_STBY_SET", "NAV2_STBY_SET", "HEADING_BUG_SET",
    /* 5 */ "VOR1_SET", "VOR2_SET", "XPNDR_SET", "AP_ALT_VAR_SET_ENGLISH", "AP_VS_VAR_SET_ENGLISH", "KOHLSMAN_INC",
    /* 11 */ "KOHLSMAN_DEC", "COM_RADIO_WHOLE_INC", "COM_RADIO_WHOLE_DEC", "COM_RADIO_FRACT_INC",
    /* 15 */ "COM_RADIO_FRACT_DEC", "COM2_RADIO_WHOLE_INC", "COM2_RADIO_WHOLE_DEC", "COM2_RADIO_FRACT_INC",
    /* 19 */ "COM2_RADIO_FRACT_DEC", "MobiFlight.AS530_RightLargeKnob_Right", "MobiFlight.AS530_RightLargeKnob_Left",
    /* 22 */ "MobiFlight.AS530_RightSmallKnob_Right", "MobiFlight.AS530_RightSmallKnob_Left",
    /* 24 */ "MobiFlight.AS530_RNG_Zoom", "MobiFlight.AS530_RNG_Dezoom", "MobiFlight.AS430_RightLargeKnob_Right",
    /* 27 */ "MobiFlight.AS430_RightLargeKnob_Left", "MobiFlight.AS430_RightSmallKnob_Right",
    /* 29 */ "MobiFlight.AS430_RightSmallKnob_Left", "MobiFlight.AS430_RNG_Zoom", "MobiFlight.AS430_RNG_Dezoom",
    /* 32 */ "MobiFlight.AS1000_PFD_FMS_Lower_INC", "MobiFlight.AS1000_PFD_FMS_Lower_DEC",
    /* 34 */ "MobiFlight.AS1000_PFD_FMS_Upper_INC", "MobiFlight.AS1000_PFD_FMS_Upper_DEC",
    /* 36 */ "MobiFlight.AS1000_PFD_RANGE_INC", "MobiFlight.AS1000_PFD_RANGE_DEC",
    /* 38 */ "MobiFlight.AS1000_MFD_FMS_Lower_INC", "MobiFlight.AS1000_MFD_FMS_Lower_DEC",
    /* 40 */ "MobiFlight.AS1000_MFD_FMS_Upper_INC", "MobiFlight.AS1000_MFD_FMS_Upper_DEC",
    /* 42 */ "MobiFlight.AS1000_MFD_RANGE_INC", "MobiFlight.AS1000_MFD_RANGE_DEC",
    /* 44 */ "MobiFlight.AS530_RightSmallKnob_Push", "MobiFlight.AS530_DirectTo_Push", "MobiFlight.AS530_MENU_Push",
    /* 47 */ "MobiFlight.AS530_CLR_Push", "MobiFlight.AS530_ENT_Push", "TOGGLE_GPS_DRIVES_NAV1",
    /* 50 */ "MobiFlight.AS530_OBS_Push", "MobiFlight.AS530_MSG_Push", "MobiFlight.AS530_FPL_Push",
    /* 53 */ "MobiFlight.AS530_VNAV_Push", "MobiFlight.AS530_PROC_Push", "MobiFlight.AS430_RightSmallKnob_Push",
    /* 56 */ "MobiFlight.AS430_DirectTo_Push", "MobiFlight.AS430_MENU_Push", "MobiFlight.AS430_CLR_Push",
    /* 59 */ "MobiFlight.AS430_ENT_Push", "MobiFlight.AS430_CDI_Push", "MobiFlight.AS430_OBS_Push",
    /* 62 */ "MobiFlight.AS430_MSG_Push", "MobiFlight.AS430_FPL_Push", "MobiFlight.AS430_VNAV_Push",
    /* 65 */ "MobiFlight.AS430_PROC_Push", "MobiFlight.AS1000_PFD_FMS_Upper_PUSH", "MobiFlight.AS1000_PFD_DIRECTTO",
    /* 68 */ "MobiFlight.AS1000_PFD_MENU_Push", "MobiFlight.AS1000_PFD_CLR", "MobiFlight.AS1000_PFD_ENT_Push", "", "",
    /* 73 */ "", "MobiFlight.AS1000_PFD_FPL_Push", "", "MobiFlight.AS1000_PFD_PROC_Push",
    /* 77 */ "MobiFlight.AS1000_MFD_FMS_Upper_PUSH", "MobiFlight.AS1000_MFD_DIRECTTO",
    /* 79 */ "MobiFlight.AS1000_MFD_MENU_Push", "MobiFlight.AS1000_MFD_CLR", "MobiFlight.AS1000_MFD_ENT_Push", "", "",
    /* 84 */ "", "MobiFlight.AS1000_MFD_FPL_Push", "", "MobiFlight.AS1000_MFD_PROC_Push", "COM_STBY_RADIO_SWAP",
    /* 89 */ "COM2_RADIO_SWAP", "NAV1_RADIO_SWAP", "NAV2_RADIO_SWAP", "BAROMETRIC_STD_PRESSURE",
    /* 93 */ "MobiFlight.AS1000_PFD_HEADING_SYNC", "XPNDR_IDENT_ON", "AP_MASTER", "AP_PANEL_HEADING_HOLD",
    /* 97 */ "AP_NAV1_HOLD", "AP_APR_HOLD", "AP_PANEL_ALTITUDE_HOLD", "AP_PANEL_VS_HOLD", nullptr,
    /* 102 */ "MobiFlight.C_172_AP_FLC", "MobiFlight.C_172_AP_NOSE_UP", "MobiFlight.C_172_AP_NOSE_DN",
};
// clang-format on

// Definition, variable, unit, data type (4 FLOAT64, 1 INT32), in registration order.
const struct ExpectedDatum {
  std::uint32_t definition;
  const char *variable, *unit;
  std::uint32_t type;
  // clang-format off
} kExpectedDefinitions[] = {
    {0, "COM STANDBY FREQUENCY:1", "MHz", 4},     {0, "COM STANDBY FREQUENCY:2", "MHz", 4},
    {0, "NAV STANDBY FREQUENCY:1", "MHz", 4},     {0, "NAV STANDBY FREQUENCY:2", "MHz", 4},
    {0, "AUTOPILOT HEADING LOCK DIR", "degrees", 4}, {0, "NAV OBS:1", "degrees", 4},
    {0, "NAV OBS:2", "degrees", 4},               {1, "AUTOPILOT ALTITUDE LOCK VAR", "feet", 4},
    {1, "AUTOPILOT VERTICAL HOLD VAR", "feet/minute", 4}, {1, "TRANSPONDER CODE:1", "BCO16", 1},
    {1, "AUTOPILOT MASTER", "Bool", 1},           {1, "AUTOPILOT HEADING LOCK", "Bool", 1},
    {1, "AUTOPILOT NAV1 LOCK", "Bool", 1},        {1, "AUTOPILOT APPROACH HOLD", "Bool", 1},
    {1, "AUTOPILOT ALTITUDE LOCK", "Bool", 1},    {1, "AUTOPILOT VERTICAL HOLD", "Bool", 1},
};
// clang-format on

TEST_F(CoreTest, RegistersTheCatalogueDefinitionsAndRequestsOnEveryNewConnection) {
  for (int connection = 0; connection < 2; ++connection) {
    ConnectFakeSimulator();
    msfs.Initialize();
    const auto& calls = fakesim::Calls();
    ASSERT_EQ(calls.size(), 104u + 16 + 2 + 4);
    auto call = calls.begin();
    for (std::uint32_t event = 0; event < 105; ++event) {
      if (kExpectedCatalogue[event] == nullptr) continue;
      EXPECT_EQ(call->numbers[0], event);
      EXPECT_EQ((call++)->texts[0], kExpectedCatalogue[event]) << "event " << event;
    }
    for (const ExpectedDatum& datum : kExpectedDefinitions) {
      EXPECT_EQ(call->numbers, (std::vector<std::uint32_t>{datum.definition, datum.type, 0xFFFFFFFFu}));
      EXPECT_EQ(call->epsilon, 0.0f);
      EXPECT_EQ((call++)->texts, (std::vector<std::string>{datum.variable, datum.unit}));
    }
    for (std::uint32_t request = 0; request < 2; ++request, ++call) {  // both definitions every frame
      EXPECT_EQ(call->function, "SimConnect_RequestDataOnSimObject");
      EXPECT_EQ(call->numbers, (std::vector<std::uint32_t>{request, request, 0, 3, 0, 0, 0, 0}));
    }
    // Then, and only then, who the aircraft is: its title whenever it
    // changes, and the file it was loaded from, now and at every load.
    EXPECT_EQ(call->numbers, (std::vector<std::uint32_t>{2, 9, 0xFFFFFFFFu}));
    EXPECT_EQ((call++)->texts[0], "TITLE");
    EXPECT_EQ((call++)->numbers, (std::vector<std::uint32_t>{2, 2, 0, 3, 1, 0, 0, 0}));
    EXPECT_EQ(call->function, "SimConnect_SubscribeToSystemEvent");
    EXPECT_EQ((call++)->texts, (std::vector<std::string>{"AircraftLoaded"}));
    EXPECT_EQ(call->function, "SimConnect_RequestSystemState");
    EXPECT_EQ((call++)->texts, (std::vector<std::string>{"AircraftLoaded"}));
    EXPECT_EQ(fakesim::CallsOnClosedHandles(), 0);  // each on the connection just opened
    SimConnect_Close(connectionHandle);
  }
}

// Hands a message over as the dispatch does: in a buffer of exactly its
// size, so that the sanitizers see any read past its end.
void Deliver(const Bytes& message) {
  std::unique_ptr<unsigned char[]> copy(new unsigned char[message.size()]);
  if (!message.empty()) std::memcpy(copy.get(), message.data(), message.size());
  OnSimMessage(reinterpret_cast<SIMCONNECT_RECV*>(copy.get()), static_cast<SimConnectDword>(message.size()), nullptr);
}

TEST_F(CoreTest, DataMessagesFillTheMirrorFieldByFieldAndEveryFlagLightsItsLamp) {
  Deliver(objectdata::Definition0({118.0, 121.5, 110.5, 113.0, 270.0, 90.0, 180.0, 999.0}));  // one value too many
  Deliver(objectdata::Definition1(4500.0, -500.0, {0x1200, 1, 0, 1, 0, 1, 0}));
  EXPECT_EQ(
      (std::vector<double>{msfs.com1Standby, msfs.com2Standby, msfs.nav1Standby, msfs.nav2Standby, msfs.headingBug,
                           msfs.course1, msfs.course2, msfs.autopilotAltitude, msfs.autopilotVerticalSpeed}),
      (std::vector<double>{118.0, 121.5, 110.5, 113.0, 270.0, 90.0, 180.0, 4500.0, -500.0}));
  EXPECT_EQ((std::vector<std::int32_t>{msfs.transponderCode, msfs.autopilotMaster, msfs.headingHold, msfs.nav1Hold,
                                       msfs.approachHold, msfs.altitudeHold, msfs.verticalSpeedHold}),
            (std::vector<std::int32_t>{0x1200, 1, 0, 1, 0, 1, 0}));
  for (int flags = 0; flags < 64; ++flags) {
    std::vector<std::int32_t> integers = {0x7000};
    for (int bit = 0; bit < 6; ++bit) integers.push_back((flags >> bit) & 1 ? (bit % 2 ? 2 : INT32_MIN) : 0);
    Deliver(objectdata::Definition1(0, 0, integers));
    EXPECT_EQ(msfs.GetAutopilotLamps(), flags);
  }
}

Bytes Words(std::vector<std::uint32_t> words, std::size_t replaceAt = 0, const Bytes& in = {}) {
  Bytes bytes = in.empty() ? Bytes(words.size() * 4) : in;
  std::memcpy(bytes.data() + replaceAt, words.data(), words.size() * 4);
  return bytes;
}

TEST_F(CoreTest, MessagesThatAreNotAWholeBlockOfOursChangeNothing) {
  const Bytes data0 = objectdata::Definition0({1, 2, 3, 4, 5, 6, 7});
  const Bytes data1 = objectdata::Definition1(3000, 0, {0x7700, 1, 1, 1, 1, 1, 1});
  // clang-format off
  std::vector<Bytes> messages = {
      objectdata::Message(2, objectdata::Float64s({1, 2, 3, 4, 5, 6, 7})),
      Words({95}, 0, data0), Words({83}, 0, data1),  // claiming a byte less than their block
      Words({24, 5, 4, 0, 95, 0}),                   // an event notification of group 0
      Words({24, 5, 1, 3, 7, 1}),                    // an exception
      Words({12, 5, 8}),                             // a header alone
  };
  // clang-format on
  for (std::uint32_t kind : {0u, 1u, 2u, 3u, 4u, 5u, 7u, 9u, 0xFFFFFFFFu}) messages.push_back(Words({kind}, 8, data0));
  for (const Bytes& full : {data0, data1}) {
    for (std::size_t cut = 0; cut < full.size(); ++cut) messages.emplace_back(full.begin(), full.begin() + cut);
  }
  for (const Bytes& message : messages) {
    Deliver(message);
    EXPECT_EQ(msfs.com1Standby + msfs.course2 + msfs.autopilotAltitude + msfs.transponderCode, 0.0) << message.size();
    EXPECT_EQ(msfs.GetAutopilotLamps(), 0) << message.size();
  }
  OnSimMessage(nullptr, 100, nullptr);
}

}  // namespace
