#include "fuzz/EventInvariants.h"

#include <cstdint>

#include "fuzz/FuzzSeams.h"
#include "sim/ClientEvents.h"

long UnpackBcdHundredths(SimConnectDword packed) {
  long value = 0;
  long weight = 1;
  for (; packed != 0; packed >>= 4, weight *= 10) {
    const SimConnectDword digit = packed & 0xF;
    if (digit > 9) return -1;
    value += static_cast<long>(digit) * weight;
  }
  return value;
}

void CheckTransmittedEvent(SimConnectDword eventId, SimConnectDword data, bool rangesSettled) {
  FUZZ_CHECK(ClientEventName(eventId) != nullptr, "event id outside the catalogue", eventId);
  switch (eventId) {
    case 0:
    case 1:
    case 9:
      FuzzFail("an event that no command sends", eventId, data);
    case 2:
    case 3:
      if (rangesSettled) {
        const long hundredths = UnpackBcdHundredths(data);
        FUZZ_CHECK(hundredths >= 10800 && hundredths <= 11795 && hundredths % 5 == 0,
                   "NAV standby off the 50 kHz channels of 108.00-117.95 MHz", eventId, data);
      }
      break;
    case 4:
    case 5:
    case 6:
      if (rangesSettled) FUZZ_CHECK(data <= 360, "degrees outside 0-360", eventId, data);
      break;
    case 7:
      FUZZ_CHECK(data <= 0x7777, "squawk of more than four digits", data);
      for (SimConnectDword code = data; code != 0; code >>= 4) {
        FUZZ_CHECK((code & 0xF) <= 7, "squawk digit above 7", data);
      }
      break;
    case 8:
      FUZZ_CHECK(static_cast<std::int32_t>(data) >= 0, "negative autopilot altitude", data);
      break;
    default:
      // Knob steps carry 1, key presses 0.
      if ((eventId >= 10 && eventId <= 43) || eventId == 103 || eventId == 104) {
        FUZZ_CHECK(data == 1, "knob event without data 1", eventId, data);
      } else {
        FUZZ_CHECK(data == 0, "key event without data 0", eventId, data);
      }
      break;
  }
}
