#!/usr/bin/env bash
# Windows stage of `make test`: cross-builds the bridge, its release zip, the
# core tests and the Windows tests with mingw-w64, then runs them all under
# Wine in a virtual X display, in a Wine prefix of their own inside
# build-win; the network tests against the native simulator stand-in.
#
# Skips (successfully, with a message) only where Wine cannot run at all.
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/build-lib.sh

wine_loader=$(command -v wine64 || true)
[[ -n "$wine_loader" ]] || wine_loader=/usr/lib/wine/wine64
wineserver=$(command -v wineserver || true)
[[ -n "$wineserver" ]] || wineserver=/usr/lib/wine/wineserver
if [[ ! -x "$wine_loader" || ! -x "$wineserver" ]] || ! command -v xvfb-run >/dev/null; then
  echo "SKIPPED: Wine (wine64, wineserver) or xvfb-run is not installed; the Windows tests cannot run here."
  exit 0
fi

# The shell, its tests, and the portable tests of the core that run on the
# fakes (those of them that the build defines).
core_test_programs=(core_tests supervisor_thread_tests)
core_test_labels='core|threads'

# ctest's JUnit report as lines: "tests N", then "silent NAME" for each test
# that failed without printing anything and "failed NAME" for every other
# test that did not pass.
test_outcomes() {
  [[ -f "$1" ]] || { echo "tests 0"; return; }  # ctest stopped before any test ran
  python3 - "$1" <<'PY'
import sys, xml.etree.ElementTree as tree
suite = tree.parse(sys.argv[1]).getroot()
print("tests", suite.get("tests"))
for case in suite.iter("testcase"):
    if case.get("status") in ("fail", "notrun"):
        said = (case.findtext("system-out") or "").strip()
        print("failed" if said or case.get("status") == "notrun" else "silent", case.get("name"))
PY
}

# The tests, in one Wine session (inside the virtual display): a persistent
# wineserver keeps every test from paying Wine's start-up again, and killing
# it at the end ends every Windows process of this prefix, whatever a failed
# test left behind.
#
# Wine now and then fails to start a program when two start together: it
# ends at once, without a word. Only tests that failed so, and only when no
# other test failed, run once more. A test that printed anything ran, and
# its failure is its own: a second run would hide an intermittent fault.
run_wine_tests() {
  "$wineserver" -p
  trap '"$wineserver" -k 2>/dev/null || true' EXIT
  # Bring the session's system processes up before the first test's clock runs.
  "$wine_loader" cmd /c exit >/dev/null 2>&1 || true
  local report="$PWD/build-win/wine-tests.xml" outcomes total reruns status=0
  rm -f "$report"
  VP_TEST_TALLY='' run_ctest build-win -L "^($core_test_labels|windows)\$" --output-junit "$report" || status=$?
  outcomes=$(test_outcomes "$report")
  total=$(sed -n 's/^tests //p' <<<"$outcomes")
  reruns=0
  if [[ $status -ne 0 ]] && grep -q '^silent ' <<<"$outcomes" && ! grep -q '^failed ' <<<"$outcomes"; then
    reruns=$(grep -c '^silent ' <<<"$outcomes")
    echo "Wine ended $reruns test(s) before they printed anything; running them again:"
    sed -n 's/^silent /  /p' <<<"$outcomes"
    status=0
    VP_TEST_TALLY='' run_ctest build-win --rerun-failed --output-junit "$report" || status=$?
    outcomes=$(test_outcomes "$report")
  fi
  echo "Wine reruns: $reruns"
  # Each test counts once in make test's closing tally, with its last run.
  if [[ -n "${VP_TEST_TALLY:-}" ]]; then
    echo "$(grep -c '^failed \|^silent ' <<<"$outcomes") $total" >>"$VP_TEST_TALLY"
  fi
  return "$status"
}

if [[ "${1:-}" == --wine-session ]]; then
  run_wine_tests
  exit
fi

# The Windows programs talk to the native simulator stand-in.
configure dev
ninja -C build simstandin
VP_STANDIN="$PWD/build/bin/simstandin" VP_WINDOWS_TESTS=ON scripts/build-windows.sh vestrel-pelvar windows_tests
defined=$(ninja -C build-win -t targets all | cut -d: -f1)
present=()
for program in "${core_test_programs[@]}"; do
  grep -qx "$program" <<<"$defined" && present+=("$program")
done
[[ ${#present[@]} -eq 0 ]] || ninja -C build-win -j2 "${present[@]}"

export WINEPREFIX="$PWD/build-win/wine-prefix"
export WINEARCH=win64
export WINEDEBUG=-all
# No Mono or Gecko: nothing here needs them, and their installers would ask.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine reads Unix file names in the locale's character set, and some test
# folders are named in Chinese; with UTF-8 names, this locale gives Windows
# the C locale's ANSI code page, 1252, which lacks those characters.
export LC_ALL=C.UTF-8
unset DISPLAY WAYLAND_DISPLAY

# The prefix is created once and kept in build-win: it is the slow part.
if [[ ! -f "$WINEPREFIX/system.reg" || ! -f "$WINEPREFIX/.vestrel-ready" ]]; then
  stage "creating the Wine prefix (once)"
  rm -rf "$WINEPREFIX"
  if ! "$wine_loader" wineboot -i >/dev/null 2>&1 || ! "$wineserver" -w; then
    "$wineserver" -k 2>/dev/null || true
    echo "SKIPPED: Wine cannot start on this machine (wineboot failed); the Windows tests cannot run here."
    exit 0
  fi
  touch "$WINEPREFIX/.vestrel-ready"
fi

stage "Windows tests under Wine"
xvfb-run -a -s "-screen 0 1024x768x24 -nolisten tcp" bash "$PWD/scripts/test-stages/windows.sh" --wine-session
