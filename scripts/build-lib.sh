# Shared by the build and test scripts.

# ccache keys on paths relative to the checkout, so clones and worktrees in
# other folders share one cache.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
export CCACHE_NOHASHDIR=1

stage() { printf '\n==== %s ====\n' "$*"; }

# configure PRESET [cmake args...]: configures the build folder of a preset
# from CMakePresets.json (extra arguments, such as -B DIR, go after it).
# CMake's report is shown only when the configuration fails.
configure() {
  local report
  if ! report=$(cmake --preset "$@" 2>&1); then
    printf '%s\n' "$report" >&2
    return 1
  fi
}

# run_ctest DIR [ctest args...]: runs the tests of DIR. When
# VP_TEST_TALLY names a file, each run adds its passed and total counts there
# so that a multi-stage run can close with one summary.
run_ctest() {
  local dir=$1 log status
  shift
  log=$(mktemp)
  set +e
  ctest --test-dir "$dir" --output-on-failure --no-tests=error -j2 "$@" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
  set -e
  if [[ -n "${VP_TEST_TALLY:-}" ]]; then
    sed -n 's/^[0-9]*% tests passed, \([0-9]*\) tests failed out of \([0-9]*\).*/\1 \2/p' "$log" >>"$VP_TEST_TALLY"
  fi
  rm -f "$log"
  return "$status"
}

# Closes a multi-stage run with the sum of its ctest runs, in ctest's words.
print_tally() {
  [[ -s "${VP_TEST_TALLY:-}" ]] || return 0
  awk '{ failed += $1; total += $2 }
       END { passed = total - failed
             printf "\n==== all stages ====\n"
             printf "%d%% tests passed, %d tests failed out of %d\n", (total ? int(100 * passed / total) : 100), failed, total }' \
    "$VP_TEST_TALLY"
}
