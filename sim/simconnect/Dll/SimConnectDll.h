#pragma once

// The twelve SimConnect calls forwarded to the simulator's SimConnect.dll,
// under names of their own, so that a program can hold them beside another
// backend.

#include "sim/SimConnect.h"

namespace simconnect_dll {
#include "sim/simconnect/BackendCalls.inc"
}  // namespace simconnect_dll
