#!/usr/bin/env bash
# Resident memory of the Windows build running under Wine on a virtual X
# server: started in a private Wine prefix, given time to settle (it finds
# neither the panel nor the simulator and waits, as on a desk without them),
# measured, then ended with the prefix's own wineserver.
#
# usage: bench/wine_memory.sh path/to/vestrel-pelvar.exe out.json
set -euo pipefail
exe=$(readlink -f "$1")
out=$2
log=$(dirname "$out")/wine.log
settle=${VP_WINE_SETTLE_SECONDS:-20}
prefix=$(mktemp -d /tmp/vp-wine-XXXXXX)
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

# Our own X server on a free display; the prefix is made on it too, or Wine
# finds no graphics driver when the program opens its window.
exec 3< <(Xvfb -displayfd 4 -nolisten tcp -screen 0 1024x768x24 4>&1 >/dev/null 2>&1 & echo "pid $!")
read -r _ xvfb <&3
read -r -t 10 display <&3 || { echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=:$display
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb" 2>/dev/null || true
  rm -rf "$prefix"
}
trap cleanup EXIT

wineboot -i >"$log" 2>&1 || true
wine "$exe" >>"$log" 2>&1 &

# The program's own process: its name is the executable's, and it runs in
# our prefix.
pid=""
for _ in $(seq 1 120); do
  for candidate in /proc/[0-9]*; do
    [[ $(cat "$candidate/comm" 2>/dev/null) == vestrel-pelvar* ]] || continue
    if tr '\0' '\n' <"$candidate/environ" 2>/dev/null | grep -qx "WINEPREFIX=$prefix"; then
      pid=${candidate#/proc/}
    fi
  done
  [[ -n $pid ]] && break
  sleep 0.5
done
if [[ -z $pid ]]; then
  echo "the Windows build did not start under Wine (see $log)" >&2
  exit 1
fi
sleep "$settle"
kill -0 "$pid" 2>/dev/null || { echo "the Windows build ended under Wine (see $log)" >&2; exit 1; }
rss=$(awk '/^VmRSS:/ {print $2}' "/proc/$pid/status")
anon=$(awk '/^RssAnon:/ {print $2}' "/proc/$pid/status")
cat >"$out" <<JSON
{"what": "vestrel-pelvar.exe waiting for panel and simulator, $settle s after start",
 "rss_kb": $rss, "anon_kb": $anon,
 "note": "VmRSS of the process under Wine counts Wine's own libraries mapped into it; the memory the process holds privately (its anonymous pages, Wine's heaps included) is the closer figure to a Windows private working set."}
JSON
