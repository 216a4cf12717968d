// Panel reports, simulator messages and losses through the supervisor's
// passes, on the fakes of tests/fakes: every event and lamp report must be
// one the bridge can mean, and no handle or connection be left over. Input:
//   flags byte: bit 0 shift on, bit 1 simulator absent, bit 2 raw aircraft;
//   the last mode (1 byte) and keys (4, little-endian); the aircraft, 13
//   bytes plausible or 100 raw; then records, an opcode byte (modulo 8) and:
//     0-3  a report: length byte (modulo 65) and that many bytes
//     4    one supervisor pass
//     5    from the simulator, a byte: bit 1 a raw message (2-byte length
//          modulo 1024 and the bytes), else an aircraft (raw when bit 0)
//     6    simulator, a byte modulo 3: 0 connection lost, 1 stops, 2 starts
//     7    panel, a byte modulo 3: 0 unplugged, 1 plugged in, 2 read error

#include "fuzz/FuzzInput.h"
#include "sim/ClientEvents.h"
#include "tests/support/BridgeState.h"
#include "tests/support/ObjectData.h"

namespace {

// While the aircraft holds values a simulator reports, every set value lands
// in its range however many detents a report carries.
bool plausible = true;

void QueueAircraft(ByteReader& in, bool raw) {
  if (raw) {
    plausible = false;
    constexpr std::size_t kSize0 = DataBlockSize(0);
    constexpr std::size_t kSize1 = DataBlockSize(1);
    objectdata::Bytes blocks = in.Bytes(kSize0 + kSize1);
    blocks.resize(kSize0 + kSize1);
    fakesim::QueueMessage(objectdata::Message(0, objectdata::Bytes(blocks.begin(), blocks.begin() + kSize0)));
    fakesim::QueueMessage(objectdata::Message(1, objectdata::Bytes(blocks.begin() + kSize0, blocks.end())));
    return;
  }
  auto nav = [&in] { return 108.0 + in.Byte() % 200 * 0.05; };
  auto degrees = [&in] { return in.U16() % 3601 / 10.0; };
  fakesim::QueueMessage(objectdata::Definition0({118.0, 121.5, nav(), nav(), degrees(), degrees(), degrees()}));
  const double altitude = in.U16() * 0.5;
  std::vector<std::int32_t> integers = {0};
  for (std::uint16_t digits = in.U16(), at = 0; at < 16; at += 4, digits >>= 3) integers[0] |= (digits & 7) << at;
  const std::uint8_t flags = in.Byte();
  for (int bit = 0; bit < 6; ++bit) integers.push_back((flags >> bit) & 1);
  fakesim::QueueMessage(objectdata::Definition1(altitude, 0.0, integers));
}

void CheckEvent(const fakesim::Transmission& t) {
  FuzzCheck(t.objectId == 0 && t.groupId == 1 && t.flags == 0x10 && ClientEventName(t.eventId) != nullptr &&
                t.eventId > 1 && t.eventId != 9,
            "an event no command sends, or with the wrong object, group or flags", t.eventId);
  char digits[12], *end;  // a frequency packs its decimal digits one a nibble: they read as hexadecimal
  std::snprintf(digits, sizeof digits, "%x", static_cast<unsigned>(t.data));
  const unsigned long hundredths = std::strtoul(digits, &end, 10);
  if (t.eventId == 2 || t.eventId == 3) {
    FuzzCheck(!plausible || (*end == 0 && hundredths >= 10800 && hundredths <= 11795 && hundredths % 5 == 0),
              "NAV standby off the 50 kHz channels of 108.00-117.95 MHz", t.data);
  } else if (t.eventId >= 4 && t.eventId <= 6) {
    FuzzCheck(!plausible || t.data <= 360, "degrees outside 0-360", t.data);
  } else if (t.eventId == 7) {
    FuzzCheck((t.data & ~0x7777u) == 0, "squawk not four octal digits", t.data);
  } else if (t.eventId == 8) {
    FuzzCheck(static_cast<std::int32_t>(t.data) >= 0, "negative autopilot altitude", t.data);
  } else {
    const bool knob = (t.eventId >= 10 && t.eventId <= 43) || t.eventId == 103 || t.eventId == 104;
    FuzzCheck(t.data == (knob ? 1u : 0u), "a knob step without data 1 or a key without 0", t.eventId);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ResetBridgeState();
  plausible = true;
  ByteReader in(data, size);
  const std::uint8_t flags = in.Byte();
  PanelDevice.shift = flags & 1;
  PanelDevice.mode = in.Byte();
  PanelDevice.lastReport.keys = in.U32();
  fakehid::PlugIn();
  fakesim::SetSimulatorRunning(!(flags & 2));
  QueueAircraft(in, flags & 4);

  // When the input ends, three more passes handle what is still queued.
  for (int end = 3; !in.Empty() || end-- > 0;) {
    const std::uint8_t op = in.Empty() ? 4 : in.Byte() % 8;
    const std::uint8_t what = op >= 5 ? in.Byte() : 0;
    if (op < 4) {
      fakehid::QueueReport(in.Bytes(in.Byte() % 65));
    } else if (op == 4) {
      SupervisorPass();
    } else if (op == 5 && (what & 2)) {
      plausible = false;
      fakesim::QueueMessage(in.Bytes(in.U16() % 1024));
    } else if (op == 5) {
      QueueAircraft(in, what & 1);
    } else if (op == 6) {
      what % 3 == 0 ? fakesim::FailNextDispatch() : fakesim::SetSimulatorRunning(what % 3 == 2);
    } else {
      what % 3 == 0 ? fakehid::Unplug() : what % 3 == 1 ? fakehid::PlugIn() : fakehid::QueueReadError();
    }
    FuzzCheck(fakehid::OpenHandles() <= 1 && simConnected == (fakesim::OpenConnections() == 1) &&
                  fakesim::CallsOnClosedHandles() == 0,
              "a panel handle or connection left open, or a call on a closed one", fakehid::OpenHandles());
  }

  for (const fakesim::Transmission& t : fakesim::Transmissions()) CheckEvent(t);
  for (const fakehid::Bytes& lamps : fakehid::Writes()) {
    FuzzCheck(lamps.size() == 2 && lamps[0] == 11 && (lamps[1] & 0xC0) == 0, "malformed lamp report", lamps.size());
  }
  return 0;
}
