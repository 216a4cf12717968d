#include "sim/ClientEvents.h"

#include "sim/SimConnect.h"

namespace {

// Indexed by ClientEventId. nullptr marks the one unused number (101).
constexpr const char* kEventNames[kClientEventCount] = {
    // 0-3: standby frequencies
    "COM_STBY_RADIO_SET", "COM2_STBY_RADIO_SET", "NAV1_STBY_SET", "NAV2_STBY_SET",
    // 4-9: absolute setters
    "HEADING_BUG_SET", "VOR1_SET", "VOR2_SET", "XPNDR_SET", "AP_ALT_VAR_SET_ENGLISH",
    "AP_VS_VAR_SET_ENGLISH",
    // 10-11: altimeter setting
    "KOHLSMAN_INC", "KOHLSMAN_DEC",
    // 12-19: COM tuning steps
    "COM_RADIO_WHOLE_INC", "COM_RADIO_WHOLE_DEC", "COM_RADIO_FRACT_INC", "COM_RADIO_FRACT_DEC",
    "COM2_RADIO_WHOLE_INC", "COM2_RADIO_WHOLE_DEC", "COM2_RADIO_FRACT_INC", "COM2_RADIO_FRACT_DEC",
    // 20-31: GPS navigator knobs and range
    "MobiFlight.AS530_RightLargeKnob_Right", "MobiFlight.AS530_RightLargeKnob_Left",
    "MobiFlight.AS530_RightSmallKnob_Right", "MobiFlight.AS530_RightSmallKnob_Left",
    "MobiFlight.AS530_RNG_Zoom", "MobiFlight.AS530_RNG_Dezoom",
    "MobiFlight.AS430_RightLargeKnob_Right", "MobiFlight.AS430_RightLargeKnob_Left",
    "MobiFlight.AS430_RightSmallKnob_Right", "MobiFlight.AS430_RightSmallKnob_Left",
    "MobiFlight.AS430_RNG_Zoom", "MobiFlight.AS430_RNG_Dezoom",
    // 32-43: glass-cockpit knobs and range
    "MobiFlight.AS1000_PFD_FMS_Lower_INC", "MobiFlight.AS1000_PFD_FMS_Lower_DEC",
    "MobiFlight.AS1000_PFD_FMS_Upper_INC", "MobiFlight.AS1000_PFD_FMS_Upper_DEC",
    "MobiFlight.AS1000_PFD_RANGE_INC", "MobiFlight.AS1000_PFD_RANGE_DEC",
    "MobiFlight.AS1000_MFD_FMS_Lower_INC", "MobiFlight.AS1000_MFD_FMS_Lower_DEC",
    "MobiFlight.AS1000_MFD_FMS_Upper_INC", "MobiFlight.AS1000_MFD_FMS_Upper_DEC",
    "MobiFlight.AS1000_MFD_RANGE_INC", "MobiFlight.AS1000_MFD_RANGE_DEC",
    // 44-54: first GPS navigator keys
    "MobiFlight.AS530_RightSmallKnob_Push", "MobiFlight.AS530_DirectTo_Push", "MobiFlight.AS530_MENU_Push",
    "MobiFlight.AS530_CLR_Push", "MobiFlight.AS530_ENT_Push", "TOGGLE_GPS_DRIVES_NAV1",
    "MobiFlight.AS530_OBS_Push", "MobiFlight.AS530_MSG_Push", "MobiFlight.AS530_FPL_Push",
    "MobiFlight.AS530_VNAV_Push", "MobiFlight.AS530_PROC_Push",
    // 55-65: second GPS navigator keys
    "MobiFlight.AS430_RightSmallKnob_Push", "MobiFlight.AS430_DirectTo_Push", "MobiFlight.AS430_MENU_Push",
    "MobiFlight.AS430_CLR_Push", "MobiFlight.AS430_ENT_Push", "MobiFlight.AS430_CDI_Push",
    "MobiFlight.AS430_OBS_Push", "MobiFlight.AS430_MSG_Push", "MobiFlight.AS430_FPL_Push",
    "MobiFlight.AS430_VNAV_Push", "MobiFlight.AS430_PROC_Push",
    // 66-76: primary flight display keys; "" where it has no counterpart
    "MobiFlight.AS1000_PFD_FMS_Upper_PUSH", "MobiFlight.AS1000_PFD_DIRECTTO", "MobiFlight.AS1000_PFD_MENU_Push",
    "MobiFlight.AS1000_PFD_CLR", "MobiFlight.AS1000_PFD_ENT_Push", "", "", "",
    "MobiFlight.AS1000_PFD_FPL_Push", "", "MobiFlight.AS1000_PFD_PROC_Push",
    // 77-87: multi-function display keys
    "MobiFlight.AS1000_MFD_FMS_Upper_PUSH", "MobiFlight.AS1000_MFD_DIRECTTO", "MobiFlight.AS1000_MFD_MENU_Push",
    "MobiFlight.AS1000_MFD_CLR", "MobiFlight.AS1000_MFD_ENT_Push", "", "", "",
    "MobiFlight.AS1000_MFD_FPL_Push", "", "MobiFlight.AS1000_MFD_PROC_Push",
    // 88-94: swaps, standard pressure, heading sync, ident
    "COM_STBY_RADIO_SWAP", "COM2_RADIO_SWAP", "NAV1_RADIO_SWAP", "NAV2_RADIO_SWAP",
    "BAROMETRIC_STD_PRESSURE", "MobiFlight.AS1000_PFD_HEADING_SYNC", "XPNDR_IDENT_ON",
    // 95-100: autopilot modes
    "AP_MASTER", "AP_PANEL_HEADING_HOLD", "AP_NAV1_HOLD", "AP_APR_HOLD", "AP_PANEL_ALTITUDE_HOLD",
    "AP_PANEL_VS_HOLD",
    // 101: unused
    nullptr,
    // 102-104: autopilot flight-level change and pitch
    "MobiFlight.C_172_AP_FLC", "MobiFlight.C_172_AP_NOSE_UP", "MobiFlight.C_172_AP_NOSE_DN",
};

}  // namespace

