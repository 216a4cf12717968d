#!/usr/bin/env python3
"""What the real bridge costs while it waits for a panel, for scripts/bench.sh.

Each run is the real vestrel-pelvar, with the real hidapi and libudev, on a
machine of its own: a tmpfs over /sys and /run in a private mount namespace,
filled by tools/syntheticsysfs/sysfs_tree.py with 0, 15 or 40 USB HID devices, with or without a
Dorvik panel among them whose node it may not open. No simulator runs.
Beside them run a process that only sleeps 25 ms at a time (idle_sleeper,
from the bridge's folder) and, given --shim, a bridge connected and idle
(stand-in at 30 Hz, virtual panel through the hidapi shim). All start
together and are measured over the same seconds:

  CPU        the run time of all threads (schedstat), from --warmup seconds
             after start, over --rounds windows of --seconds each; the
             ratios of the targets are taken in each window
  hid_open   every call, timed by a preloaded forwarding wrapper
  arrival    two more 40-device machines on which a panel's node appears
             while the bridge waits: on one the kernel's announcement of the
             node is played to the bridge's uevent socket (where this
             process may send there), on the other none arrives; how long
             until hid_open is tried

libudev accepts a /sys only when statfs says sysfs: a preloaded shim says
so for the tmpfs. Without root, the namespace is made with unshare -rm;
where the kernel refuses it, the benchmark is skipped with the reason.

usage: waiting_bench.py --bridge EXE --magic-shim LIB --counter-shim LIB [--shim LIB]
                        --out FILE.md [--json FILE.json] [--seconds S] [--rounds N]
"""

import argparse
import json
import os
import socket
import statistics
import subprocess
import sys
import tempfile
import time

from report import verdict
from system_bench import Failure, Rig, cpu_ns, start_sleeper, stop_sleeper

HERE = os.path.dirname(os.path.abspath(__file__))
TREE = os.path.join(os.path.dirname(HERE), "tools", "syntheticsysfs")
PERIOD = 0.025
SWEEP = 1.0  # the listing's sweep where no announcement arrives
NETLINK_KOBJECT_UEVENT = 15
MACHINES = [(0, False), (15, False), (40, False), (0, True), (15, True), (40, True)]


def log(message):
    sys.stderr.write("waiting_bench: %s\n" % message)
    sys.stderr.flush()


def inside(args):
    """In the private namespace: the machine, the bridge, and for the arrival run the panel's node."""
    for target in ("/sys", "/run"):
        subprocess.run(["mount", "-t", "tmpfs", "vp-bench", target], check=True)
    sys.path.insert(0, TREE)
    import sysfs_tree
    sysfs_tree.build("/", args.nodes, args.panel)
    env = {key: value for key, value in os.environ.items() if key not in ("DISPLAY", "WAYLAND_DISPLAY")}
    env.update(QT_QPA_PLATFORM="offscreen", XDG_RUNTIME_DIR=args.folder, LD_PRELOAD=args.preload,
               VP_HID_OPEN_LOG=os.path.join(args.folder, "hid_open.log"))
    with open(os.path.join(args.folder, "bridge.stderr"), "w") as stderr:
        bridge = subprocess.Popen([args.bridge], cwd=args.folder, env=env, stdin=subprocess.DEVNULL,
                                  stdout=subprocess.DEVNULL, stderr=stderr)
    print(bridge.pid, flush=True)
    if args.arrival:
        time.sleep(args.arrival_after)
        node = sysfs_tree.add_hid_node("/", args.nodes, sysfs_tree.PANEL)
        appeared = time.monotonic()
        told = announce(bridge.pid, node) if args.announce else ""
        with open(os.path.join(args.folder, "arrival"), "w") as f:
            f.write("%.9f %s\n" % (appeared, told or "-"))
    sys.stdin.read()  # until the measurement is over
    bridge.kill()
    bridge.wait()


def uevent_port(pid):
    """The netlink port of the bridge's uevent socket, or None."""
    inodes = set()
    for fd in os.listdir("/proc/%d/fd" % pid):
        try:
            target = os.readlink("/proc/%d/fd/%s" % (pid, fd))
        except OSError:
            continue
        if target.startswith("socket:["):
            inodes.add(target[8:-1])
    with open("/proc/%d/net/netlink" % pid) as f:
        for line in f.readlines()[1:]:
            fields = line.split()
            if int(fields[1]) == NETLINK_KOBJECT_UEVENT and fields[-1] in inodes:
                return int(fields[2])
    return None


