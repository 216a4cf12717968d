#!/usr/bin/env bash
# Lints, then builds and tests every configuration: the native build with all tests, the
# ASan+UBSan build of the same tests, the TSan build of the tests that cross
# threads, and any further stages that components add (Windows cross build
# under Wine, fuzzing). Stops at the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/build-lib.sh
export VP_TEST_TALLY
VP_TEST_TALLY=$(mktemp)
trap 'rm -f "$VP_TEST_TALLY"' EXIT

stage "lint"
scripts/lint.sh

stage "native build"
configure dev
ninja -C build
run_ctest build

stage "ASan + UBSan build"
configure asan
ninja -C build-asan
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  run_ctest build-asan -LE 'nosan|e2e|windows'

stage "TSan build (thread-crossing tests)"
configure tsan
ninja -C build-tsan thread_tests
TSAN_OPTIONS=halt_on_error=1 run_ctest build-tsan -L 'threads'

# Further stages, each a script of its own component; those that run ctest
# through run_ctest add to the closing tally.
for extra in scripts/test-stages/*.sh; do
  [[ -e "$extra" ]] || continue
  stage "$(basename "$extra" .sh)"
  bash "$extra"
done

print_tally
