#pragma once

// The network client's twelve SimConnect calls under names of their own, so
// that a program can hold it beside another backend.

#include "sim/SimConnect.h"

namespace simconnect_net {
#include "sim/simconnect/BackendCalls.inc"
}  // namespace simconnect_net
