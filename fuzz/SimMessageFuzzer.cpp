// Raw messages from the simulator, as the dispatch hands them over, into the
// bridge's message callback; then every knob command once on whatever the
// messages left in the mirror.
//
// Input: messages, each a 2-byte little-endian length (modulo 1024) and that
// many bytes. Each is delivered in a heap buffer of exactly its length, so a
// read past the end is caught. Its size field (the first four bytes) is the
// input's, and may claim more or less than was delivered.
//
// The mirror must change exactly as an object-data message for request 0 or
// 1 that holds its whole block says, and not at all for anything else.

#include <cstdint>
#include <cstring>
#include <memory>

#include "fuzz/ByteReader.h"
#include "fuzz/EventInvariants.h"
#include "fuzz/FuzzSeams.h"
#include "sim/FlightSimInterfaceMSFS.h"
#include "supervisor/SupervisorThread.h"

namespace {

// The mirror fields in message order, as plain bytes: the model of what the
// mirror should hold.
struct Mirror {
  unsigned char block0[56];
  unsigned char block1[44];
};

Mirror Read(const FlightSimInterfaceMSFS& sim) {
  Mirror m;
  const double b0[7] = {sim.com1Standby, sim.com2Standby, sim.nav1Standby, sim.nav2Standby,
                        sim.headingBug,  sim.course1,     sim.course2};
  std::memcpy(m.block0, b0, sizeof b0);
  const double f1[2] = {sim.autopilotAltitude, sim.autopilotVerticalSpeed};
  const std::int32_t i1[7] = {sim.transponderCode, sim.autopilotMaster, sim.headingHold,      sim.nav1Hold,
                              sim.approachHold,    sim.altitudeHold,    sim.verticalSpeedHold};
  std::memcpy(m.block1, f1, sizeof f1);
  std::memcpy(m.block1 + sizeof f1, i1, sizeof i1);
  return m;
}

std::uint32_t Dword(const unsigned char* bytes) {
  std::uint32_t value;
  std::memcpy(&value, bytes, sizeof value);
  return value;
}

// What a message does to the mirror, written from the message layout alone.
void Apply(const unsigned char* bytes, std::size_t size, Mirror* model) {
  if (size < 12) return;
  const std::size_t length = Dword(bytes) < size ? Dword(bytes) : size;
  if (Dword(bytes + 8) != SIMCONNECT_RECV_ID_SIMOBJECT_DATA || length < 16) return;
  const std::size_t block = length > 40 ? length - 40 : 0;
  const std::uint32_t request = Dword(bytes + 12);
  if (request == 0 && block >= sizeof model->block0) std::memcpy(model->block0, bytes + 40, sizeof model->block0);
  if (request == 1 && block >= sizeof model->block1) std::memcpy(model->block1, bytes + 40, sizeof model->block1);
}

void CheckEvent(SimConnectDword eventId, SimConnectDword data) {
  // The mirror holds arbitrary bits: only the invariants that hold for any
  // mirror apply.
  CheckTransmittedEvent(eventId, data, false);
}

void EveryKnobCommand() {
  using Knob = void (FlightSimInterfaceMSFS::*)(UnitSelector, std::int8_t, std::int8_t);
  constexpr Knob kKnobs[] = {
      &FlightSimInterfaceMSFS::TuneCom,      &FlightSimInterfaceMSFS::TuneNav,
      &FlightSimInterfaceMSFS::AdjustHeadingBug, &FlightSimInterfaceMSFS::AdjustCourse,
      &FlightSimInterfaceMSFS::TurnFmsKnobs, &FlightSimInterfaceMSFS::TurnRangeKnob,
      &FlightSimInterfaceMSFS::AdjustAltitude, &FlightSimInterfaceMSFS::AdjustTransponder,
      &FlightSimInterfaceMSFS::AdjustBaro,
  };
  constexpr std::int8_t kSteps[][2] = {{1, -1}, {-128, 127}};
  // Each command starts from the mirror the messages left.
  const FlightSimInterfaceMSFS received = msfs;
  for (const Knob knob : kKnobs) {
    for (UnitSelector unit = 1; unit <= 2; ++unit) {
      for (const auto& steps : kSteps) {
        msfs = received;
        (msfs.*knob)(unit, steps[0], steps[1]);
      }
    }
  }
  msfs = received;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsim::SetTransmissionCheck(CheckEvent);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzzsim::Reset();
  msfs = FlightSimInterfaceMSFS{};
  Mirror model = Read(msfs);

  ByteReader in(data, size);
  while (!in.Empty()) {
    const std::uint8_t* bytes;
    const std::size_t length = in.Take(in.U16() % 1024, &bytes);
    std::unique_ptr<unsigned char[]> message(new unsigned char[length ? length : 1]);
    if (length) std::memcpy(message.get(), bytes, length);
    OnSimMessage(reinterpret_cast<SIMCONNECT_RECV*>(message.get()), static_cast<SimConnectDword>(length), nullptr);
    Apply(message.get(), length, &model);
    const Mirror now = Read(msfs);
    FUZZ_CHECK(std::memcmp(&now, &model, sizeof now) == 0, "the mirror differs from what the messages say", length);
    const AutopilotLampBits lamps = msfs.GetAutopilotLamps();
    FUZZ_CHECK((lamps & 0xC0) == 0, "lamp bits 6 and 7 set", lamps);
    FUZZ_CHECK(((lamps & 1) != 0) == (msfs.autopilotMaster != 0), "master lamp out of step", lamps);
  }

  fuzzsim::SetRunning(true);
  SimConnect_Open(&connectionHandle, "Request Data", nullptr, 0, nullptr, 0);
  msfs.connection = &connectionHandle;
  EveryKnobCommand();
  SimConnect_Close(connectionHandle);
  connectionHandle = nullptr;
  return 0;
}