const char* ClientEventName(ClientEventId id) { return id < kClientEventCount ? kEventNames[id] : nullptr; }

const DataDefinitionEntry kDataDefinitionEntries[kDataDefinitionEntryCount] = {
    {0, "COM STANDBY FREQUENCY:1", "MHz", SIMCONNECT_DATATYPE_FLOAT64},
    {0, "COM STANDBY FREQUENCY:2", "MHz", SIMCONNECT_DATATYPE_FLOAT64},
    {0, "NAV STANDBY FREQUENCY:1", "MHz", SIMCONNECT_DATATYPE_FLOAT64},
    {0, "NAV STANDBY FREQUENCY:2", "MHz", SIMCONNECT_DATATYPE_FLOAT64},
    {0, "AUTOPILOT HEADING LOCK DIR", "degrees", SIMCONNECT_DATATYPE_FLOAT64},
    {0, "NAV OBS:1", "degrees", SIMCONNECT_DATATYPE_FLOAT64},
    {0, "NAV OBS:2", "degrees", SIMCONNECT_DATATYPE_FLOAT64},
    {1, "AUTOPILOT ALTITUDE LOCK VAR", "feet", SIMCONNECT_DATATYPE_FLOAT64},
    {1, "AUTOPILOT VERTICAL HOLD VAR", "feet/minute", SIMCONNECT_DATATYPE_FLOAT64},
    {1, "TRANSPONDER CODE:1", "BCO16", SIMCONNECT_DATATYPE_INT32},
    {1, "AUTOPILOT MASTER", "Bool", SIMCONNECT_DATATYPE_INT32},
    {1, "AUTOPILOT HEADING LOCK", "Bool", SIMCONNECT_DATATYPE_INT32},
    {1, "AUTOPILOT NAV1 LOCK", "Bool", SIMCONNECT_DATATYPE_INT32},
    {1, "AUTOPILOT APPROACH HOLD", "Bool", SIMCONNECT_DATATYPE_INT32},
    {1, "AUTOPILOT ALTITUDE LOCK", "Bool", SIMCONNECT_DATATYPE_INT32},
    {1, "AUTOPILOT VERTICAL HOLD", "Bool", SIMCONNECT_DATATYPE_INT32},
};
