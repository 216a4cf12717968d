// A stream of panel reports, simulator updates and losses, run through the
// supervisor's passes exactly as the bridge runs them. Every transmitted
// event is checked as it leaves (fuzz/EventInvariants.h); at the end no
// panel handle or connection may be left over.
//
// Input, front to back:
//   flags         bit 0 shift on, bit 1 simulator absent at the start,
//                 bit 2 the first aircraft is raw bits instead of plausible
//   mode          the mode the panel was last in
//   keys          4 bytes, the key mask of the last report (little-endian)
//   aircraft      13 bytes plausible or 100 bytes raw (fuzz/MirrorMessages.h)
//   then records, each an opcode byte (taken modulo 8) and its operands:
//     0-3  a report: length byte (modulo 65), then that many bytes
//     4    one supervisor pass
//     5    an aircraft update: flags byte (bit 0 raw), then the aircraft
//     6    simulator: byte modulo 3: 0 connection lost, 1 stops, 2 starts
//     7    panel: byte modulo 3: 0 unplugged, 1 plugged in, 2 read error

#include <cstdint>
#include <cstdlib>

#include "fuzz/ByteReader.h"
#include "fuzz/EventInvariants.h"
#include "fuzz/FuzzSeams.h"
#include "fuzz/MirrorMessages.h"
#include "panel/PanelDevice.h"
#include "sim/FlightSimInterfaceMSFS.h"
#include "supervisor/SupervisorThread.h"

namespace {

enum AircraftTag { kPlausible = 1, kRaw = 2 };

// Every set value must land in its range while the aircraft's own values
// are plausible, however many detents a report carries.
void CheckEvent(SimConnectDword eventId, SimConnectDword data) {
  CheckTransmittedEvent(eventId, data, fuzzsim::LastDeliveredTag() == kPlausible);
}

void QueueAircraft(ByteReader& in, bool raw) {
  mirror::Bytes request0, request1;
  raw ? mirror::RawAircraft(in, &request0, &request1) : mirror::PlausibleAircraft(in, &request0, &request1);
  const int tag = raw ? kRaw : kPlausible;
  fuzzsim::QueueMessage(request0.data(), request0.size(), tag);
  fuzzsim::QueueMessage(request1.data(), request1.size(), tag);
}

void StartFresh() {
  if (PanelDevice.device != nullptr) hid_close(PanelDevice.device);
  FUZZ_CHECK(fuzzpanel::OpenHandles() == 0, "a panel handle was leaked", fuzzpanel::OpenHandles());
  fuzzpanel::Reset();
  fuzzsim::Reset();
  PanelDevice = {nullptr, false, &msfs, {0, 0, 0, 0}, 0, 0};
  deviceOpen = false;
  simConnected = false;
  connectionHandle = nullptr;
  msfs = FlightSimInterfaceMSFS{};
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzzsim::SetTransmissionCheck(CheckEvent);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  StartFresh();
  ByteReader in(data, size);

  const std::uint8_t flags = in.Byte();
  PanelDevice.shift = flags & 1;
  PanelDevice.mode = in.Byte();
  PanelDevice.lastReport.keys = in.U32();
  fuzzpanel::PlugIn();
  fuzzsim::SetRunning(!(flags & 2));
  QueueAircraft(in, flags & 4);

  while (!in.Empty()) {
    switch (in.Byte() % 8) {
      case 0:
      case 1:
      case 2:
      case 3: {
        const std::uint8_t* bytes;
        const std::size_t length = in.Take(in.Byte() % 65, &bytes);
        fuzzpanel::QueueReport(bytes, length);
        break;
      }
      case 4:
        SupervisorPass();
        break;
      case 5:
        QueueAircraft(in, in.Byte() & 1);
        break;
      case 6:
        switch (in.Byte() % 3) {
          case 0: fuzzsim::FailNextDispatch(); break;
          case 1: fuzzsim::SetRunning(false); break;
          default: fuzzsim::SetRunning(true); break;
        }
        break;
      default:
        switch (in.Byte() % 3) {
          case 0: fuzzpanel::Unplug(); break;
          case 1: fuzzpanel::PlugIn(); break;
          default: fuzzpanel::QueueReadError(); break;
        }
        break;
    }
    FUZZ_CHECK(fuzzpanel::OpenHandles() <= 1, "more than one panel handle open", fuzzpanel::OpenHandles());
    FUZZ_CHECK(simConnected == (fuzzsim::OpenConnections() == 1), "connection state out of step with the library");
  }
  // Whatever is still queued is handled the way the bridge would.
  for (int pass = 0; pass < 3; ++pass) SupervisorPass();
  FUZZ_CHECK((msfs.GetAutopilotLamps() & 0xC0) == 0, "lamp bits 6 and 7 set");
  return 0;
}
