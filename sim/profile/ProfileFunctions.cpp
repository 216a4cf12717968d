#include "sim/profile/ProfileFunctions.h"

namespace profile {

namespace {

struct KnobRow {
  const char* name;
  // What each function does with no profile: [outer inc, outer dec, inner inc, inner dec].
  const char* builtIn[4];
};

constexpr KnobRow kKnobs[kKnobCount] = {
    {"com1",
     {"COM 1 standby +1 MHz (COM_RADIO_WHOLE_INC)", "COM 1 standby -1 MHz (COM_RADIO_WHOLE_DEC)",
      "COM 1 standby next channel (COM_RADIO_FRACT_INC)", "COM 1 standby previous channel (COM_RADIO_FRACT_DEC)"}},
    {"com2",
     {"COM 2 standby +1 MHz (COM2_RADIO_WHOLE_INC)", "COM 2 standby -1 MHz (COM2_RADIO_WHOLE_DEC)",
      "COM 2 standby next channel (COM2_RADIO_FRACT_INC)", "COM 2 standby previous channel (COM2_RADIO_FRACT_DEC)"}},
    {"nav1",
     {"NAV 1 standby +1 MHz, 108-117 wrapping (NAV1_STBY_SET)", "NAV 1 standby -1 MHz (NAV1_STBY_SET)",
      "NAV 1 standby +50 kHz (NAV1_STBY_SET)", "NAV 1 standby -50 kHz (NAV1_STBY_SET)"}},
    {"nav2",
     {"NAV 2 standby +1 MHz, 108-117 wrapping (NAV2_STBY_SET)", "NAV 2 standby -1 MHz (NAV2_STBY_SET)",
      "NAV 2 standby +50 kHz (NAV2_STBY_SET)", "NAV 2 standby -50 kHz (NAV2_STBY_SET)"}},
    {"heading",
     {"heading bug +10 degrees (HEADING_BUG_SET)", "heading bug -10 degrees (HEADING_BUG_SET)",
      "heading bug +1 degree (HEADING_BUG_SET)", "heading bug -1 degree (HEADING_BUG_SET)"}},
    {"course1",
     {"VOR 1 course +10 degrees (VOR1_SET)", "VOR 1 course -10 degrees (VOR1_SET)", "VOR 1 course +1 degree (VOR1_SET)",
      "VOR 1 course -1 degree (VOR1_SET)"}},
    {"course2",
     {"VOR 2 course +10 degrees (VOR2_SET)", "VOR 2 course -10 degrees (VOR2_SET)", "VOR 2 course +1 degree (VOR2_SET)",
      "VOR 2 course -1 degree (VOR2_SET)"}},
    {"baro",
     {"altimeter setting up (KOHLSMAN_INC)", "altimeter setting down (KOHLSMAN_DEC)",
      "altimeter setting up (KOHLSMAN_INC)", "altimeter setting down (KOHLSMAN_DEC)"}},
    {"fms1",
     {"first navigator's large knob right", "first navigator's large knob left", "first navigator's small knob right",
      "first navigator's small knob left"}},
    {"fms2",
     {"second navigator's large knob right", "second navigator's large knob left",
      "second navigator's small knob right", "second navigator's small knob left"}},
    {"range1",
     {"first navigator's map range in", "first navigator's map range out", "first navigator's map range in",
      "first navigator's map range out"}},
    {"range2",
     {"second navigator's map range in", "second navigator's map range out", "second navigator's map range in",
      "second navigator's map range out"}},
    {"altitude",
     {"autopilot altitude +100 ft (AP_ALT_VAR_SET_ENGLISH)", "autopilot altitude -100 ft (AP_ALT_VAR_SET_ENGLISH)",
      "autopilot pitch up", "autopilot pitch down"}},
    {"transponder",
     {"squawk second digit +1 (XPNDR_SET)", "squawk second digit -1 (XPNDR_SET)", "squawk last digit +1 (XPNDR_SET)",
      "squawk last digit -1 (XPNDR_SET)"}},
};

struct KeyRow {
  const char* name;
  const char* builtIn;
};

constexpr KeyRow kKeys[keyaction::kCount] = {
    {"navigator1_knob_push", "first navigator's small knob push"},
    {"navigator1_direct_to", "first navigator's direct-to key"},
    {"navigator1_menu", "first navigator's MENU key"},
    {"navigator1_clear", "first navigator's CLR key"},
    {"navigator1_enter", "first navigator's ENT key"},
    {"navigator1_cdi", "first navigator's CDI key (TOGGLE_GPS_DRIVES_NAV1)"},
    {"navigator1_obs", "first navigator's OBS key"},
    {"navigator1_message", "first navigator's MSG key"},
    {"navigator1_flight_plan", "first navigator's FPL key"},
    {"navigator1_vnav", "first navigator's VNAV key"},
    {"navigator1_procedure", "first navigator's PROC key"},
    {"navigator2_knob_push", "second navigator's small knob push"},
    {"navigator2_direct_to", "second navigator's direct-to key"},
    {"navigator2_menu", "second navigator's MENU key"},
    {"navigator2_clear", "second navigator's CLR key"},
    {"navigator2_enter", "second navigator's ENT key"},
    {"navigator2_cdi", "second navigator's CDI key"},
    {"navigator2_obs", "second navigator's OBS key"},
    {"navigator2_message", "second navigator's MSG key"},
    {"navigator2_flight_plan", "second navigator's FPL key"},
    {"navigator2_vnav", "second navigator's VNAV key"},
    {"navigator2_procedure", "second navigator's PROC key"},
    {"autopilot_master", "autopilot master (AP_MASTER)"},
    {"autopilot_heading", "heading hold (AP_PANEL_HEADING_HOLD)"},
    {"autopilot_nav", "NAV 1 hold (AP_NAV1_HOLD)"},
    {"autopilot_approach", "approach hold (AP_APR_HOLD)"},
    {"autopilot_altitude", "altitude hold (AP_PANEL_ALTITUDE_HOLD)"},
    {"autopilot_vertical_speed", "vertical-speed hold (AP_PANEL_VS_HOLD)"},
    {"autopilot_flight_level_change", "flight-level change"},
    {"com1_swap", "COM 1 swap (COM_STBY_RADIO_SWAP)"},
    {"com2_swap", "COM 2 swap (COM2_RADIO_SWAP)"},
    {"nav1_swap", "NAV 1 swap (NAV1_RADIO_SWAP)"},
    {"nav2_swap", "NAV 2 swap (NAV2_RADIO_SWAP)"},
    {"standard_pressure", "standard pressure (BAROMETRIC_STD_PRESSURE)"},
    {"heading_sync", "heading sync"},
    {"transponder_ident", "transponder ident (XPNDR_IDENT_ON)"},
};

constexpr KeyRow kLamps[kLampCount] = {
    {"autopilot_master", "AUTOPILOT MASTER"},     {"heading_hold", "AUTOPILOT HEADING LOCK"},
    {"nav1_hold", "AUTOPILOT NAV1 LOCK"},         {"approach_hold", "AUTOPILOT APPROACH HOLD"},
    {"altitude_hold", "AUTOPILOT ALTITUDE LOCK"}, {"vertical_speed_hold", "AUTOPILOT VERTICAL HOLD"},
};

// Knob function names are built once into fixed storage: "transponder_outer_inc" is the longest.
constexpr std::size_t kKnobNameSize = 24;
struct KnobNames {
  char names[kKnobFunctionCount][kKnobNameSize];
};

constexpr KnobNames BuildKnobNames() {
  KnobNames table{};
  for (std::size_t function = 0; function < kKnobFunctionCount; ++function) {
    char* out = table.names[function];
    std::size_t n = 0;
    for (const char* c = kKnobs[function / 4].name; *c != '\0'; ++c) out[n++] = *c;
    const char* part = (function & 2) != 0 ? "_inner" : "_outer";
    for (const char* c = part; *c != '\0'; ++c) out[n++] = *c;
    const char* direction = (function & 1) != 0 ? "_dec" : "_inc";
    for (const char* c = direction; *c != '\0'; ++c) out[n++] = *c;
    out[n] = '\0';
  }
  return table;
}

constexpr KnobNames kKnobNames = BuildKnobNames();

}  // namespace

const char* FunctionName(std::size_t function) {
  if (function < kKnobFunctionCount) return kKnobNames.names[function];
  if (function < kFunctionCount) return kKeys[function - kKnobFunctionCount].name;
  return nullptr;
}

const char* FunctionBuiltIn(std::size_t function) {
  if (function < kKnobFunctionCount) return kKnobs[function / 4].builtIn[function % 4];
  if (function < kFunctionCount) return kKeys[function - kKnobFunctionCount].builtIn;
  return nullptr;
}

const char* LampName(std::size_t lamp) { return lamp < kLampCount ? kLamps[lamp].name : nullptr; }
const char* LampBuiltIn(std::size_t lamp) { return lamp < kLampCount ? kLamps[lamp].builtIn : nullptr; }

int FindFunction(std::string_view name) {
  for (std::size_t function = 0; function < kFunctionCount; ++function) {
    if (name == FunctionName(function)) return static_cast<int>(function);
  }
  return -1;
}

int FindLamp(std::string_view name) {
  for (std::size_t lamp = 0; lamp < kLampCount; ++lamp) {
    if (name == kLamps[lamp].name) return static_cast<int>(lamp);
  }
  return -1;
}

}  // namespace profile
