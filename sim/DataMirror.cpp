#include <cmath>
#include <cstring>

#include "sim/DataDefinitions.h"
#include "sim/FlightSimInterfaceMSFS.h"
#include "sim/MessageFields.h"
#include "sim/profile/ProfileRuntime.h"

void OnSimMessage(SIMCONNECT_RECV* message, SimConnectDword size, void* /*context*/) {
  if (message == nullptr || size < sizeof(SIMCONNECT_RECV)) return;
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(message);
  // Trust neither length alone: a message that claims less than was
  // received ends where it says; one that claims more ends where it was cut.
  const SimConnectDword claimed = ReadDword(bytes);
  const SimConnectDword length = claimed < size ? claimed : size;
  // Event notifications (kind 4) have another layout; only object data fills
  // the mirror.
  if (ReadDword(bytes + 8) != SIMCONNECT_RECV_ID_SIMOBJECT_DATA) {
    msfs.OnAircraftMessage(bytes, length);
    return;
  }
  if (length < kSimObjectDataRequestOffset + 4) return;

  const SimConnectDword request = ReadDword(bytes + kSimObjectDataRequestOffset);
  const SimConnectDword available = length > kSimObjectDataBlockOffset ? length - kSimObjectDataBlockOffset : 0;
  if (request >= kDataDefinitionCount) {
    if (available > 0) msfs.OnProfileData(request, bytes + kSimObjectDataBlockOffset, available);
    return;
  }
  if (available < DataBlockSize(request)) return;

  const unsigned char* field = bytes + kSimObjectDataBlockOffset;
  for (const DataDefinitionEntry& entry : kDataDefinitionEntries) {
    if (entry.definition != request) continue;
    if (entry.float64 != nullptr) msfs.*entry.float64 = ReadFloat64(field);
    if (entry.int32 != nullptr) msfs.*entry.int32 = ReadInt32(field);
    field += DataEntrySize(entry);
  }
  (request == 0 ? msfs.definition0Received : msfs.definition1Received) = true;
}

AutopilotLampBits FlightSimInterfaceMSFS::GetAutopilotLamps() {
  AutopilotLampBits bits = 0;
  // Flags from an earlier connection describe an autopilot that is gone.
  if (definition1Received) {
    if (autopilotMaster != 0) bits |= 0x01;
    if (headingHold != 0) bits |= 0x02;
    if (nav1Hold != 0) bits |= 0x04;
    if (approachHold != 0) bits |= 0x08;
    if (altitudeHold != 0) bits |= 0x10;
    if (verticalSpeedHold != 0) bits |= 0x20;
  }
  if (profiles == nullptr || !profiles->active) return bits;
  // A lamp the profile names follows its variable instead, dark until the
  // variable's first value arrives.
  const profile::ProfileRuntime& p = *profiles;
  for (std::size_t lamp = 0; lamp < profile::kLampCount; ++lamp) {
    const int variable = p.profile.lamps[lamp];
    if (variable < 0) continue;
    const AutopilotLampBits bit = static_cast<AutopilotLampBits>(1u << lamp);
    const double value = p.values[static_cast<std::size_t>(variable)];
    const bool lit = p.received[static_cast<std::size_t>(variable)] != 0 && value != 0.0 && !std::isnan(value);
    bits = static_cast<AutopilotLampBits>(lit ? bits | bit : bits & ~bit);
  }
  return bits;
}
