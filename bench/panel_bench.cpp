// Decoding and dispatching panel reports: one at a time, and a burst of a
// thousand read in one drain (a fast spin of the knob between two passes).
// Target: under 1 microsecond per report.

#include <benchmark/benchmark.h>

#include "bench/BenchBridge.h"
#include "panel/HandlePanelReport.h"

namespace {

// Does nothing with what the dispatch asks: isolates decoding and routing.
class NullSimulator final : public FlightSimInterface {
 public:
  void Initialize() override {}
  void TuneCom(UnitSelector, std::int8_t, std::int8_t) override {}
  void TuneNav(UnitSelector u, std::int8_t o, std::int8_t i) override { benchmark::DoNotOptimize(u + o + i); }
  void AdjustHeadingBug(UnitSelector, std::int8_t, std::int8_t) override {}
  void AdjustCourse(UnitSelector, std::int8_t, std::int8_t) override {}
  void TurnFmsKnobs(UnitSelector, std::int8_t, std::int8_t) override {}
  void TurnRangeKnob(UnitSelector, std::int8_t, std::int8_t) override {}
  void AdjustAltitude(UnitSelector, std::int8_t, std::int8_t) override {}
  void AdjustTransponder(UnitSelector, std::int8_t, std::int8_t) override {}
  void AdjustBaro(UnitSelector, std::int8_t, std::int8_t) override {}
  void PressButton(ButtonId) override {}
  AutopilotLampBits GetAutopilotLamps() override { return 0; }
};

// NAV 1 outer knob, alternately one step up and one down, so the frequency
// stays put however long the run.
const std::vector<unsigned char> kUp = PanelBytes(ModeNav1, 0, +1, 0);
const std::vector<unsigned char> kDown = PanelBytes(ModeNav1, 0, -1, 0);

void DecodeAndDispatchOneReport_RoutingOnly(benchmark::State& state) {
  bench::ConnectBoth();
  NullSimulator null;
  PanelDevice.simulator = &null;
  bool up = true;
  for (auto _ : state) {
    AcceptPanelReport((up ? kUp : kDown).data(), kPanelReportSize);
    up = !up;
  }
  PanelDevice.simulator = &msfs;
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(DecodeAndDispatchOneReport_RoutingOnly);

// Through the real command arithmetic and into the recording SimConnect fake
// (whose record of the call is included in the time: an upper bound).
void DecodeAndDispatchOneReport_ToSimConnect(benchmark::State& state) {
  bench::ConnectBoth();
  AcceptPanelReport(kUp.data(), kPanelReportSize);
  if (fakesim::Transmissions().empty()) state.SkipWithError("the report reached no simulator");
  bench::AlternateReports(state, kDown, kUp);
}
BENCHMARK(DecodeAndDispatchOneReport_ToSimConnect);

// A thousand queued reports handled by one ReadPanelReports call, through the
// fake panel's queue and the real commands.
void BurstOf1000ReportsInOneDrain(benchmark::State& state) {
  constexpr int kBurst = 1000;
  bench::ConnectBoth();
  for (auto _ : state) {
    state.PauseTiming();
    bench::Forget();
    for (int i = 0; i < kBurst; ++i) fakehid::QueueReport(i % 2 ? kDown : kUp);
    state.ResumeTiming();
    benchmark::DoNotOptimize(ReadPanelReports());
  }
  state.SetItemsProcessed(state.iterations() * kBurst);
  state.counters["per_report"] = benchmark::Counter(static_cast<double>(state.iterations() * kBurst),
                                                    benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BurstOf1000ReportsInOneDrain)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
