#pragma once

// A bridge connected to the fake panel and the fake simulator library, for
// the benchmarks. The fakes record every call; Forget() drops the records so
// that long runs measure the bridge, not a growing log.

#include "panel/PanelMode.h"
#include "tests/support/BridgeState.h"
#include "tests/support/ObjectData.h"
#include "tests/support/PanelBytes.h"

namespace bench {

inline void Forget() {
  fakesim::ClearCalls();
  fakehid::ClearWrites();
  faketray::Reset();
}

// Both sides connected through a supervisor pass, with NAV 1 on 110.50 and
// the transponder on 1200.
inline void ConnectBoth() {
  ResetBridgeState();
  fakehid::PlugIn();
  fakesim::SetSimulatorRunning(true);
  SupervisorPass();
  msfs.nav1Standby = 110.50;
  msfs.transponderCode = 0x1200;
  Forget();
}

// One frame of simulator data: both requests, as the simulator sends them.
inline objectdata::Bytes Request0() { return objectdata::Definition0({118.0, 119.0, 110.5, 113.45, 355.0, 90.0, 5.0}); }
inline objectdata::Bytes Request1() { return objectdata::Definition1(3000.0, 0.0, {0x1200, 1, 1, 0, 0, 0, 0}); }

}  // namespace bench
