#include <cstring>

#include "sim/DataDefinitions.h"
#include "sim/FlightSimInterfaceMSFS.h"

namespace {

SimConnectDword ReadDword(const unsigned char* bytes) {
  SimConnectDword value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

std::int32_t ReadInt32(const unsigned char* bytes) {
  std::int32_t value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

double ReadFloat64(const unsigned char* bytes) {
  double value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

}  // namespace

void OnSimMessage(SIMCONNECT_RECV* message, SimConnectDword size, void* /*context*/) {
  if (message == nullptr || size < sizeof(SIMCONNECT_RECV)) return;
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(message);
  // Trust neither length alone: a message that claims less than was
  // received ends where it says; one that claims more ends where it was cut.
  const SimConnectDword claimed = ReadDword(bytes);
  const SimConnectDword length = claimed < size ? claimed : size;
  // Event notifications (kind 4) have another layout; only object data fills
  // the mirror.
  if (ReadDword(bytes + 8) != SIMCONNECT_RECV_ID_SIMOBJECT_DATA) return;
  if (length < kSimObjectDataRequestOffset + 4) return;

  const SimConnectDword request = ReadDword(bytes + kSimObjectDataRequestOffset);
  if (request >= kDataDefinitionCount) return;
  const SimConnectDword available = length > kSimObjectDataBlockOffset ? length - kSimObjectDataBlockOffset : 0;
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
  if (!definition1Received) return bits;
  if (autopilotMaster != 0) bits |= 0x01;
  if (headingHold != 0) bits |= 0x02;
  if (nav1Hold != 0) bits |= 0x04;
  if (approachHold != 0) bits |= 0x08;
  if (altitudeHold != 0) bits |= 0x10;
  if (verticalSpeedHold != 0) bits |= 0x20;
  return bits;
}
