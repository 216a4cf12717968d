#pragma once

#include <cstdint>

#include "sim/SimConnect.h"

// The client event catalogue: every simulator event the bridge can send,
// under the number it is registered with on each connection. The numbers
// are what the simulator sees, so they never change. Number 101 is unused;
// the events named "" are private ones the simulator ignores: the second
// events of navigator keys that have no glass-cockpit counterpart.
typedef std::uint32_t ClientEventId;

// X(name in code, number, simulator event name)
#define VP_CLIENT_EVENT_CATALOGUE(X)                              \
  X(kCom1StandbySet, 0, "COM_STBY_RADIO_SET")                     \
  X(kCom2StandbySet, 1, "COM2_STBY_RADIO_SET")                    \
  X(kNav1StandbySet, 2, "NAV1_STBY_SET")                          \
  X(kNav2StandbySet, 3, "NAV2_STBY_SET")                          \
  X(kHeadingBugSet, 4, "HEADING_BUG_SET")                         \
  X(kVor1Set, 5, "VOR1_SET")                                      \
  X(kVor2Set, 6, "VOR2_SET")                                      \
  X(kTransponderSet, 7, "XPNDR_SET")                              \
  X(kAutopilotAltitudeSet, 8, "AP_ALT_VAR_SET_ENGLISH")           \
  X(kAutopilotVerticalSpeedSet, 9, "AP_VS_VAR_SET_ENGLISH")       \
  X(kKohlsmanInc, 10, "KOHLSMAN_INC")                             \
  X(kKohlsmanDec, 11, "KOHLSMAN_DEC")                             \
  X(kCom1WholeInc, 12, "COM_RADIO_WHOLE_INC")                     \
  X(kCom1WholeDec, 13, "COM_RADIO_WHOLE_DEC")                     \
  X(kCom1FractionInc, 14, "COM_RADIO_FRACT_INC")                  \
  X(kCom1FractionDec, 15, "COM_RADIO_FRACT_DEC")                  \
  X(kCom2WholeInc, 16, "COM2_RADIO_WHOLE_INC")                    \
  X(kCom2WholeDec, 17, "COM2_RADIO_WHOLE_DEC")                    \
  X(kCom2FractionInc, 18, "COM2_RADIO_FRACT_INC")                 \
  X(kCom2FractionDec, 19, "COM2_RADIO_FRACT_DEC")                 \
  X(kGps1OuterRight, 20, "MobiFlight.AS530_RightLargeKnob_Right") \
  X(kGps1OuterLeft, 21, "MobiFlight.AS530_RightLargeKnob_Left")   \
  X(kGps1InnerRight, 22, "MobiFlight.AS530_RightSmallKnob_Right") \
  X(kGps1InnerLeft, 23, "MobiFlight.AS530_RightSmallKnob_Left")   \
  X(kGps1RangeZoomIn, 24, "MobiFlight.AS530_RNG_Zoom")            \
  X(kGps1RangeZoomOut, 25, "MobiFlight.AS530_RNG_Dezoom")         \
  X(kGps2OuterRight, 26, "MobiFlight.AS430_RightLargeKnob_Right") \
  X(kGps2OuterLeft, 27, "MobiFlight.AS430_RightLargeKnob_Left")   \
  X(kGps2InnerRight, 28, "MobiFlight.AS430_RightSmallKnob_Right") \
  X(kGps2InnerLeft, 29, "MobiFlight.AS430_RightSmallKnob_Left")   \
  X(kGps2RangeZoomIn, 30, "MobiFlight.AS430_RNG_Zoom")            \
  X(kGps2RangeZoomOut, 31, "MobiFlight.AS430_RNG_Dezoom")         \
  X(kPfdOuterInc, 32, "MobiFlight.AS1000_PFD_FMS_Lower_INC")      \
  X(kPfdOuterDec, 33, "MobiFlight.AS1000_PFD_FMS_Lower_DEC")      \
  X(kPfdInnerInc, 34, "MobiFlight.AS1000_PFD_FMS_Upper_INC")      \
  X(kPfdInnerDec, 35, "MobiFlight.AS1000_PFD_FMS_Upper_DEC")      \
  X(kPfdRangeInc, 36, "MobiFlight.AS1000_PFD_RANGE_INC")          \
  X(kPfdRangeDec, 37, "MobiFlight.AS1000_PFD_RANGE_DEC")          \
  X(kMfdOuterInc, 38, "MobiFlight.AS1000_MFD_FMS_Lower_INC")      \
  X(kMfdOuterDec, 39, "MobiFlight.AS1000_MFD_FMS_Lower_DEC")      \
  X(kMfdInnerInc, 40, "MobiFlight.AS1000_MFD_FMS_Upper_INC")      \
  X(kMfdInnerDec, 41, "MobiFlight.AS1000_MFD_FMS_Upper_DEC")      \
  X(kMfdRangeInc, 42, "MobiFlight.AS1000_MFD_RANGE_INC")          \
  X(kMfdRangeDec, 43, "MobiFlight.AS1000_MFD_RANGE_DEC")          \
  X(kGps1KnobPush, 44, "MobiFlight.AS530_RightSmallKnob_Push")    \
  X(kGps1DirectTo, 45, "MobiFlight.AS530_DirectTo_Push")          \
  X(kGps1Menu, 46, "MobiFlight.AS530_MENU_Push")                  \
  X(kGps1Clear, 47, "MobiFlight.AS530_CLR_Push")                  \
  X(kGps1Enter, 48, "MobiFlight.AS530_ENT_Push")                  \
  X(kGps1Cdi, 49, "TOGGLE_GPS_DRIVES_NAV1")                       \
  X(kGps1Obs, 50, "MobiFlight.AS530_OBS_Push")                    \
  X(kGps1Message, 51, "MobiFlight.AS530_MSG_Push")                \
  X(kGps1FlightPlan, 52, "MobiFlight.AS530_FPL_Push")             \
  X(kGps1Vnav, 53, "MobiFlight.AS530_VNAV_Push")                  \
  X(kGps1Procedure, 54, "MobiFlight.AS530_PROC_Push")             \
  X(kGps2KnobPush, 55, "MobiFlight.AS430_RightSmallKnob_Push")    \
  X(kGps2DirectTo, 56, "MobiFlight.AS430_DirectTo_Push")          \
  X(kGps2Menu, 57, "MobiFlight.AS430_MENU_Push")                  \
  X(kGps2Clear, 58, "MobiFlight.AS430_CLR_Push")                  \
  X(kGps2Enter, 59, "MobiFlight.AS430_ENT_Push")                  \
  X(kGps2Cdi, 60, "MobiFlight.AS430_CDI_Push")                    \
  X(kGps2Obs, 61, "MobiFlight.AS430_OBS_Push")                    \
  X(kGps2Message, 62, "MobiFlight.AS430_MSG_Push")                \
  X(kGps2FlightPlan, 63, "MobiFlight.AS430_FPL_Push")             \
  X(kGps2Vnav, 64, "MobiFlight.AS430_VNAV_Push")                  \
  X(kGps2Procedure, 65, "MobiFlight.AS430_PROC_Push")             \
  X(kPfdKnobPush, 66, "MobiFlight.AS1000_PFD_FMS_Upper_PUSH")     \
  X(kPfdDirectTo, 67, "MobiFlight.AS1000_PFD_DIRECTTO")           \
  X(kPfdMenu, 68, "MobiFlight.AS1000_PFD_MENU_Push")              \
  X(kPfdClear, 69, "MobiFlight.AS1000_PFD_CLR")                   \
  X(kPfdEnter, 70, "MobiFlight.AS1000_PFD_ENT_Push")              \
  X(kPfdPrivateCdi, 71, "")                                       \
  X(kPfdPrivateObs, 72, "")                                       \
  X(kPfdPrivateMessage, 73, "")                                   \
  X(kPfdFlightPlan, 74, "MobiFlight.AS1000_PFD_FPL_Push")         \
  X(kPfdPrivateVnav, 75, "")                                      \
  X(kPfdProcedure, 76, "MobiFlight.AS1000_PFD_PROC_Push")         \
  X(kMfdKnobPush, 77, "MobiFlight.AS1000_MFD_FMS_Upper_PUSH")     \
  X(kMfdDirectTo, 78, "MobiFlight.AS1000_MFD_DIRECTTO")           \
  X(kMfdMenu, 79, "MobiFlight.AS1000_MFD_MENU_Push")              \
  X(kMfdClear, 80, "MobiFlight.AS1000_MFD_CLR")                   \
  X(kMfdEnter, 81, "MobiFlight.AS1000_MFD_ENT_Push")              \
  X(kMfdPrivateCdi, 82, "")                                       \
  X(kMfdPrivateObs, 83, "")                                       \
  X(kMfdPrivateMessage, 84, "")                                   \
  X(kMfdFlightPlan, 85, "MobiFlight.AS1000_MFD_FPL_Push")         \
  X(kMfdPrivateVnav, 86, "")                                      \
  X(kMfdProcedure, 87, "MobiFlight.AS1000_MFD_PROC_Push")         \
  X(kCom1Swap, 88, "COM_STBY_RADIO_SWAP")                         \
  X(kCom2Swap, 89, "COM2_RADIO_SWAP")                             \
  X(kNav1Swap, 90, "NAV1_RADIO_SWAP")                             \
  X(kNav2Swap, 91, "NAV2_RADIO_SWAP")                             \
  X(kStandardPressure, 92, "BAROMETRIC_STD_PRESSURE")             \
  X(kHeadingSync, 93, "MobiFlight.AS1000_PFD_HEADING_SYNC")       \
  X(kTransponderIdent, 94, "XPNDR_IDENT_ON")                      \
  X(kAutopilotMaster, 95, "AP_MASTER")                            \
  X(kAutopilotHeadingHold, 96, "AP_PANEL_HEADING_HOLD")           \
  X(kAutopilotNav1Hold, 97, "AP_NAV1_HOLD")                       \
  X(kAutopilotApproachHold, 98, "AP_APR_HOLD")                    \
  X(kAutopilotAltitudeHold, 99, "AP_PANEL_ALTITUDE_HOLD")         \
  X(kAutopilotVerticalSpeedHold, 100, "AP_PANEL_VS_HOLD")         \
  X(kAutopilotFlightLevelChange, 102, "MobiFlight.C_172_AP_FLC")  \
  X(kAutopilotNoseUp, 103, "MobiFlight.C_172_AP_NOSE_UP")         \
  X(kAutopilotNoseDown, 104, "MobiFlight.C_172_AP_NOSE_DN")

#define VP_CLIENT_EVENT_ENUMERATOR(name, number, simulatorName) name = number,
enum ClientEvent : ClientEventId { VP_CLIENT_EVENT_CATALOGUE(VP_CLIENT_EVENT_ENUMERATOR) };
#undef VP_CLIENT_EVENT_ENUMERATOR

constexpr ClientEventId kClientEventCount = 105;  // ids 0..104

// The simulator event name registered under `id`: "" for the private events,
// nullptr for 101 and ids beyond the catalogue.
const char* ClientEventName(ClientEventId id);
