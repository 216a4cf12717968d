#pragma once

// The two data definitions, described once: what each variable is
// registered as, and which mirror field its value fills. The registration,
// the reading of object data and every builder of such data (tests, fuzzers,
// benchmarks) walk this table, so the layout of a block exists only here.

#include <cstdint>

#include "sim/FlightSimInterfaceMSFS.h"

struct DataDefinitionEntry {
  SimConnectDword definition;  // also the number of the request that streams it
  const char* variable;
  const char* unit;
  SimConnectDataType type;
  double FlightSimInterfaceMSFS::*float64;      // the field of a FLOAT64 entry
  std::int32_t FlightSimInterfaceMSFS::*int32;  // the field of an INT32 entry
};

namespace datadefinition {
using M = FlightSimInterfaceMSFS;
constexpr DataDefinitionEntry Float64(SimConnectDword definition, const char* variable, const char* unit,
                                      double M::*field) {
  return {definition, variable, unit, SIMCONNECT_DATATYPE_FLOAT64, field, nullptr};
}
constexpr DataDefinitionEntry Int32(SimConnectDword definition, const char* variable, const char* unit,
                                    std::int32_t M::*field) {
  return {definition, variable, unit, SIMCONNECT_DATATYPE_INT32, nullptr, field};
}
}  // namespace datadefinition

// In registration order; within a definition, the order of the block.
constexpr DataDefinitionEntry kDataDefinitionEntries[] = {
    datadefinition::Float64(0, "COM STANDBY FREQUENCY:1", "MHz", &FlightSimInterfaceMSFS::com1Standby),
    datadefinition::Float64(0, "COM STANDBY FREQUENCY:2", "MHz", &FlightSimInterfaceMSFS::com2Standby),
    datadefinition::Float64(0, "NAV STANDBY FREQUENCY:1", "MHz", &FlightSimInterfaceMSFS::nav1Standby),
    datadefinition::Float64(0, "NAV STANDBY FREQUENCY:2", "MHz", &FlightSimInterfaceMSFS::nav2Standby),
    datadefinition::Float64(0, "AUTOPILOT HEADING LOCK DIR", "degrees", &FlightSimInterfaceMSFS::headingBug),
    datadefinition::Float64(0, "NAV OBS:1", "degrees", &FlightSimInterfaceMSFS::course1),
    datadefinition::Float64(0, "NAV OBS:2", "degrees", &FlightSimInterfaceMSFS::course2),
    datadefinition::Float64(1, "AUTOPILOT ALTITUDE LOCK VAR", "feet", &FlightSimInterfaceMSFS::autopilotAltitude),
    datadefinition::Float64(1, "AUTOPILOT VERTICAL HOLD VAR", "feet/minute",
                            &FlightSimInterfaceMSFS::autopilotVerticalSpeed),
    datadefinition::Int32(1, "TRANSPONDER CODE:1", "BCO16", &FlightSimInterfaceMSFS::transponderCode),
    datadefinition::Int32(1, "AUTOPILOT MASTER", "Bool", &FlightSimInterfaceMSFS::autopilotMaster),
    datadefinition::Int32(1, "AUTOPILOT HEADING LOCK", "Bool", &FlightSimInterfaceMSFS::headingHold),
    datadefinition::Int32(1, "AUTOPILOT NAV1 LOCK", "Bool", &FlightSimInterfaceMSFS::nav1Hold),
    datadefinition::Int32(1, "AUTOPILOT APPROACH HOLD", "Bool", &FlightSimInterfaceMSFS::approachHold),
    datadefinition::Int32(1, "AUTOPILOT ALTITUDE LOCK", "Bool", &FlightSimInterfaceMSFS::altitudeHold),
    datadefinition::Int32(1, "AUTOPILOT VERTICAL HOLD", "Bool", &FlightSimInterfaceMSFS::verticalSpeedHold),
};

constexpr SimConnectDword kDataDefinitionCount = 2;

constexpr std::uint32_t DataEntrySize(const DataDefinitionEntry& entry) { return SimConnectDataTypeSize(entry.type); }

// Bytes of the data block of `definition`: its entries back to back.
constexpr std::uint32_t DataBlockSize(SimConnectDword definition) {
  std::uint32_t size = 0;
  for (const DataDefinitionEntry& entry : kDataDefinitionEntries) {
    if (entry.definition == definition) size += DataEntrySize(entry);
  }
  return size;
}

static_assert(DataBlockSize(0) == 7 * 8, "definition 0: seven 8-byte floats");
static_assert(DataBlockSize(1) == 2 * 8 + 7 * 4, "definition 1: two 8-byte floats, seven 4-byte integers");
