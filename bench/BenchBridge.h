#pragma once

// A bridge connected to the fake panel and the fake simulator library, for
// the benchmarks. The fakes record every call; Forget() drops the records so
// that long runs measure the bridge, not a growing log.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

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

// One frame of simulator data: both requests, as the simulator sends them.
inline objectdata::Bytes Request0() { return objectdata::Definition0({118.0, 119.0, 110.5, 113.45, 355.0, 90.0, 5.0}); }
inline objectdata::Bytes Request1() { return objectdata::Definition1(3000.0, 0.0, {0x1200, 1, 1, 0, 0, 0, 0}); }

// Both sides connected through a supervisor pass that also brings the first
// frame of data (NAV 1 on 110.50, the transponder on 1200), so the commands
// have a mirror to compute from.
inline void ConnectBoth() {
  ResetBridgeState();
  fakehid::PlugIn();
  fakesim::SetSimulatorRunning(true);
  fakesim::QueueMessage(Request0());
  fakesim::QueueMessage(Request1());
  SupervisorPass();
  Forget();
}

// Hands the bridge `up` and `down` by turns for as long as the benchmark
// runs, dropping the fakes' records every 4,096 reports outside the timing.
inline void AlternateReports(benchmark::State& state, const std::vector<unsigned char>& up,
                             const std::vector<unsigned char>& down) {
  bool turnUp = true;
  std::int64_t sinceForget = 0;
  for (auto _ : state) {
    AcceptPanelReport((turnUp ? up : down).data(), kPanelReportSize);
    turnUp = !turnUp;
    if (++sinceForget == 4096) {
      state.PauseTiming();
      Forget();
      sinceForget = 0;
      state.ResumeTiming();
    }
  }
  state.SetItemsProcessed(state.iterations());
}

}  // namespace bench
