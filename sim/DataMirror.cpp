#include <cstring>

#include "sim/ClientEvents.h"
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

  const unsigned char* block = bytes + kSimObjectDataBlockOffset;
  const SimConnectDword available = length > kSimObjectDataBlockOffset ? length - kSimObjectDataBlockOffset : 0;
  switch (ReadDword(bytes + kSimObjectDataRequestOffset)) {
    case 0:
      if (available < kDefinition0BlockSize) return;
      msfs.com1Standby = ReadFloat64(block + 0);
      msfs.com2Standby = ReadFloat64(block + 8);
      msfs.nav1Standby = ReadFloat64(block + 16);
      msfs.nav2Standby = ReadFloat64(block + 24);
      msfs.headingBug = ReadFloat64(block + 32);
      msfs.course1 = ReadFloat64(block + 40);
      msfs.course2 = ReadFloat64(block + 48);
      msfs.definition0Received = true;
      break;
    case 1:
      if (available < kDefinition1BlockSize) return;
      msfs.autopilotAltitude = ReadFloat64(block + 0);
      msfs.autopilotVerticalSpeed = ReadFloat64(block + 8);
      msfs.transponderCode = ReadInt32(block + 16);
      msfs.autopilotMaster = ReadInt32(block + 20);
      msfs.headingHold = ReadInt32(block + 24);
      msfs.nav1Hold = ReadInt32(block + 28);
      msfs.approachHold = ReadInt32(block + 32);
      msfs.altitudeHold = ReadInt32(block + 36);
      msfs.verticalSpeedHold = ReadInt32(block + 40);
      msfs.definition1Received = true;
      break;
    default:
      break;
  }
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
