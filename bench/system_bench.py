#!/usr/bin/env python3
"""System measurements of the running bridge, for scripts/bench.sh.

The real vestrel-pelvar process, its panel reached through the preloaded
hidapi shim and played by the virtual panel in script mode, its simulator
played by the stand-in at 30 frames a second. Measures:

  idle CPU     utime+stime of the bridge over --idle-seconds, connected and
               idle, and (a second bridge) waiting for a panel that is not
               there while the simulator runs; beside a process that only
               sleeps 25 ms at a time, measured over the same seconds
  memory       resident set of the connected bridge after start and after
               --soak-seconds of knob turns and simulator drops
  latency      from the moment a report is handed to the virtual panel to
               the moment the stand-in reports the event applied, over
               --reports reports of one COM 1 whole-megahertz step each

usage: system_bench.py --bin DIR --shim LIB --out FILE.json [options]
Writes the figures as JSON; prints progress to stderr."""

import argparse
import json
import os
import queue
import random
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import threading
import time

WAIT = 10.0  # seconds: bound of every wait for a process to answer
TICKS = os.sysconf("SC_CLK_TCK")


def log(message):
    sys.stderr.write("system_bench: %s\n" % message)
    sys.stderr.flush()


class Failure(Exception):
    pass


class Child:
    """A process whose stdout lines are collected with their arrival time."""

    def __init__(self, name, argv, cwd, env=None):
        self.name = name
        self.stderr = open(os.path.join(cwd, name + ".stderr"), "w")
        self.proc = subprocess.Popen(argv, cwd=cwd, env=env or dict(os.environ), stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=self.stderr, text=True, bufsize=1)
        self.lines = queue.Queue()
        self.history = []
        self.reader = threading.Thread(target=self._read, daemon=True)
        self.reader.start()

    def _read(self):
        for line in self.proc.stdout:
            stamped = (time.monotonic_ns(), line.rstrip("\n"))
            self.history.append(stamped)
            self.lines.put(stamped)

    def send(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()

    def wait_for(self, condition, timeout=WAIT):
        """The first line from now on that satisfies condition, or None."""
        deadline = time.monotonic() + timeout
        while True:
            left = deadline - time.monotonic()
            if left <= 0:
                return None
            try:
                _, line = self.lines.get(timeout=left)
            except queue.Empty:
                return None
            if condition(line):
                return line

    def drain(self):
        while True:
            try:
                self.lines.get_nowait()
            except queue.Empty:
                return

    def stop(self):
        if self.proc.poll() is None:
            self.proc.send_signal(signal.SIGTERM)
            try:
                self.proc.wait(timeout=3)
            except subprocess.TimeoutExpired:
                self.proc.kill()
                self.proc.wait()
        self.stderr.close()


def cpu_ticks(pid):
    """utime + stime of a process, in clock ticks."""
    with open("/proc/%d/stat" % pid) as f:
        fields = f.read().rsplit(")", 1)[1].split()
    return int(fields[11]) + int(fields[12])  # fields 14 and 15 of proc(5)


def cpu_ns(pid):
    """CPU time of all the process's threads, in nanoseconds (finer than ticks)."""
    total = 0
    for task in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/schedstat" % (pid, task)) as f:
                total += int(f.read().split()[0])
        except (FileNotFoundError, ProcessLookupError):
            pass  # a thread that ended meanwhile
    return total


def wakeups(pid):
    """Voluntary context switches of all the process's threads: how often it slept and woke."""
    total = 0
    for task in os.listdir("/proc/%d/task" % pid):
        try:
            with open("/proc/%d/task/%s/status" % (pid, task)) as f:
                for line in f:
                    if line.startswith("voluntary_ctxt_switches:"):
                        total += int(line.split()[1])
        except (FileNotFoundError, ProcessLookupError):
            pass
    return total


def resident_kb(pid):
    with open("/proc/%d/status" % pid) as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


class Rig:
    def __init__(self, args, root, name):
        self.args = args
        self.dir = os.path.join(root, name)
        os.makedirs(self.dir)
        self.socket = os.path.join(self.dir, "panel.sock")
        self.children = []
        self.standin = self.panel = self.bridge = None
        self.port = None

    def start(self, name, argv, env=None):
        child = Child(name, argv, self.dir, env)
        self.children.append(child)
        return child

    def start_standin(self):
        self.standin = self.start("standin", [os.path.join(self.args.bin, "simstandin"), "--port", "0",
                                              "--rate", "30"])
        line = self.standin.wait_for(lambda text: text.startswith("listening on 127.0.0.1:"))
        if line is None:
            raise Failure("the stand-in did not start listening")
        self.port = int(line.rsplit(":", 1)[1])

    def start_panel(self):
        self.panel = self.start("panel", [os.path.join(self.args.bin, "virtualpanel"), "--script", "--socket",
                                          self.socket])
        deadline = time.monotonic() + WAIT
        while not os.path.exists(self.socket):
            if time.monotonic() > deadline:
                raise Failure("the virtual panel did not create its socket")
            time.sleep(0.01)

    def start_bridge(self):
        with open(os.path.join(self.dir, "SimConnect.cfg"), "w") as cfg:
            cfg.write("[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=%d\n" % self.port)
        env = dict(os.environ)
        env.update(QT_QPA_PLATFORM="offscreen", LD_PRELOAD=self.args.shim, VESTREL_PANEL_SOCKET=self.socket,
                   VESTREL_PELVAR_PANEL_POLL="always", XDG_RUNTIME_DIR=self.dir)
        self.bridge = self.start("bridge", [os.path.join(self.args.bin, "vestrel-pelvar")], env)

    def stop(self):
        for child in reversed(self.children):
            child.stop()


def measure_idle(pids, seconds):
    """CPU used by each process over the same seconds: ticks and ns."""
    start = {name: (cpu_ticks(pid), cpu_ns(pid), wakeups(pid)) for name, pid in pids.items()}
    began = time.monotonic()
    time.sleep(seconds)
    elapsed = time.monotonic() - began
    result = {}
    for name, pid in pids.items():
        ticks = cpu_ticks(pid) - start[name][0]
        ns = cpu_ns(pid) - start[name][1]
        woke = wakeups(pid) - start[name][2]
        result[name] = {
            "wakeups_per_second": woke / elapsed,
            "cpu_us_per_wakeup": ns / 1e3 / woke if woke else 0.0,
            "seconds": elapsed,
            "ticks": ticks,
            "tick_percent_of_core": 100.0 * ticks / TICKS / elapsed,
            "percent_of_core": 100.0 * ns / 1e9 / elapsed,
        }
    return result


def start_sleeper(args):
    return subprocess.Popen([os.path.join(args.bin, "idle_sleeper")], stdout=subprocess.PIPE, text=True)


def stop_sleeper(sleeper):
    """Ends the sleeper; returns how long its 25 ms sleeps lasted."""
    sleeper.send_signal(signal.SIGTERM)
    out, _ = sleeper.communicate(timeout=5)
    fields = dict(item.split("=") for item in out.split()[1:]) if out.startswith("sleeps ") else {}
    return {key: float(value) for key, value in fields.items()}


def measure_latency(rig, reports):
    """Report handed to the panel -> event applied by the stand-in, per report."""
    rig.panel.send("mode 0")
    time.sleep(0.2)
    rig.standin.drain()
    sent = []
    random.seed(2024)
    for _ in range(reports):
        sent.append(time.monotonic_ns())
        rig.panel.send("outer 1")
        # Uneven gaps, so reports fall at every point of the bridge's 25 ms
        # pass; now and then several land in one pass, as in a fast spin.
        time.sleep(random.uniform(0.0, 0.012))
    applied = []
    deadline = time.monotonic() + WAIT + reports * 0.001
    while len(applied) < reports and time.monotonic() < deadline:
        try:
            stamp, line = rig.standin.lines.get(timeout=1.0)
        except queue.Empty:
            continue
        if line.startswith("aircraft: COM1 standby"):
            applied.append(stamp)
    if len(applied) != reports:
        raise Failure("%d of %d reports reached the stand-in" % (len(applied), reports))
    latencies = sorted((a - s) / 1e6 for s, a in zip(sent, applied))
    if latencies[0] < 0:
        raise Failure("an event was applied before its report was sent: the lines are out of step")

    def percentile(p):
        return latencies[min(len(latencies) - 1, int(round(p / 100.0 * (len(latencies) - 1))))]

    return {"reports": reports, "median_ms": statistics.median(latencies), "p90_ms": percentile(90),
            "p99_ms": percentile(99), "max_ms": latencies[-1], "min_ms": latencies[0],
            "mean_ms": statistics.fmean(latencies)}


def soak(rig, seconds):
    """Knob turns all along, a simulator drop every 10 seconds."""
    deadline = time.monotonic() + seconds
    drops = 0
    next_drop = time.monotonic() + 10
    steps = 0
    while time.monotonic() < deadline:
        rig.panel.send("outer %d" % (1 if steps % 2 == 0 else -1))
        rig.panel.send("inner 1")
        steps += 1
        if time.monotonic() >= next_drop:
            rig.standin.send("drop")
            drops += 1
            next_drop += 10
        time.sleep(0.02)
    # Still (or again) connected at the end.
    time.sleep(1.5)
    reconnects = sum(1 for _, line in rig.standin.history if line.startswith("client: connected"))
    return {"seconds": seconds, "knob_reports": 2 * steps, "simulator_drops": drops, "connections": reconnects}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True, help="folder with vestrel-pelvar, simstandin, virtualpanel, idle_sleeper")
    parser.add_argument("--shim", required=True, help="libvestrel-hidshim.so")
    parser.add_argument("--out", required=True)
    parser.add_argument("--idle-seconds", type=float, default=30)
    parser.add_argument("--soak-seconds", type=float, default=180)
    parser.add_argument("--reports", type=int, default=10000)
    args = parser.parse_args()
    args.bin = os.path.abspath(args.bin)
    args.shim = os.path.abspath(args.shim)

    root = tempfile.mkdtemp(prefix="vp-bench-")
    rigs = []
    sleeper = None
    results = {}
    try:
        connected = Rig(args, root, "connected")
        rigs.append(connected)
        connected.start_standin()
        connected.start_panel()
        connected.start_bridge()
        if connected.panel.wait_for(lambda line: line == "bridge connected") is None:
            raise Failure("the bridge did not open the virtual panel")
        if not any(line.startswith("client: connected") for _, line in connected.standin.history) and \
                connected.standin.wait_for(lambda line: line.startswith("client: connected")) is None:
            raise Failure("the bridge did not connect to the stand-in")
        started = time.monotonic()
        time.sleep(1.0)
        results["rss_after_start_kb"] = resident_kb(connected.bridge.proc.pid)

        # A second bridge with the simulator running and no panel at all.
        waiting = Rig(args, root, "waiting")
        rigs.append(waiting)
        waiting.start_standin()
        waiting.start_bridge()
        if waiting.standin.wait_for(lambda line: line.startswith("client: connected")) is None:
            raise Failure("the waiting bridge did not connect to its stand-in")

        sleeper = start_sleeper(args)
        time.sleep(2.0)
        log("idle CPU over %.0f s" % args.idle_seconds)
        results["idle"] = measure_idle({"connected": connected.bridge.proc.pid, "waiting": waiting.bridge.proc.pid,
                                        "sleeper": sleeper.pid}, args.idle_seconds)
        results["rss_waiting_kb"] = resident_kb(waiting.bridge.proc.pid)
        waiting.stop()
        results["sleeps_during_idle"] = stop_sleeper(sleeper)
        sleeper = None

        log("latency over %d reports" % args.reports)
        # How late this machine wakes a sleeper while the latency is measured:
        # the bridge sleeps 25 ms between passes just the same.
        sleeper = start_sleeper(args)
        results["latency"] = measure_latency(connected, args.reports)
        results["sleeps_during_latency"] = stop_sleeper(sleeper)
        sleeper = None

        remaining = args.soak_seconds - (time.monotonic() - started)
        log("soak for %.0f s more" % max(remaining, 0))
        results["soak"] = soak(connected, max(remaining, 0))
        results["soak"]["seconds"] = time.monotonic() - started
        results["rss_after_soak_kb"] = resident_kb(connected.bridge.proc.pid)
        if connected.bridge.proc.poll() is not None:
            raise Failure("the bridge ended during the soak")
    finally:
        if sleeper is not None:
            stop_sleeper(sleeper)
        for rig in rigs:
            rig.stop()
        shutil.rmtree(root, ignore_errors=True)

    with open(args.out, "w") as out:
        json.dump(results, out, indent=2)
    return 0


if __name__ == "__main__":
    try:
        sys.exit(main())
    except Failure as failure:
        log("FAILED: %s" % failure)
        sys.exit(1)
