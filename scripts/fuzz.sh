#!/usr/bin/env bash
# make fuzz: every libFuzzer target for a longer time (FUZZ_SECONDS each,
# default 600). The corpora grow in build-fuzz/corpus/ from run to run; see
# docs/robustness.md for running them for hours.
set -euo pipefail
cd "$(dirname "$0")/.."
exec fuzz/run-fuzzers.sh "${FUZZ_SECONDS:-600}" "$@"
