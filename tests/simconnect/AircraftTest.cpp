// The stand-in's aircraft: each event's effect in the numbers a pilot reads
// off the radios and the autopilot.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/simstandin/Aircraft.h"

namespace {

struct EventStep {
  const char* event;
  std::uint32_t data;
};

struct AircraftCase {
  const char* name;
  std::vector<EventStep> steps;
  const char* key;       // a key of the state line
  const char* expected;  // its value after the steps
};

const AircraftCase kCases[] = {
    {"NAV1 set as BCD with the leading 1", {{"NAV1_STBY_SET", 0x11150}}, "nav1_standby", "111.50"},
    {"NAV2 set in the four-digit form", {{"NAV2_STBY_SET", 0x1345}}, "nav2_standby", "113.45"},
    {"NAV set outside the band is refused", {{"NAV1_STBY_SET", 0x11800}}, "nav1_standby", "110.50"},
    {"NAV set with a non-digit nibble is refused", {{"NAV1_STBY_SET", 0x1115A}}, "nav1_standby", "110.50"},
    {"COM1 set", {{"COM_STBY_RADIO_SET", 0x12345}}, "com1_standby", "123.45"},
    {"COM2 set, four digits", {{"COM2_STBY_RADIO_SET", 0x3280}}, "com2_standby", "132.80"},
    {"COM1 swap: active", {{"COM_STBY_RADIO_SWAP", 0}}, "com1_active", "121.50"},
    {"COM1 swap: standby", {{"COM_STBY_RADIO_SWAP", 0}}, "com1_standby", "118.00"},
    {"COM2 swap", {{"COM2_RADIO_SWAP", 0}}, "com2_active", "122.80"},
    {"NAV1 swap", {{"NAV1_RADIO_SWAP", 0}}, "nav1_active", "110.50"},
    {"NAV2 swap", {{"NAV2_RADIO_SWAP", 0}}, "nav2_standby", "109.00"},
    {"COM1 whole up", {{"COM_RADIO_WHOLE_INC", 1}}, "com1_standby", "122.50"},
    {"COM1 whole down", {{"COM_RADIO_WHOLE_DEC", 1}}, "com1_standby", "120.50"},
    {"COM whole wraps 136 to 118", {{"COM_STBY_RADIO_SET", 0x13605}, {"COM_RADIO_WHOLE_INC", 1}}, "com1_standby", "118.05"},
    {"COM whole wraps 118 to 136", {{"COM_STBY_RADIO_SET", 0x11805}, {"COM_RADIO_WHOLE_DEC", 1}}, "com1_standby", "136.05"},
    {"COM fraction up 25 kHz", {{"COM_RADIO_FRACT_INC", 1}, {"COM_RADIO_FRACT_INC", 1}}, "com1_standby", "121.55"},
    {"COM fraction down 25 kHz", {{"COM_RADIO_FRACT_DEC", 1}}, "com1_standby", "121.47"},
    {"COM fraction wraps without carry", {{"COM_STBY_RADIO_SET", 0x12195}, {"COM_RADIO_FRACT_INC", 1}, {"COM_RADIO_FRACT_INC", 1}},
     "com1_standby", "121.00"},
    {"COM fraction wraps down without borrow", {{"COM_STBY_RADIO_SET", 0x12100}, {"COM_RADIO_FRACT_DEC", 1}}, "com1_standby",
     "121.97"},
    {"COM2 whole up", {{"COM2_RADIO_WHOLE_INC", 1}}, "com2_standby", "123.80"},
    {"COM2 fraction down", {{"COM2_RADIO_FRACT_DEC", 1}}, "com2_standby", "122.77"},
    {"heading bug set", {{"HEADING_BUG_SET", 90}}, "heading_bug", "90"},
    {"heading bug 360 is north", {{"HEADING_BUG_SET", 360}}, "heading_bug", "0"},
    {"course 1 set", {{"VOR1_SET", 275}}, "course1", "275"},
    {"course 2 set", {{"VOR2_SET", 185}}, "course2", "185"},
    {"baro up one step", {{"KOHLSMAN_INC", 1}}, "baro", "29.93"},
    {"baro down two steps", {{"KOHLSMAN_DEC", 1}, {"KOHLSMAN_DEC", 1}}, "baro", "29.90"},
    {"standard pressure", {{"KOHLSMAN_INC", 1}, {"BAROMETRIC_STD_PRESSURE", 0}}, "baro", "29.92"},
    {"autopilot master on", {{"AP_MASTER", 0}}, "ap_master", "1"},
    {"autopilot master toggles off", {{"AP_MASTER", 0}, {"AP_MASTER", 0}}, "ap_master", "0"},
    {"heading hold", {{"AP_PANEL_HEADING_HOLD", 0}}, "ap_heading", "1"},
    {"NAV1 hold", {{"AP_NAV1_HOLD", 0}}, "ap_nav1", "1"},
    {"approach hold", {{"AP_APR_HOLD", 0}}, "ap_approach", "1"},
    {"altitude hold", {{"AP_PANEL_ALTITUDE_HOLD", 0}}, "ap_altitude", "1"},
    {"vertical speed hold", {{"AP_PANEL_VS_HOLD", 0}}, "ap_vs", "1"},
    {"autopilot altitude", {{"AP_ALT_VAR_SET_ENGLISH", 5500}}, "ap_alt", "5500"},
    {"descent rate", {{"AP_VS_VAR_SET_ENGLISH", static_cast<std::uint32_t>(-500)}}, "ap_vs_fpm", "-500"},
    {"squawk emergency", {{"XPNDR_SET", 0x7700}}, "squawk", "7700"},
    {"squawk with an 8 is refused", {{"XPNDR_SET", 0x7800}}, "squawk", "1200"},
    {"ident", {{"XPNDR_IDENT_ON", 0}}, "ident", "1"},
    {"custom event changes nothing", {{"MobiFlight.AS530_ENT_Push", 0}}, "nav1_standby", "110.50"},
};

std::string Field(const std::string& fields, const std::string& key) {
  const std::string needle = key + "=";
  std::size_t at = fields.find(needle);
  while (at != std::string::npos && at != 0 && fields[at - 1] != ' ') at = fields.find(needle, at + 1);
  if (at == std::string::npos) return "<missing>";
  const std::size_t end = fields.find(' ', at);
  return fields.substr(at + needle.size(), end == std::string::npos ? std::string::npos : end - at - needle.size());
}

TEST(StandInAircraft, EventTable) {
  for (const AircraftCase& c : kCases) {
    Aircraft aircraft;
    for (const EventStep& step : c.steps) aircraft.Apply(step.event, step.data, Aircraft::Clock::now());
    EXPECT_EQ(Field(StateFields(aircraft.state()), c.key), c.expected) << c.name;
  }
}

TEST(StandInAircraft, InitialState) {
  const std::string fields = StateFields(Aircraft().state());
  EXPECT_EQ(fields,
            "com1_active=118.00 com1_standby=121.50 com2_active=119.00 com2_standby=122.80 "
            "nav1_active=108.00 nav1_standby=110.50 nav2_active=109.00 nav2_standby=113.45 "
            "heading_bug=355 course1=90 course2=5 baro=29.92 "
            "ap_master=0 ap_heading=0 ap_nav1=0 ap_approach=0 ap_altitude=0 ap_vs=0 "
            "ap_alt=3000 ap_vs_fpm=0 squawk=1200 ident=0");
}

TEST(StandInAircraft, ChangesAreDescribedForTheLog) {
  Aircraft aircraft;
  const EventOutcome tuned = aircraft.Apply("NAV1_STBY_SET", 0x11150, Aircraft::Clock::now());
  ASSERT_EQ(tuned.changes.size(), 1u);
  EXPECT_EQ(tuned.changes[0], "NAV1 standby 110.50 -> 111.50");
  EXPECT_TRUE(aircraft.Apply("NAV1_STBY_SET", 0x11150, Aircraft::Clock::now()).changes.empty())
      << "the same value again is no change";
  EXPECT_EQ(aircraft.Apply("MobiFlight.AS530_ENT_Push", 0, Aircraft::Clock::now()).kind, EventOutcome::kCustom);
  EXPECT_EQ(aircraft.Apply("TOGGLE_GPS_DRIVES_NAV1", 0, Aircraft::Clock::now()).kind, EventOutcome::kUnknown);
  EXPECT_EQ(aircraft.Apply("XPNDR_SET", 0x9999, Aircraft::Clock::now()).kind, EventOutcome::kRejected);
}

TEST(StandInAircraft, IdentEndsByItselfAfterEighteenSeconds) {
  Aircraft aircraft;
  const auto start = Aircraft::Clock::now();
  aircraft.Apply("XPNDR_IDENT_ON", 0, start);
  Aircraft::Clock::time_point when;
  ASSERT_TRUE(aircraft.NextChange(&when));
  EXPECT_TRUE(aircraft.Advance(start + std::chrono::seconds(17)).empty());
  EXPECT_TRUE(aircraft.state().ident);
  EXPECT_EQ(aircraft.Advance(start + std::chrono::seconds(18)), std::vector<std::string>{"transponder ident off"});
  EXPECT_FALSE(aircraft.state().ident);
  EXPECT_FALSE(aircraft.NextChange(&when));
}

struct VariableCase {
  const char* name;
  const char* units;
  double expected;
};

TEST(StandInAircraft, VariablesInTheirUnits) {
  Aircraft aircraft;
  const VariableCase cases[] = {
      {"COM STANDBY FREQUENCY:1", "MHz", 121.5},
      {"COM STANDBY FREQUENCY:2", "MHz", 122.8},
      {"COM ACTIVE FREQUENCY:1", "kHz", 118000.0},
      {"NAV STANDBY FREQUENCY:1", "MHz", 110.5},
      {"NAV STANDBY FREQUENCY:2", "MHz", 113.45},
      {"NAV ACTIVE FREQUENCY:2", "Hz", 109000000.0},
      {"AUTOPILOT HEADING LOCK DIR", "degrees", 355.0},
      {"NAV OBS:1", "degrees", 90.0},
      {"NAV OBS:2", "degrees", 5.0},
      {"KOHLSMAN SETTING HG", "inHg", 29.92},
      {"AUTOPILOT ALTITUDE LOCK VAR", "feet", 3000.0},
      {"AUTOPILOT ALTITUDE LOCK VAR", "meters", 914.4},
      {"AUTOPILOT VERTICAL HOLD VAR", "feet/minute", 0.0},
      {"TRANSPONDER CODE:1", "BCO16", 0x1200},
      {"TRANSPONDER CODE:1", "number", 1200},
      {"AUTOPILOT MASTER", "Bool", 0.0},
      {"PLANE ALTITUDE", "feet", 0.0},  // not simulated
  };
  for (const VariableCase& c : cases) {
    EXPECT_NEAR(aircraft.Read(c.name, c.units), c.expected, 1e-6) << c.name << " in " << c.units;
  }
}

}  // namespace