def announce(pid, node):
    """Plays the kernel's "add" of a hidraw node to the bridge's socket alone; "" when sent, else why not."""
    devpath = os.path.realpath(node)[len("/sys"):]
    name = os.path.basename(devpath)
    fields = ["ACTION=add", "DEVPATH=" + devpath, "SUBSYSTEM=hidraw", "DEVNAME=" + name, "SEQNUM=1"]
    message = ("add@" + devpath + "\0" + "\0".join(fields) + "\0").encode()
    port = uevent_port(pid)
    if port is None:
        return "no uevent socket in the bridge"
    try:
        with socket.socket(socket.AF_NETLINK, socket.SOCK_DGRAM, NETLINK_KOBJECT_UEVENT) as sender:
            sender.sendto(message, (port, 0))
    except OSError as error:
        return "sending refused (%s)" % error.strerror
    return ""


def namespace_command():
    """unshare's arguments for a private mount namespace, or None with the reason it is refused."""
    for command in (["unshare", "-m"], ["unshare", "-rm"]):
        if command == ["unshare", "-m"] and os.geteuid() != 0:
            continue
        probe = subprocess.run(command + ["sh", "-c", "mount -t tmpfs vp-probe /mnt"], capture_output=True, text=True)
        if probe.returncode == 0:
            return command, ""
        reason = probe.stderr.strip()
    return None, reason


def run_time_ns(pid):
    """All threads' run time (system_bench's measure), or None once the process has ended."""
    try:
        return cpu_ns(pid)
    except OSError:
        return None


class Run:
    def __init__(self, args, unshare, work, nodes, panel, arrival=None, tag=None):
        self.nodes, self.panel, self.arrival = nodes, panel, arrival
        tag = arrival or tag
        self.folder = os.path.join(work, "%d%s%s" % (nodes, "-panel" if panel else "", "-" + tag if tag else ""))
        os.makedirs(self.folder)
        argv = unshare + [sys.executable, os.path.abspath(__file__), "--inside", "--bridge", args.bridge,
                          "--folder", self.folder, "--nodes", str(nodes),
                          "--preload", "%s:%s" % (args.magic_shim, args.counter_shim)]
        if panel:
            argv.append("--panel")
        if arrival:
            argv += ["--arrival", "--arrival-after", str(args.arrival_after)]
            if arrival == "announced":
                argv.append("--announce")
        self.started = time.monotonic()
        self.proc = subprocess.Popen(argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True)
        self.pid = int(self.proc.stdout.readline())

    def stop(self):
        self.proc.stdin.close()
        self.proc.wait(timeout=10)

    def hid_open_times(self):
        path = os.path.join(self.folder, "hid_open.log")
        if not os.path.exists(path):
            return []
        with open(path) as f:
            return [tuple(map(float, line.split())) for line in f if line.strip()]


def connected_bridge(args, work):
    """A bridge connected to the stand-in and the virtual panel, idle; None without the shim."""
    if not args.shim:
        return None
    rig = Rig(argparse.Namespace(bin=os.path.dirname(args.bridge), shim=args.shim), work, "connected")
    rig.start_standin()
    rig.start_panel()
    rig.start_bridge()
    if rig.panel.wait_for(lambda line: line == "bridge connected") is None:
        rig.stop()
        raise Failure("the connected bridge did not open the virtual panel")
    return rig


def arrival_delay(run):
    """Seconds from the node's appearing to the next hid_open, and why no announcement was played."""
    with open(os.path.join(run.folder, "arrival")) as f:
        appeared, told = f.read().split(" ", 1)
    appeared = float(appeared)
    tries = [t for t, _ in run.hid_open_times() if t >= appeared]
    return (tries[0] - appeared) if tries else None, told.strip().replace("-", "")


