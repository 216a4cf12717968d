#pragma once

// What every transmitted event must look like, whatever the panel sent.

#include "sim/SimConnect.h"

// Checks one transmitted event and aborts when it breaks an invariant.
// Always: the id is in the catalogue and is one a command sends, key and
// knob events carry their fixed data, a squawk has four octal digits, an
// autopilot altitude is not negative. When `rangesSettled` (the mirror held
// values a simulator reports and the report moved the knobs by no more than
// one full range): NAV standby frequencies are channels of the band, packed
// as decimal digits, and degrees lie in 0 to 360.
void CheckTransmittedEvent(SimConnectDword eventId, SimConnectDword data, bool rangesSettled);

// The hundredths of a megahertz packed one decimal digit per nibble, or -1
// when a nibble is not a decimal digit.
long UnpackBcdHundredths(SimConnectDword packed);
