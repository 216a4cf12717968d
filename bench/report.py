#!/usr/bin/env python3
"""Writes bench/results.md from the benchmark outputs of scripts/bench.sh.

usage: report.py --out results.md --micro A.json [B.json...] [--system S.json]
                 [--windows W.json] [--note TEXT]...
Every figure is set against its target; a missing measurement says why."""

import argparse
import datetime
import json
import os
import platform
import subprocess

PERIOD_US = 25000.0


def machine():
    model = "unknown"
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                model = line.split(":", 1)[1].strip()
                break
    with open("/proc/loadavg") as f:
        load = " ".join(f.read().split()[:3])
    return {
        "cpu": model,
        "cores": os.cpu_count(),
        "kernel": platform.release(),
        "date": datetime.datetime.now(datetime.timezone.utc).strftime("%Y-%m-%d %H:%M UTC"),
        "load": load,
        "compiler": subprocess.run(["c++", "--version"], capture_output=True, text=True).stdout.splitlines()[0],
    }


def verdict(ok):
    return "meets" if ok else "**misses**"


def micro_rows(files):
    """name -> (real ns, cpu ns) per item, from the median aggregates."""
    rows = {}
    scale = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}
    for path in files:
        with open(path) as f:
            data = json.load(f)
        for b in data["benchmarks"]:
            if b.get("run_type") == "aggregate" and b.get("aggregate_name") != "median":
                continue
            name = b.get("run_name", b["name"]).split("/")[0]
            factor = scale[b.get("time_unit", "ns")]
            rows[name] = (b["real_time"] * factor, b["cpu_time"] * factor)
    return rows