def measure(args, unshare, work):
    runs = [Run(args, unshare, work, nodes, panel) for nodes, panel in MACHINES]
    arrivals = [Run(args, unshare, work, 40, False, arrival=kind) for kind in ("announced", "unannounced")]
    # The same work as the 0-device bridge: how far two equal processes differ on this machine.
    twin = Run(args, unshare, work, 0, False, tag="twin")
    sleeper = start_sleeper(argparse.Namespace(bin=os.path.dirname(args.bridge)))
    connected = None
    try:
        connected = connected_bridge(args, work)
        pids = {(r.nodes, r.panel): r.pid for r in runs}
        pids["sleeper"] = sleeper.pid
        pids["twin"] = twin.pid
        if connected:
            pids["connected"] = connected.bridge.proc.pid
        time.sleep(args.warmup)
        marks = [(time.monotonic(), {key: run_time_ns(pid) for key, pid in pids.items()})]
        for _ in range(args.rounds):
            time.sleep(args.seconds)
            marks.append((time.monotonic(), {key: run_time_ns(pid) for key, pid in pids.items()}))
        started = min(run.started for run in arrivals)
        time.sleep(max(0.0, args.arrival_after + 2 * SWEEP - (time.monotonic() - started)))
    finally:
        for run in runs + arrivals + [twin]:
            run.stop()
        stop_sleeper(sleeper)
        if connected:
            connected.stop()
    for key, _ in pids.items():
        if any(cpu[key] is None for _, cpu in marks):
            raise SystemExit("waiting_bench: %s ended early; see %s" % (key, work))
    # CPU in percent of a core, per process and window.
    windows = [{key: 100.0 * (b[key] - a[key]) / 1e9 / (tb - ta) for key in pids}
               for (ta, a), (tb, b) in zip(marks, marks[1:])]
    start, end = marks[0][0], marks[-1][0]
    seconds = end - start
    results = []
    for run in runs:
        key = (run.nodes, run.panel)
        calls = run.hid_open_times()
        in_window = [(t, cpu) for t, cpu in calls if start <= t <= end]
        times = [t for t, _ in calls]
        gaps = [b - a for a, b in zip(times, times[1:])]
        results.append({
            "nodes": run.nodes, "panel": run.panel,
            "cpu_percent": 100.0 * (marks[-1][1][key] - marks[0][1][key]) / 1e9 / seconds,
            "hid_open_per_second": len(in_window) / seconds,
            "hid_open_cpu_percent": 100.0 * sum(cpu for _, cpu in in_window) / seconds,
            "hid_open_cpu_ms": 1e3 * statistics.median([cpu for _, cpu in calls]) if calls else None,
            "hid_open_calls": len(calls),
            "gap_min_s": min(gaps) if gaps else None, "gap_max_s": max(gaps) if gaps else None,
            "gap_median_s": statistics.median(gaps) if gaps else None,
        })

    def ratios(over, under):
        return [w[over] / w[under] if w[under] > 0 else float("nan") for w in windows]

    targets = [{"case": "waiting, 40 HID devices, vs waiting with 0 devices", "bound": 1.15,
                "ratios": ratios((40, False), (0, False))},
               {"case": "waiting, 0 devices, vs the sleeper", "bound": 1.3, "ratios": ratios((0, False), "sleeper")}]
    targets.append({"case": "waiting, 0 devices, vs its twin doing the same (how far equals differ here)",
                    "bound": None, "ratios": ratios("twin", (0, False))})
    if connected:
        targets.append({"case": "connected and idle (stand-in at 30 Hz), vs the sleeper", "bound": 1.3,
                        "ratios": ratios("connected", "sleeper")})
    arrival = {run.arrival: arrival_delay(run) for run in arrivals}
    return {"seconds": seconds, "rounds": args.rounds, "warmup": args.warmup, "runs": results,
            "sleeper_percent": statistics.fmean(w["sleeper"] for w in windows),
            "connected_percent": statistics.fmean(w["connected"] for w in windows) if connected else None,
            "targets": targets, "arrival": arrival}


