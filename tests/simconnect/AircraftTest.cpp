// The stand-in's aircraft: each event's effect in the numbers a pilot reads
// off the radios and the autopilot, as its state line shows them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/simstandin/Aircraft.h"

namespace {

// Starting from COM 118.00/121.50 and 119.00/122.80, NAV 108.00/110.50 and
// 109.00/113.45, bug 355, courses 90 and 5, 29.92 inHg, 3000 ft, squawk 1200.
const struct {
  std::vector<std::pair<const char*, std::uint32_t>> events;
  const char* shows;  // consecutive fields of the state line
} kEvents[] = {
    {{{"NAV1_STBY_SET", 0x11150}, {"NAV2_STBY_SET", 0x1345}},
     "nav1_standby=111.50 nav2_active=109.00 nav2_standby=113.45"},
    {{{"NAV1_STBY_SET", 0x11800}, {"NAV2_STBY_SET", 0x1115A}},
     "nav1_standby=110.50 nav2_active=109.00 nav2_standby=113.45"},
    {{{"COM_STBY_RADIO_SET", 0x12345}, {"COM2_STBY_RADIO_SET", 0x3280}},
     "com1_standby=123.45 com2_active=119.00 com2_standby=132.80"},
    {{{"COM_STBY_RADIO_SWAP", 0}, {"COM2_RADIO_SWAP", 0}},
     "com1_active=121.50 com1_standby=118.00 com2_active=122.80 com2_standby=119.00"},
    {{{"NAV1_RADIO_SWAP", 0}, {"NAV2_RADIO_SWAP", 0}},
     "nav1_active=110.50 nav1_standby=108.00 nav2_active=113.45 nav2_standby=109.00"},
    {{{"COM_RADIO_WHOLE_INC", 1}, {"COM2_RADIO_WHOLE_DEC", 1}},
     "com1_standby=122.50 com2_active=119.00 com2_standby=121.80"},
    {{{"COM_STBY_RADIO_SET", 0x13605}, {"COM_RADIO_WHOLE_INC", 1}}, "com1_standby=118.05"},  // wraps within the band
    {{{"COM_STBY_RADIO_SET", 0x11805}, {"COM_RADIO_WHOLE_DEC", 1}}, "com1_standby=136.05"},
    {{{"COM_RADIO_FRACT_INC", 1}, {"COM_RADIO_FRACT_INC", 1}, {"COM2_RADIO_FRACT_DEC", 1}},
     "com1_standby=121.55 com2_active=119.00 com2_standby=122.77"},
    {{{"COM_STBY_RADIO_SET", 0x12195}, {"COM_RADIO_FRACT_INC", 1}, {"COM_RADIO_FRACT_INC", 1}},
     "com1_standby=121.00"},                                                                 // no carry
    {{{"COM_STBY_RADIO_SET", 0x12100}, {"COM_RADIO_FRACT_DEC", 1}}, "com1_standby=121.97"},  // 121.975, no borrow
    {{{"COM2_RADIO_WHOLE_INC", 1}, {"COM_RADIO_FRACT_DEC", 1}},
     "com1_standby=121.47 com2_active=119.00 com2_standby=123.80"},
    {{{"HEADING_BUG_SET", 360}, {"VOR1_SET", 275}, {"VOR2_SET", 185}}, "heading_bug=0 course1=275 course2=185"},
    {{{"KOHLSMAN_INC", 1}, {"KOHLSMAN_DEC", 1}, {"KOHLSMAN_DEC", 1}}, "baro=29.91"},
    {{{"KOHLSMAN_INC", 1}, {"BAROMETRIC_STD_PRESSURE", 0}}, "baro=29.92"},
    {{{"AP_MASTER", 0}, {"AP_PANEL_HEADING_HOLD", 0}, {"AP_PANEL_ALTITUDE_HOLD", 0}},
     "ap_master=1 ap_heading=1 ap_nav1=0 ap_approach=0 ap_altitude=1 ap_vs=0"},
    {{{"AP_MASTER", 0}, {"AP_MASTER", 0}, {"AP_NAV1_HOLD", 0}, {"AP_APR_HOLD", 0}, {"AP_PANEL_VS_HOLD", 0}},
     "ap_master=0 ap_heading=0 ap_nav1=1 ap_approach=1 ap_altitude=0 ap_vs=1"},
    {{{"AP_ALT_VAR_SET_ENGLISH", 5500}, {"AP_VS_VAR_SET_ENGLISH", static_cast<std::uint32_t>(-500)}},
     "ap_alt=5500 ap_vs_fpm=-500"},
    {{{"XPNDR_SET", 0x7700}, {"XPNDR_IDENT_ON", 0}}, "squawk=7700 ident=1"},
    {{{"XPNDR_SET", 0x7800}, {"MobiFlight.AS530_ENT_Push", 0}}, "squawk=1200 ident=0"},  // no 8 on a transponder
};

TEST(StandInAircraft, EventTable) {
  for (const auto& c : kEvents) {
    Aircraft aircraft;
    for (const auto& event : c.events) aircraft.Apply(event.first, event.second, Aircraft::Clock::now());
    const std::string fields = " " + StateFields(aircraft.state()) + " ";
    EXPECT_NE(fields.find(std::string(" ") + c.shows + " "), std::string::npos) << c.shows << "\n" << fields;
  }
}

TEST(StandInAircraft, IdentEndsByItselfAfterEighteenSeconds) {
  Aircraft aircraft;
  aircraft.Apply("XPNDR_IDENT_ON", 0, Aircraft::Clock::time_point{});
  EXPECT_TRUE(aircraft.Advance(Aircraft::Clock::time_point{} + std::chrono::seconds(17)).empty());
  EXPECT_EQ(aircraft.Advance(Aircraft::Clock::time_point{} + std::chrono::seconds(18)).size(), 1u);
}

}  // namespace
