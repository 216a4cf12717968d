// What a fresh connection registers, and how arriving data fills the mirror:
// only a whole block of ours, from a message of the kind we asked for.

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <memory>

#include "tests/support/ObjectData.h"

#include "sim/FlightSimInterfaceMSFS.h"
#include "tests/support/CoreFixture.h"

namespace {

using objectdata::Bytes;

// The client event catalogue, written out by number.
const std::map<std::uint32_t, std::string> kExpectedCatalogue = {
    {0, "COM_STBY_RADIO_SET"}, {1, "COM2_STBY_RADIO_SET"}, {2, "NAV1_STBY_SET"}, {3, "NAV2_STBY_SET"},
    {4, "HEADING_BUG_SET"}, {5, "VOR1_SET"}, {6, "VOR2_SET"}, {7, "XPNDR_SET"}, {8, "AP_ALT_VAR_SET_ENGLISH"},
    {9, "AP_VS_VAR_SET_ENGLISH"}, {10, "KOHLSMAN_INC"}, {11, "KOHLSMAN_DEC"}, {12, "COM_RADIO_WHOLE_INC"},
    {13, "COM_RADIO_WHOLE_DEC"}, {14, "COM_RADIO_FRACT_INC"}, {15, "COM_RADIO_FRACT_DEC"},
    {16, "COM2_RADIO_WHOLE_INC"}, {17, "COM2_RADIO_WHOLE_DEC"}, {18, "COM2_RADIO_FRACT_INC"},
    {19, "COM2_RADIO_FRACT_DEC"}, {20, "MobiFlight.AS530_RightLargeKnob_Right"},
    {21, "MobiFlight.AS530_RightLargeKnob_Left"}, {22, "MobiFlight.AS530_RightSmallKnob_Right"},
    {23, "MobiFlight.AS530_RightSmallKnob_Left"}, {24, "MobiFlight.AS530_RNG_Zoom"},
    {25, "MobiFlight.AS530_RNG_Dezoom"}, {26, "MobiFlight.AS430_RightLargeKnob_Right"},
    {27, "MobiFlight.AS430_RightLargeKnob_Left"}, {28, "MobiFlight.AS430_RightSmallKnob_Right"},
    {29, "MobiFlight.AS430_RightSmallKnob_Left"}, {30, "MobiFlight.AS430_RNG_Zoom"},
    {31, "MobiFlight.AS430_RNG_Dezoom"}, {32, "MobiFlight.AS1000_PFD_FMS_Lower_INC"},
    {33, "MobiFlight.AS1000_PFD_FMS_Lower_DEC"}, {34, "MobiFlight.AS1000_PFD_FMS_Upper_INC"},
    {35, "MobiFlight.AS1000_PFD_FMS_Upper_DEC"}, {36, "MobiFlight.AS1000_PFD_RANGE_INC"},
    {37, "MobiFlight.AS1000_PFD_RANGE_DEC"}, {38, "MobiFlight.AS1000_MFD_FMS_Lower_INC"},
    {39, "MobiFlight.AS1000_MFD_FMS_Lower_DEC"}, {40, "MobiFlight.AS1000_MFD_FMS_Upper_INC"},
    {41, "MobiFlight.AS1000_MFD_FMS_Upper_DEC"}, {42, "MobiFlight.AS1000_MFD_RANGE_INC"},
    {43, "MobiFlight.AS1000_MFD_RANGE_DEC"}, {44, "MobiFlight.AS530_RightSmallKnob_Push"},
    {45, "MobiFlight.AS530_DirectTo_Push"}, {46, "MobiFlight.AS530_MENU_Push"}, {47, "MobiFlight.AS530_CLR_Push"},
    {48, "MobiFlight.AS530_ENT_Push"}, {49, "TOGGLE_GPS_DRIVES_NAV1"}, {50, "MobiFlight.AS530_OBS_Push"},
    {51, "MobiFlight.AS530_MSG_Push"}, {52, "MobiFlight.AS530_FPL_Push"}, {53, "MobiFlight.AS530_VNAV_Push"},
    {54, "MobiFlight.AS530_PROC_Push"}, {55, "MobiFlight.AS430_RightSmallKnob_Push"},
    {56, "MobiFlight.AS430_DirectTo_Push"}, {57, "MobiFlight.AS430_MENU_Push"}, {58, "MobiFlight.AS430_CLR_Push"},
    {59, "MobiFlight.AS430_ENT_Push"}, {60, "MobiFlight.AS430_CDI_Push"}, {61, "MobiFlight.AS430_OBS_Push"},
    {62, "MobiFlight.AS430_MSG_Push"}, {63, "MobiFlight.AS430_FPL_Push"}, {64, "MobiFlight.AS430_VNAV_Push"},
    {65, "MobiFlight.AS430_PROC_Push"}, {66, "MobiFlight.AS1000_PFD_FMS_Upper_PUSH"},
    {67, "MobiFlight.AS1000_PFD_DIRECTTO"}, {68, "MobiFlight.AS1000_PFD_MENU_Push"},
    {69, "MobiFlight.AS1000_PFD_CLR"}, {70, "MobiFlight.AS1000_PFD_ENT_Push"}, {71, ""}, {72, ""}, {73, ""},
    {74, "MobiFlight.AS1000_PFD_FPL_Push"}, {75, ""}, {76, "MobiFlight.AS1000_PFD_PROC_Push"},
    {77, "MobiFlight.AS1000_MFD_FMS_Upper_PUSH"}, {78, "MobiFlight.AS1000_MFD_DIRECTTO"},
    {79, "MobiFlight.AS1000_MFD_MENU_Push"}, {80, "MobiFlight.AS1000_MFD_CLR"},
    {81, "MobiFlight.AS1000_MFD_ENT_Push"}, {82, ""}, {83, ""}, {84, ""}, {85, "MobiFlight.AS1000_MFD_FPL_Push"},
    {86, ""}, {87, "MobiFlight.AS1000_MFD_PROC_Push"}, {88, "COM_STBY_RADIO_SWAP"}, {89, "COM2_RADIO_SWAP"},
    {90, "NAV1_RADIO_SWAP"}, {91, "NAV2_RADIO_SWAP"}, {92, "BAROMETRIC_STD_PRESSURE"},
    {93, "MobiFlight.AS1000_PFD_HEADING_SYNC"}, {94, "XPNDR_IDENT_ON"}, {95, "AP_MASTER"},
    {96, "AP_PANEL_HEADING_HOLD"}, {97, "AP_NAV1_HOLD"}, {98, "AP_APR_HOLD"}, {99, "AP_PANEL_ALTITUDE_HOLD"},
    {100, "AP_PANEL_VS_HOLD"}, {102, "MobiFlight.C_172_AP_FLC"}, {103, "MobiFlight.C_172_AP_NOSE_UP"},
    {104, "MobiFlight.C_172_AP_NOSE_DN"},
};

struct ExpectedDatum {
  std::uint32_t definition;
  const char* variable;
  const char* unit;
  std::uint32_t type;  // 4 FLOAT64, 1 INT32
};

const ExpectedDatum kExpectedDefinitions[] = {
    {0, "COM STANDBY FREQUENCY:1", "MHz", 4},     {0, "COM STANDBY FREQUENCY:2", "MHz", 4},
    {0, "NAV STANDBY FREQUENCY:1", "MHz", 4},     {0, "NAV STANDBY FREQUENCY:2", "MHz", 4},
    {0, "AUTOPILOT HEADING LOCK DIR", "degrees", 4}, {0, "NAV OBS:1", "degrees", 4},
    {0, "NAV OBS:2", "degrees", 4},               {1, "AUTOPILOT ALTITUDE LOCK VAR", "feet", 4},
    {1, "AUTOPILOT VERTICAL HOLD VAR", "feet/minute", 4}, {1, "TRANSPONDER CODE:1", "BCO16", 1},
    {1, "AUTOPILOT MASTER", "Bool", 1},           {1, "AUTOPILOT HEADING LOCK", "Bool", 1},
    {1, "AUTOPILOT NAV1 LOCK", "Bool", 1},        {1, "AUTOPILOT APPROACH HOLD", "Bool", 1},
    {1, "AUTOPILOT ALTITUDE LOCK", "Bool", 1},    {1, "AUTOPILOT VERTICAL HOLD", "Bool", 1},
};

TEST_F(CoreTest, RegistersTheCatalogueDefinitionsAndRequestsOnEveryNewConnection) {
  ConnectFakeSimulator();
  for (int connection = 0; connection < 2; ++connection) {
    msfs.Initialize();
    const auto maps = fakesim::CallsTo("SimConnect_MapClientEventToSimEvent");
    ASSERT_EQ(maps.size(), kExpectedCatalogue.size());
    auto expected = kExpectedCatalogue.begin();
    for (const auto& call : maps) {
      EXPECT_EQ(call.handle, connectionHandle);
      EXPECT_EQ(call.numbers[0], expected->first);
      EXPECT_EQ(call.texts[0], expected->second) << "event " << expected->first;
      ++expected;
    }
    const auto adds = fakesim::CallsTo("SimConnect_AddToDataDefinition");
    ASSERT_EQ(adds.size(), 16u);
    for (size_t i = 0; i < adds.size(); ++i) {
      const ExpectedDatum& want = kExpectedDefinitions[i];
      EXPECT_EQ(adds[i].numbers, (std::vector<std::uint32_t>{want.definition, want.type, 0xFFFFFFFFu})) << i;
      EXPECT_EQ(adds[i].texts, (std::vector<std::string>{want.variable, want.unit})) << i;
      EXPECT_EQ(adds[i].epsilon, 0.0f) << i;
    }
    // Both definitions every frame, after they are defined.
    const auto& calls = fakesim::Calls();
    ASSERT_EQ(calls.size(), maps.size() + 18);
    for (std::uint32_t r = 0; r < 2; ++r) {
      EXPECT_EQ(calls[calls.size() - 2 + r].function, "SimConnect_RequestDataOnSimObject");
      EXPECT_EQ(calls[calls.size() - 2 + r].numbers, (std::vector<std::uint32_t>{r, r, 0, 3, 0, 0, 0, 0}));
    }
    EXPECT_EQ(fakesim::CallsOnClosedHandles(), 0);
    DisconnectFakeSimulator();
    ConnectFakeSimulator();
  }
}

// Hands a message over as the dispatch does: in a buffer of exactly its
// size, so that the sanitizers see any read past its end.
void Deliver(const Bytes& message) {
  std::unique_ptr<unsigned char[]> copy(new unsigned char[message.size()]);
  if (!message.empty()) std::memcpy(copy.get(), message.data(), message.size());
  OnSimMessage(reinterpret_cast<SIMCONNECT_RECV*>(copy.get()), static_cast<SimConnectDword>(message.size()), nullptr);
}

// Every mirror field as bits, so that NaN compares equal to itself.
std::vector<std::uint64_t> Mirror(const FlightSimInterfaceMSFS& m = msfs) {
  const double floats[] = {m.com1Standby, m.com2Standby, m.nav1Standby,       m.nav2Standby,           m.headingBug,
                           m.course1,     m.course2,     m.autopilotAltitude, m.autopilotVerticalSpeed};
  std::vector<std::uint64_t> fields(9);
  std::memcpy(fields.data(), floats, sizeof floats);
  for (std::int32_t v : {m.transponderCode, m.autopilotMaster, m.headingHold, m.nav1Hold, m.approachHold,
                         m.altitudeHold, m.verticalSpeedHold}) {
    fields.push_back(static_cast<std::uint32_t>(v));
  }
  return fields;
}

TEST_F(CoreTest, DataMessagesFillTheMirrorFieldByField) {
  Deliver(objectdata::Definition0({118.0, 121.5, 110.5, 113.0, 270.0, 90.0, 180.0, 999.0}));  // one value too many
  Deliver(objectdata::Definition1(4500.0, -500.0, {0x1200, 1, 0, 1, 0, 1, 0}));
  FlightSimInterfaceMSFS expected;
  expected.com1Standby = 118.0;
  expected.com2Standby = 121.5;
  expected.nav1Standby = 110.5;
  expected.nav2Standby = 113.0;
  expected.headingBug = 270.0;
  expected.course1 = 90.0;
  expected.course2 = 180.0;
  expected.autopilotAltitude = 4500.0;
  expected.autopilotVerticalSpeed = -500.0;
  expected.transponderCode = 0x1200;
  expected.autopilotMaster = expected.nav1Hold = expected.altitudeHold = 1;
  EXPECT_EQ(Mirror(), Mirror(expected));
}

TEST_F(CoreTest, EveryNonZeroFlagLightsItsLampAndNothingElse) {
  for (int flags = 0; flags < 64; ++flags) {
    std::vector<std::int32_t> ints = {0x7000};
    for (int bit = 0; bit < 6; ++bit) ints.push_back((flags >> bit) & 1 ? (bit % 2 ? 2 : INT32_MIN) : 0);
    Deliver(objectdata::Definition1(0, 0, ints));
    EXPECT_EQ(msfs.GetAutopilotLamps(), flags);
  }
}

Bytes Words(std::vector<std::uint32_t> words) {
  Bytes bytes(words.size() * 4);
  std::memcpy(bytes.data(), words.data(), bytes.size());
  return bytes;
}

Bytes WithWord(Bytes message, std::size_t at, std::uint32_t word) {
  std::memcpy(message.data() + at, &word, 4);
  return message;
}

TEST_F(CoreTest, MessagesThatAreNotAWholeBlockOfOursChangeNothing) {
  Deliver(objectdata::Definition0({118.0, 121.5, 110.5, 113.0, 270.0, 90.0, 180.0}));
  const auto before = Mirror();
  const Bytes data0 = objectdata::Definition0({1, 2, 3, 4, 5, 6, 7});
  const Bytes data1 = objectdata::Definition1(3000, 0, {0x7700, 1, 1, 1, 1, 1, 1});
  std::vector<Bytes> messages = {
      objectdata::Message(2, objectdata::Float64s({1, 2, 3, 4, 5, 6, 7})),
      WithWord(data0, 0, 95),  // claims one byte less than its block
      WithWord(data1, 0, 83),
      Words({24, 5, 4, 0, 95, 0}),  // an event notification of group 0
      Words({24, 5, 1, 3, 7, 1}),   // an exception
      Words({12, 5, 3}),            // quit
      Words({12, 5, 8}),            // a header alone
      Bytes{},
  };
  for (std::uint32_t kind : {0u, 1u, 2u, 3u, 4u, 5u, 7u, 9u, 0xFFFFFFFFu}) messages.push_back(WithWord(data0, 8, kind));
  for (const Bytes& full : {data0, data1}) {
    for (std::size_t length = 0; length < full.size(); ++length) messages.emplace_back(full.begin(), full.begin() + length);
  }
  for (const Bytes& message : messages) {
    Deliver(message);
    EXPECT_EQ(Mirror(), before) << "message of " << message.size() << " bytes";
  }
  OnSimMessage(nullptr, 100, nullptr);
  EXPECT_EQ(Mirror(), before);
}

}  // namespace