def report(figures, label):
    runs = {(r["nodes"], r["panel"]): r for r in figures["runs"]}
    base = runs[(0, False)]
    judged = not label.startswith("before")
    out = []
    w = out.append
    w("## Waiting for the panel (%s)" % label)
    w("")
    w("The real bridge, hidapi and libudev, waiting with no panel and no simulator, on synthetic sysfs trees in a")
    w("private mount namespace (USB devices, interfaces, HID devices, hidraw nodes, udev database), beside a process")
    w("that only sleeps 25 ms at a time and a bridge connected and idle (stand-in at 30 Hz, virtual panel); all side")
    w("by side, CPU of all threads from %.0f s after start over %d windows of %.1f s (bench/waiting_bench.py). The"
      % (figures["warmup"], figures["rounds"], figures["seconds"] / figures["rounds"]))
    w("machine is shared: each ratio is taken within one window, and the median of the windows is judged.")
    w("")
    w("| Case | ratio in each window | median | Target | |")
    w("|---|---|---|---|---|")
    for target in figures["targets"]:
        median = statistics.median(target["ratios"])
        bound = target["bound"]
        w("| %s | %s | %.2f× | %s | %s |" % (
            target["case"], " ".join("%.2f" % r for r in target["ratios"]), median,
            "" if bound is None else "≤ %.2f×" % bound, verdict(median <= bound) if judged and bound else ""))
    w("")
    connected = figures["connected_percent"]
    w("The sleeper used %.3f%% of one core%s." % (
        figures["sleeper_percent"], "" if connected is None else ", the connected bridge %.3f%%" % connected))
    w("")
    w("hid_open is timed by a preloaded wrapper: the CPU of each call (a walk over every HID device) and the gaps")
    w("between calls, over the whole run.")
    w("")
    w("| HID devices | + a panel it cannot open | CPU of one core | × the 0-device bridge | of it in hid_open "
      "| hid_open a second | CPU per hid_open | gaps between hid_open (min / median / max) | Target | |")
    w("|---|---|---|---|---|---|---|---|---|---|")
    for nodes, panel in MACHINES:
        r = runs[(nodes, panel)]
        ratio = r["cpu_percent"] / base["cpu_percent"] if base["cpu_percent"] > 0 else float("nan")
        gaps = "–" if r["gap_median_s"] is None else "%.2f / %.2f / %.2f s" % (
            r["gap_min_s"], r["gap_median_s"], r["gap_max_s"])
        if panel:
            target, ok = "≤ 3×", ratio <= 3.0
        else:
            # Nothing listed: only the safety net, once a minute.
            target, ok = "only the net, ≥ 55 s apart", r["gap_min_s"] is None or r["gap_min_s"] >= 55
        per_call = "–" if r["hid_open_cpu_ms"] is None else "%.2f ms" % r["hid_open_cpu_ms"]
        w("| %d | %s | %.3f%% | %.2f× | %.3f%% | %.2f | %s | %s | %s | %s |" % (
            nodes, "yes" if panel else "no", r["cpu_percent"], ratio, r["hid_open_cpu_percent"],
            r["hid_open_per_second"], per_call, gaps, target, verdict(ok) if judged else ""))
    w("")
    per_call = runs[(40, False)]["hid_open_cpu_ms"] or runs[(40, True)]["hid_open_cpu_ms"] or 0
    w("One walk of 40 devices by hid_open costs %.1f ms of CPU here." % per_call)
    w("")
    bounds = {"announced": ("the kernel's announcement played to its socket", 2 * PERIOD),
              "unannounced": ("no announcement", SWEEP + 4 * PERIOD)}
    for kind, (delay, refused) in sorted(figures["arrival"].items()):
        what, bound = bounds[kind]
        if refused:
            w("A panel node appearing with %s: not measured, %s." % (what, refused))
        elif delay is None:
            w("A panel node appearing with %s while the bridge waited on 40 devices was never tried: %s."
              % (what, verdict(False)))
        else:
            w("A panel node appearing with %s while the bridge waited on 40 devices was tried %.1f ms later "
              "(target: ≤ %.0f ms): %s." % (what, delay * 1e3, bound * 1e3, verdict(delay <= bound) if judged else ""))
    w("")
    return "\n".join(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--inside", action="store_true", help=argparse.SUPPRESS)
    parser.add_argument("--folder", help=argparse.SUPPRESS)
    parser.add_argument("--nodes", type=int, help=argparse.SUPPRESS)
    parser.add_argument("--panel", action="store_true", help=argparse.SUPPRESS)
    parser.add_argument("--arrival", action="store_true", help=argparse.SUPPRESS)
    parser.add_argument("--announce", action="store_true", help=argparse.SUPPRESS)
    parser.add_argument("--preload", help=argparse.SUPPRESS)
    parser.add_argument("--bridge", required=True)
    parser.add_argument("--magic-shim")
    parser.add_argument("--counter-shim")
    parser.add_argument("--shim", help="libvestrel-hidshim.so: adds the connected bridge")
    parser.add_argument("--out")
    parser.add_argument("--json")
    parser.add_argument("--label", default="Release build")
    parser.add_argument("--warmup", type=float, default=3.0)
    parser.add_argument("--seconds", type=float, default=15.0, help="of each window")
    parser.add_argument("--rounds", type=int, default=4, help="windows, each giving the ratios")
    parser.add_argument("--arrival-after", type=float, default=8.0,
                        help="seconds after start at which the panel's node appears on the arrival machine")
    args = parser.parse_args()
    if args.inside:
        return inside(args)
    # The bridges run in folders of their own.
    args.bridge, args.magic_shim, args.counter_shim = map(os.path.abspath, (args.bridge, args.magic_shim,
                                                                             args.counter_shim))
    if args.shim:
        args.shim = os.path.abspath(args.shim)

    unshare, reason = namespace_command()
    if unshare is None:
        text = "## Waiting for the panel\n\nSkipped: no private mount namespace here (%s).\n" % reason
        log(text.strip())
    else:
        with tempfile.TemporaryDirectory(prefix="vp-waiting-") as work:
            log("9 bridges on synthetic machines, a sleeper%s, %.0f s + %d × %.0f s" % (
                " and a connected bridge" if args.shim else "", args.warmup, args.rounds, args.seconds))
            figures = measure(args, unshare, work)
        if args.json:
            with open(args.json, "w") as f:
                json.dump(figures, f, indent=1)
        text = report(figures, args.label)
    print(text)
    if args.out:
        with open(args.out, "w") as f:
            f.write(text + "\n")


if __name__ == "__main__":
    sys.exit(main())
