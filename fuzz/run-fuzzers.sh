#!/usr/bin/env bash
# Builds the libFuzzer targets in build-fuzz (or VP_FUZZ_BUILD; clang, ASan +
# UBSan) and runs each for SECONDS_EACH seconds from the checked-in seeds and
# the corpus earlier runs grew in the build folder. Stops at the first crash
# or broken invariant, saving the input and printing how to reproduce it.
# Usage: fuzz/run-fuzzers.sh SECONDS_EACH|total:SECONDS [extra libFuzzer flags...]
# (total:N shares N seconds among the targets that were built.)
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/build-lib.sh

time_spec=${1:?seconds per target, or total:SECONDS}
shift
build=${VP_FUZZ_BUILD:-build-fuzz}
configure fuzz -B "$build"
ninja -C "$build" -j2

# The targets this build defines: a binary left from an older build is not one.
binaries=($(ninja -C "$build" -t targets all | sed -n "s|^\(bin/fuzz_[a-z_]*\):.*|$build/\1|p"))
seconds_each=$time_spec
[[ $time_spec == total:* ]] && seconds_each=$(( ${time_spec#total:} / ${#binaries[@]} ))
mkdir -p "$build/artifacts"
for binary in "${binaries[@]}"; do
  name=$(basename "$binary")
  name=${name#fuzz_}
  mkdir -p "$build/corpus/$name"
  seeds=()
  [[ -d fuzz/corpus/$name ]] && seeds=("fuzz/corpus/$name")
  echo "-- fuzz_$name: ${seconds_each}s"
  if ! "$binary" -max_total_time="$seconds_each" -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
       -print_final_stats=1 -artifact_prefix="$build/artifacts/$name-" "$@" \
       "$build/corpus/$name" "${seeds[@]}" >"$build/$name.log" 2>&1; then
    grep -E 'invariant broken|ERROR|runtime error|SUMMARY|Test unit written' "$build/$name.log" || true
    echo "FAILED: fuzz_$name (log: $build/$name.log)"
    for artifact in "$build/artifacts/$name"-*; do
      [[ -e "$artifact" ]] && echo "reproduce: $binary $artifact"
    done
    exit 1
  fi
  grep -E '^stat::number_of_executed_units|^Done' "$build/$name.log" | tr '\n' ' '
  echo
done