def fmt_time(ns):
    if ns >= 1e6:
        return "%.2f ms" % (ns / 1e6)
    if ns >= 1e3:
        return "%.2f µs" % (ns / 1e3)
    return "%.0f ns" % ns


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    parser.add_argument("--micro", nargs="+", required=True)
    parser.add_argument("--system")
    parser.add_argument("--windows")
    parser.add_argument("--waiting", help="the waiting benchmark's section, in Markdown")
    parser.add_argument("--windows-note", default="")
    args = parser.parse_args()

    m = machine()
    rows = micro_rows(args.micro)
    out = []
    w = out.append
    w("# Benchmark results")
    w("")
    w("Written by `make bench` (scripts/bench.sh); see docs/robustness.md for how to read it.")
    w("")
    w("| Machine | |")
    w("|---|---|")
    w("| CPU | %s |" % m["cpu"])
    w("| Cores | %s |" % m["cores"])
    w("| Kernel | %s |" % m["kernel"])
    w("| Compiler | %s |" % m["compiler"])
    w("| Date | %s |" % m["date"])
    w("| Load average at the end | %s (the machine is shared: wall times include waiting for a core) |" % m["load"])
    w("")

    w("## Hot paths (Release build, Google Benchmark, median of 5 repetitions)")
    w("")
    w("Driven through the test fakes; the fake SimConnect library records every call it receives")
    w("(with its name as a string), so the rows that reach it include that bookkeeping: an upper bound.")
    w("CPU time is the cost; wall time adds any wait for a core on this shared machine.")
    w("")
    w("| Benchmark | CPU time | Wall time | Target | |")
    w("|---|---|---|---|---|")
    per_report = [
        ("DecodeAndDispatchOneReport_RoutingOnly", 1, "decode + dispatch of one report, routing only"),
        ("DecodeAndDispatchOneReport_ToSimConnect", 1, "decode + dispatch + NAV arithmetic + transmit (fake)"),
        ("BurstOf1000ReportsInOneDrain", 1000, "a burst of 1,000 queued reports in one drain, per report"),
        ("DecodeAndDispatchOneReport_ProfileEvent", 1, "decode + dispatch to a profile's event + transmit (fake)"),
    ]
    for name, count, label in per_report:
        if name in rows:
            real, cpu = rows[name]
            w("| %s | %s | %s | < 1 µs per report | %s |" % (label, fmt_time(cpu / count), fmt_time(real / count),
                                                             verdict(cpu / count < 1000)))
    if "BurstOf1000ReportsInOneDrain" in rows:
        real, cpu = rows["BurstOf1000ReportsInOneDrain"]
        w("| the whole burst of 1,000 | %s | %s | (one pass) | |" % (fmt_time(cpu), fmt_time(real)))
    for name, label in [("PassIdle", "supervisor pass, both connected, nothing pending"),
                        ("PassWith10ReportsAndData", "supervisor pass with 10 reports and a frame of data")]:
        if name in rows:
            real, cpu = rows[name]
            w("| %s | %s | %s | < 250 µs (1%% of 25 ms) | %s (%.4f%% of the period) |" % (
                label, fmt_time(cpu), fmt_time(real), verdict(cpu < 250e3), 100.0 * cpu / (PERIOD_US * 1e3)))
    if "ChooseAmong200Profiles" in rows:
        real, cpu = rows["ChooseAmong200Profiles"]
        w("| choosing a profile among 200 files at an aircraft change | %s | %s | < 25 ms (one pass) | %s |" % (
            fmt_time(cpu), fmt_time(real), verdict(real < 25e6)))
    # (percentages of the period to four places: the passes are tiny)
    w("")

    w("## The running bridge (Release build, stand-in at 30 Hz, virtual panel through the hidapi shim)")
    w("")
    if args.system and os.path.exists(args.system):
        with open(args.system) as f:
            s = json.load(f)
        idle = s["idle"]
        sleeper = idle["sleeper"]
        w("Idle CPU: utime+stime from /proc/PID/stat (clock ticks of 10 ms) and, finer, the threads' run time")
        w("from /proc/PID/task/*/schedstat, over the same %.0f s for all three processes." % sleeper["seconds"])
        w("")
        w("| Process | CPU (schedstat) | CPU (ticks) | Ratio to the sleeper | Wake-ups a second | CPU per wake-up | Target | |")
        w("|---|---|---|---|---|---|---|---|")
        for key, label in [("connected", "bridge, connected and idle"),
                           ("waiting", "bridge, waiting for a panel (simulator running)"),
                           ("sleeper", "do-nothing process sleeping 25 ms at a time")]:
            p = idle[key]
            ratio = p["percent_of_core"] / sleeper["percent_of_core"] if sleeper["percent_of_core"] > 0 else float("nan")
            target = "< 0.1% of one core" if key != "sleeper" else ""
            ok = verdict(p["percent_of_core"] < 0.1) if key != "sleeper" else ""
            w("| %s | %.4f%% of one core | %d ticks = %.3f%% | %.1f× | %.0f | %.0f µs | %s | %s |" % (
                label, p["percent_of_core"], p["ticks"], p["tick_percent_of_core"], ratio,
                p.get("wakeups_per_second", 0), p.get("cpu_us_per_wakeup", 0), target, ok))
        idle_sleeps = s.get("sleeps_during_idle", {})
        if idle_sleeps:
            w("")
            w("Over those seconds the sleeper's 25 ms sleeps lasted %.2f ms at the median and %.2f ms at the 99th"
              % (idle_sleeps["median_ms"], idle_sleeps["p99_ms"]))
            w("percentile: each wake-up costs this machine what the sleeper's row shows, and the bridge wakes as often.")
        w("")
        w("| Memory (VmRSS) | Measured | Target | |")
        w("|---|---|---|---|")
        soak = s["soak"]
        for key, label in [("rss_after_start_kb", "connected bridge, 1 s after start"),
                           ("rss_waiting_kb", "bridge waiting for a panel"),
                           ("rss_after_soak_kb", "connected bridge after %.0f s of soak" % soak["seconds"])]:
            w("| %s | %.1f MB | < 40 MB (Qt build) | %s |" % (label, s[key] / 1024.0, verdict(s[key] < 40 * 1024)))
        w("")
        w("The soak turned the knobs %d times (a report every 10 ms on average) and had the stand-in drop the"
          % soak["knob_reports"])
        w("connection %d times; the bridge connected %d times in all." % (soak["simulator_drops"], soak["connections"]))
        w("")
        lat = s["latency"]
        pass_ms = rows.get("PassWith10ReportsAndData", (0, 0))[1] / 1e6
        bound = 25.0 + pass_ms
        sleeps = s.get("sleeps_during_latency", {})
        w("Report-to-simulator latency over %d reports (one COM 1 step each, sent at uneven gaps of 0-12 ms):"
          % lat["reports"])
        w("from the line handed to the virtual panel to the stand-in's line saying the event was applied.")
        w("")
        w("| Median | p90 | p99 | Max | Bound | |")
        w("|---|---|---|---|---|---|")
        w("| %.2f ms | %.2f ms | %.2f ms | %.2f ms | one period + pass = %.2f ms | %s |" % (
            lat["median_ms"], lat["p90_ms"], lat["p99_ms"], lat["max_ms"], bound, verdict(lat["p99_ms"] <= bound)))
        if sleeps:
            late = sleeps["p99_ms"]
            w("| | | | | one period as this machine gave it (p99 of a 25 ms sleep: %.2f ms) + pass = %.2f ms | %s |" % (
                late, late + pass_ms, verdict(lat["p99_ms"] <= late + pass_ms + 1.0)))
            w("")
            w("While the reports were sent, a process sleeping 25 ms at a time woke after %.2f ms at the median,"
              % sleeps["median_ms"])
            w("%.2f ms at the 99th percentile and %.2f ms at worst: the bridge's own 25 ms pause between passes is"
              % (sleeps["p99_ms"], sleeps["max_ms"]))
            w("stretched alike, so that lateness (and the pipes and sockets, about a millisecond) adds to the bound.")
        w("")
        w("A report waits in the panel for the next pass, 0 to 25 ms, so the median sits near half a period.")
    else:
        w("Not measured: the bridge, the stand-in, the virtual panel or the hidapi shim was not built.")
    w("")

    if args.waiting and os.path.exists(args.waiting):
        with open(args.waiting) as f:
            w(f.read().rstrip("\n"))
        w("")

    w("## Windows build")
    w("")
    if args.windows and os.path.exists(args.windows):
        with open(args.windows) as f:
            win = json.load(f)
        w("| Memory under Wine | Measured | Target | |")
        w("|---|---|---|---|")
        w("| %s: VmRSS | %.1f MB | < 8 MB | %s |" % (win["what"], win["rss_kb"] / 1024.0, verdict(win["rss_kb"] < 8 * 1024)))
        w("| the same: private (anonymous) pages | %.1f MB | < 8 MB | %s |" % (win["anon_kb"] / 1024.0,
                                                                          verdict(win["anon_kb"] < 8 * 1024)))
        w("")
        w(win.get("note", ""))
    else:
        w("Not measured: %s" % (args.windows_note or "no Windows build."))
    w("")
    with open(args.out, "w") as f:
        f.write("\n".join(out))
    return 0


if __name__ == "__main__":
    raise SystemExit(main())
