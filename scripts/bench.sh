#!/usr/bin/env bash
# make bench: builds build-bench (Release) and writes bench/results.md with
#  - the hot-path micro-benchmarks (median of 5 repetitions),
#  - the running bridge against the stand-in and the virtual panel: idle CPU
#    beside a do-nothing sleeper, resident memory after start and after a
#    soak of VP_BENCH_SOAK_SECONDS (default 180; 600 for the full ten
#    minutes), report-to-simulator latency over VP_BENCH_REPORTS reports,
#  - the bridge waiting for a panel on synthetic sysfs trees of 0, 15 and 40
#    HID devices (CPU, hid_open calls, how soon an arriving panel is tried),
#  - the Windows build's memory under Wine, when build-win has the .exe.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/build-lib.sh

stage "Release build with benchmarks (build-bench)"
# The preset leaves warnings to the debug builds: at -O3 GCC 12 reports
# array bounds it cannot prove in code that is fine, and that must not stop
# a measurement.
configure bench
ninja -C build-bench -j2

out=build-bench/bench-out
rm -rf "$out"
mkdir -p "$out"

stage "micro-benchmarks"
micro=()
for bench in panel_bench supervisor_bench profile_bench; do
  build-bench/bin/$bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
    --benchmark_out="$out/$bench.json" --benchmark_out_format=json
  micro+=("$out/$bench.json")
done

report_args=(--out bench/results.md --micro "${micro[@]}")

stage "the running bridge"
bin=build-bench/bin
shim=$PWD/build-bench/lib/libvestrel-hidshim.so
if [[ -x $bin/vestrel-pelvar && -x $bin/simstandin && -x $bin/virtualpanel && -f $shim ]]; then
  python3 bench/system_bench.py --bin "$bin" --shim "$shim" --out "$out/system.json" \
    --idle-seconds "${VP_BENCH_IDLE_SECONDS:-30}" --soak-seconds "${VP_BENCH_SOAK_SECONDS:-180}" \
    --reports "${VP_BENCH_REPORTS:-10000}"
  report_args+=(--system "$out/system.json")
else
  echo "skipped: the bridge, the stand-in, the virtual panel or the hidapi shim is not built"
fi

stage "waiting for the panel on synthetic machines"
if [[ -x $bin/vestrel-pelvar ]]; then
  python3 bench/waiting_bench.py --bridge "$bin/vestrel-pelvar" --magic-shim "$PWD/build-bench/lib/libvp_SysfsMagic.so" \
    --counter-shim "$PWD/build-bench/lib/libvp_HidOpenCounter.so" --shim "$shim" \
    --seconds "${VP_BENCH_WAITING_SECONDS:-15}" --rounds "${VP_BENCH_WAITING_ROUNDS:-4}" \
    --out "$out/waiting.md" --json "$out/waiting.json"
  report_args+=(--waiting "$out/waiting.md")
fi

stage "the Windows build under Wine"
exe=build-win/bin/vestrel-pelvar.exe
if [[ -f $exe ]] && command -v wine >/dev/null && command -v xvfb-run >/dev/null; then
  if bash bench/wine_memory.sh "$exe" "$out/windows.json"; then
    report_args+=(--windows "$out/windows.json")
  else
    report_args+=(--windows-note "the Windows build did not stay up under Wine; see $out/wine.log.")
  fi
else
  report_args+=(--windows-note "no Windows build in build-win/bin (make windows), or no wine/xvfb-run on this machine.")
fi

python3 bench/report.py "${report_args[@]}"
echo "wrote bench/results.md"
