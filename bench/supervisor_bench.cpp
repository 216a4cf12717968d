// One supervisor pass with both sides connected: with nothing pending, and
// with ten panel reports and a frame of simulator data waiting. Target: under
// 1% of the 25 ms period, 250 microseconds.

#include <benchmark/benchmark.h>

#include "bench/BenchBridge.h"

namespace {

void PassIdle(benchmark::State& state) {
  bench::ConnectBoth();
  std::int64_t sinceForget = 0;
  for (auto _ : state) {
    SupervisorPass();
    if (++sinceForget == 4096) {
      state.PauseTiming();
      bench::Forget();
      sinceForget = 0;
      state.ResumeTiming();
    }
  }
  if (!(deviceOpen && simConnected)) state.SkipWithError("the bridge lost a side");
}
BENCHMARK(PassIdle);

void PassWith10ReportsAndData(benchmark::State& state) {
  bench::ConnectBoth();
  const fakesim::Bytes request0 = bench::Request0();
  const fakesim::Bytes request1 = bench::Request1();
  for (auto _ : state) {
    state.PauseTiming();
    bench::Forget();
    fakesim::QueueMessage(request0);
    fakesim::QueueMessage(request1);
    for (int i = 0; i < 10; ++i) fakehid::QueueReport(PanelBytes(ModeNav1, 0, i % 2 ? -1 : 1, 0));
    state.ResumeTiming();
    SupervisorPass();
  }
  if (!(deviceOpen && simConnected)) state.SkipWithError("the bridge lost a side");
}
BENCHMARK(PassWith10ReportsAndData)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
