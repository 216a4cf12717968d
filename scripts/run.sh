#!/usr/bin/env bash
# `make run`: builds the bridge and starts it. With a Dorvik panel plugged in
# and a simulator answering, that is all. Whatever is missing is stood in
# for: the simulator stand-in when no simulator answers at the configured
# address, the virtual panel when no panel is plugged in. Then one terminal
# shows the virtual panel and the stand-in's live view side by side, with
# the bridge's own output below; q (or Ctrl-C) in the panel ends it all.
#
# Environment, for the demo test and for the curious:
#   VESTREL_BUILD_DIR    build tree to build and run from (default: build)
#   VESTREL_SKIP_BUILD=1 run what is built, build nothing
#   VESTREL_FORCE_DEMO=1 stand in for the panel and the simulator even when
#                        real ones are present
set -euo pipefail

origin=$PWD
repo=$(cd "$(dirname "$0")/.." && pwd)
cd "$repo"

build_dir=${VESTREL_BUILD_DIR:-build}
[[ $build_dir = /* ]] || build_dir="$repo/$build_dir"
bin="$build_dir/bin"
bridge="$bin/vestrel-pelvar"
standin="$bin/simstandin"
panel="$bin/virtualpanel"
shim="$build_dir/lib/libvestrel-hidshim.so"

say() { printf 'run: %s\n' "$*"; }
die() { printf 'run: %s\n' "$*" >&2; exit 1; }

# ---- build -------------------------------------------------------------------
if [[ ${VESTREL_SKIP_BUILD:-0} != 1 ]]; then
  # The same configuration as the native stage of `make test`, so the two
  # never reconfigure each other's tree.
  source scripts/build-lib.sh
  say "building in ${build_dir#"$repo"/}"
  configure dev -B "$build_dir"
  ninja -C "$build_dir" vestrel-pelvar simstandin virtualpanel vestrel-hidshim
fi
[[ -x $bridge ]] || die "$bridge is missing: build it first (make check)"

# ---- what is there -----------------------------------------------------------

# The simulator address the bridge will use, from SimConnect.cfg in the
# current folder (else 127.0.0.1 port 500), as the client itself reads it.
[[ -x $standin ]] || die "$standin is missing: build it first (make check)"
read -r sim_address sim_port < <("$standin" --client-address "$origin")

simulator_answers() {
  timeout 1 bash -c 'exec 3<>"/dev/tcp/$0/$1"' "$sim_address" "$sim_port" 2>/dev/null
}

panel_plugged_in() {
  local uevent
  for uevent in /sys/class/hidraw/*/device/uevent; do
    [[ -r $uevent ]] && grep -qi '^HID_ID=[0-9a-f]*:000004D8:0000E6D6$' "$uevent" && return 0
  done
  return 1
}

need_standin=1
need_panel=1
if [[ ${VESTREL_FORCE_DEMO:-0} != 1 ]]; then
  simulator_answers && need_standin=0
  panel_plugged_in && need_panel=0
fi

if [[ $need_standin == 0 && $need_panel == 0 ]]; then
  say "Dorvik panel found, simulator answers at $sim_address:$sim_port: running the bridge (Ctrl-C ends it)"
  cd "$origin"
  exec "$bridge"
fi

# ---- the stand-ins, in tmux --------------------------------------------------
command -v tmux >/dev/null || die "tmux is missing: run 'make deps' (or apt-get install tmux)"
[[ -t 0 && -t 1 ]] || die "the demo needs a terminal"
[[ $need_standin == 0 || -x $standin ]] || die "$standin is missing"
[[ $need_panel == 0 || -x $panel ]] || die "$panel is missing"

work=$(mktemp -d "${TMPDIR:-/tmp}/vestrel-run.XXXXXX")
chmod 700 "$work"
tmux_socket="$work/tmux.sock"
# Everything started from here carries this mark, so the clean-up can find
# every process of this run, and only those, by their ids.
export VESTREL_RUN_MARK="$work"

run_tmux() { env -u TMUX tmux -f /dev/null -S "$tmux_socket" "$@"; }

# Run with the mark unset (see clean_up), so the search never finds itself.
processes_of_this_run() {
  grep -lszxF "VESTREL_RUN_MARK=$work" /proc/[0-9]*/environ | sed 's|^/proc/\([0-9]*\)/environ$|\1|'
  return 0
}

clean_up() {
  trap - EXIT INT TERM HUP
  unset VESTREL_RUN_MARK
  run_tmux kill-server 2>/dev/null || true
  local pids tries=0
  pids=$(processes_of_this_run)
  [[ -n $pids ]] && kill -TERM $pids 2>/dev/null
  while [[ -n $pids && $tries -lt 30 ]]; do
    sleep 0.1
    pids=$(processes_of_this_run)
    tries=$((tries + 1))
  done
  [[ -n $pids ]] && kill -KILL $pids 2>/dev/null
  rm -rf "$work"
}
trap clean_up EXIT
trap 'exit 130' INT TERM HUP

# Each pane runs a little script: its program, then the end of the whole
# session, so quitting any of them (q, Ctrl-C) ends the run. The shell
# itself shrugs off Ctrl-C so it lives to end the session.
pane_script() {
  local name=$1
  shift
  {
    echo 'trap true INT'
    printf '%s\n' "$@"
    echo "echo \$? >'$work/$name.exit'"
    echo "env -u TMUX tmux -S '$tmux_socket' kill-server"
  } >"$work/$name.sh"
}

if [[ -n ${DISPLAY:-}${WAYLAND_DISPLAY:-} ]]; then
  bridge_env=()
  bridge_note="its tray icon shows the connection state on your desktop"
else
  bridge_env=(QT_QPA_PLATFORM=offscreen)
  bridge_note="no display: the bridge runs offscreen, without a tray icon"
fi

panel_args=()
panel_note="Dorvik panel"
if [[ $need_panel == 1 ]]; then
  if [[ -r /dev/uhid && -w /dev/uhid ]]; then
    panel_args=(--uhid)
    panel_note="virtual panel as a HID device (uhid)"
  else
    panel_args=(--socket "$work/panel.sock")
    bridge_env+=(LD_PRELOAD="$shim" VESTREL_PANEL_SOCKET="$work/panel.sock" VESTREL_PELVAR_PANEL_POLL=always)
    panel_note="virtual panel through the hidapi shim"
  fi
  pane_script panel "$(printf '%q ' "$panel" "${panel_args[@]}")"
fi

bridge_folder=$origin
if [[ $need_standin == 1 ]]; then
  bridge_folder=$work
  sim_note="simulator stand-in"
  # The stand-in waits for the go file, so that its first line (the port
  # it listens on) is not written before the pane's output is captured.
  pane_script standin \
    "while [ ! -e '$work/go' ]; do sleep 0.05; done" \
    "$(printf '%q ' "$standin" --port 0 --display)"
else
  sim_note="simulator at $sim_address:$sim_port"
fi

read -r rows cols < <(stty size 2>/dev/null || echo "40 160")

# The first pane opens the session; the others split off it.
open_pane() {
  if [[ -z $main_pane ]]; then
    run_tmux new-session -d -s vestrel -n demo -x "$cols" -y "$rows" -P -F '#{pane_id}' "$@"
  else
    run_tmux split-window -d -P -F '#{pane_id}' -t "$main_pane" "$@"
  fi
}

main_pane=""
if [[ $need_panel == 1 ]]; then
  main_pane=$(open_pane bash "$work/panel.sh")
  quit_hint="q or Ctrl-C in the panel ends the demo"
else
  quit_hint="Ctrl-C ends the demo"
fi
if [[ $need_standin == 1 ]]; then
  if [[ -z $main_pane ]]; then
    standin_pane=$(open_pane bash "$work/standin.sh")
    main_pane=$standin_pane
  elif ((cols >= 140)); then
    # Side by side when the terminal is wide enough, else one above the other.
    standin_pane=$(open_pane -h -l $((cols - 81)) bash "$work/standin.sh")
  else
    standin_pane=$(open_pane -v bash "$work/standin.sh")
  fi
  run_tmux pipe-pane -o -t "$standin_pane" "cat >>'$work/standin.screen'"
  touch "$work/go"
  listening=""
  for _ in $(seq 100); do
    listening=$(grep -ao 'listening on 127\.0\.0\.1:[0-9]*' "$work/standin.screen" 2>/dev/null | head -n 1 || true)
    [[ -n $listening ]] && break
    sleep 0.05
  done
  [[ -n $listening ]] || die "the simulator stand-in did not start"
  printf '[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=%s\n' "${listening##*:}" >"$work/SimConnect.cfg"
fi
run_tmux set-option -g status-left ' Vestrel Pelvar demo ' \; \
  set-option -g status-left-length 24 \; \
  set-option -g status-right " $quit_hint " \; \
  set-option -g status-right-length 48 \; \
  set-option -g escape-time 0 \; \
  set-option -g mouse on >/dev/null

pane_script bridge \
  "cd $(printf '%q' "$bridge_folder")" \
  "echo $(printf '%q' "bridge: $panel_note, $sim_note; $bridge_note")" \
  "$(printf '%q ' env "${bridge_env[@]}" "$bridge")"
open_pane -v -f -l 6 bash "$work/bridge.sh" >/dev/null
run_tmux select-pane -t "$main_pane"

say "starting: $panel_note, $sim_note"
run_tmux attach-session -t vestrel >/dev/null 2>&1 || true

if [[ -f $work/bridge.exit && $(cat "$work/bridge.exit") == 1 ]]; then
  say "the bridge ended at once: another Vestrel Pelvar bridge is running. Quit it from its tray menu first."
fi
say "demo ended"
