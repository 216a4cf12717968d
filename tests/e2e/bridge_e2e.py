#!/usr/bin/env python3
"""End-to-end tests of the bridge: the real vestrel-pelvar process, its
panel reached through the preloaded hidapi shim and driven by the virtual
panel in script mode, its simulator played by the stand-in.

usage: bridge_e2e.py --bridge B --standin S --panel P --shim L CASE
Exits 0 when CASE passes; prints what went wrong and the processes' output
otherwise."""

import argparse
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from processes import Child  # noqa: E402

CATALOGUE_MAPPED = 104  # every named client event of the bridge's catalogue
WAIT = 10.0  # seconds: the bound of every wait; only a broken bridge needs it
MSFS_LOST = "Connection to MSFS lost"
DORVIK_LOST = "Connection to Dorvik lost"


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


class Rig:
    """A stand-in, a virtual panel and a bridge in a private folder."""

    def __init__(self, args):
        self.args = args
        self.dir = tempfile.mkdtemp(prefix="vp-e2e-")
        os.chmod(self.dir, 0o700)
        self.socket = os.path.join(self.dir, "panel.sock")
        self.children = []
        self.standin = None
        self.panel = None
        self.bridge = None
        self.port = None

    # -- processes -------------------------------------------------------
    def _start(self, name, argv, env=None):
        child = Child(name, argv, self.dir, env or dict(os.environ), self.dir)
        self.children.append(child)
        return child

    def start_standin(self, port=0):
        self.standin = self._start("standin", [self.args.standin, "--port", str(port)])
        line = self.standin.wait_for(lambda text: text.startswith("listening on 127.0.0.1:"), WAIT)
        check(line is not None, "the stand-in did not start listening")
        self.port = int(line.rsplit(":", 1)[1])
        return self.standin

    def start_panel(self):
        self.panel = self._start("panel", [self.args.panel, "--script", "--socket", self.socket])
        deadline = time.monotonic() + WAIT
        while not os.path.exists(self.socket) and time.monotonic() < deadline:
            time.sleep(0.01)
        check(os.path.exists(self.socket), "the virtual panel did not create its socket")
        return self.panel

    def start_bridge(self):
        with open(os.path.join(self.dir, "SimConnect.cfg"), "w") as cfg:
            cfg.write("[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=%d\n" % self.port)
        env = dict(os.environ)
        env.update(
            QT_QPA_PLATFORM="offscreen",
            LD_PRELOAD=self.args.shim,
            VESTREL_PANEL_SOCKET=self.socket,
            # The single-instance lock lives here: a private folder keeps
            # parallel tests (and a bridge the developer runs) apart.
            XDG_RUNTIME_DIR=self.dir,
        )
        self.bridge = self._start("bridge", [self.args.bridge], env)
        return self.bridge

    def stop(self):
        for child in reversed(self.children):
            child.stop()

    def cleanup(self):
        self.stop()
        shutil.rmtree(self.dir, ignore_errors=True)

    def dump(self):
        for child in self.children:
            sys.stdout.write("---- %s (exit %s) stdout ----\n" % (child.name, child.proc.returncode))
            for line in child.lines():
                if not line.startswith("state "):
                    sys.stdout.write(line + "\n")
            path = os.path.join(self.dir, child.name + ".stderr")
            if os.path.exists(path):
                with open(path, errors="replace") as err:
                    text = err.read().strip()
                if text:
                    sys.stdout.write("---- %s stderr ----\n%s\n" % (child.name, text))

    # -- the stand-in's aircraft -----------------------------------------
    def state(self, standin=None):
        standin = standin or self.standin
        mark = standin.mark()
        standin.send("state")
        line = standin.wait_for(lambda text: text.startswith("state "), WAIT, after=mark)
        check(line is not None, "the stand-in did not answer 'state'")
        return dict(item.split("=", 1) for item in line.split()[1:])

    def wait_state(self, description, condition, timeout=WAIT):
        deadline = time.monotonic() + timeout
        state = {}
        while time.monotonic() < deadline:
            state = self.state()
            if condition(state):
                return state
            time.sleep(0.05)
        raise Failure("%s: not reached within %.0f s; last state %s" % (description, timeout, state))

    def wait_connected(self):
        self.wait_state(
            "bridge connected to the stand-in with its whole catalogue",
            lambda s: s["clients"] == "1" and int(s["mapped"]) == CATALOGUE_MAPPED,
        )
        check(self.panel.wait_for("bridge connected", WAIT) is not None, "the bridge did not open the panel")
        # The bridge tunes from the data the simulator streams to it: give
        # the first frames (30 a second) time to arrive.
        time.sleep(0.5)

    def panel_says(self, *lines):
        for line in lines:
            self.panel.send(line)

    def up(self):
        self.start_standin()
        self.start_panel()
        self.start_bridge()
        self.wait_connected()


# -- cases -------------------------------------------------------------------


def case_radios(rig):
    """Knob reports in, frequencies, heading bug and squawk out."""
    rig.up()
    rig.panel_says("mode 2", "outer 1")
    rig.wait_state("NAV1 standby 110.50 + one outer step", lambda s: s["nav1_standby"] == "111.50")
    rig.panel_says("inner 1")
    rig.wait_state("NAV1 standby 111.50 + one inner step", lambda s: s["nav1_standby"] == "111.55")

    rig.panel_says("mode 0", "outer 1")
    rig.wait_state("COM1 standby 121.50 + one outer step", lambda s: s["com1_standby"] == "122.50")

    rig.panel_says("tap push", "outer 1")
    rig.wait_state("heading bug 355 + 10 after a push", lambda s: s["heading_bug"] == "5")
    rig.panel_says("inner -1")
    rig.wait_state("heading bug 005 - 1", lambda s: s["heading_bug"] == "4")
    state = rig.state()
    check(state["com1_standby"] == "122.50", "the pushed knob tuned COM1 as well: %s" % state["com1_standby"])

    rig.panel_says("mode 7", "outer 1")
    rig.wait_state("squawk 1200 + one outer step", lambda s: s["squawk"] == "1300")
    rig.panel_says("tap swap")
    rig.wait_state("transponder ident", lambda s: s["ident"] == "1")


def case_autopilot_lamps(rig):
    """A key press in, an autopilot mode and its lamp back out."""
    rig.up()
    rig.panel_says("mode 6", "tap ap")
    rig.wait_state("AP master pressed", lambda s: s["ap_master"] == "1")
    check(rig.panel.wait_for("lamps 0x01", WAIT) is not None, "the AP lamp did not light on the panel")
    rig.panel_says("tap alt")
    rig.wait_state("altitude hold pressed", lambda s: s["ap_altitude"] == "1")
    check(rig.panel.wait_for("lamps 0x11", WAIT) is not None, "the ALT lamp did not light beside AP")
    rig.panel_says("tap ap")
    rig.wait_state("AP master off again", lambda s: s["ap_master"] == "0")
    check(rig.panel.wait_for("lamps 0x10", WAIT) is not None, "the AP lamp did not go out")


def case_simulator_dropped(rig):
    """The simulator drops the bridge: one log line, then a new connection."""
    rig.up()
    rig.standin.send("drop")
    check(rig.bridge.wait_for(MSFS_LOST, WAIT) is not None, "no '%s' after the drop" % MSFS_LOST)
    rig.wait_state(
        "bridge reconnected with its whole catalogue",
        lambda s: s["clients"] == "1" and int(s["mapped"]) == CATALOGUE_MAPPED,
    )
    time.sleep(0.5)
    rig.panel_says("mode 2", "outer 1")
    rig.wait_state("NAV1 tuned over the new connection", lambda s: s["nav1_standby"] == "111.50")
    check(rig.bridge.count(MSFS_LOST) == 1, "'%s' written %d times" % (MSFS_LOST, rig.bridge.count(MSFS_LOST)))
    check(rig.bridge.count(DORVIK_LOST) == 0, "the panel was reported lost")


def case_simulator_restarted(rig):
    """A new simulator on the same port gets the whole catalogue again."""
    rig.up()
    old = rig.standin
    old.send("quit")
    check(old.wait_exit(WAIT) == 0, "the stand-in did not quit")
    check(rig.bridge.wait_for(MSFS_LOST, WAIT) is not None, "no '%s' when the simulator ended" % MSFS_LOST)
    # The same port, as a restarted simulator would have; it may take a
    # moment before the port can be bound again.
    deadline = time.monotonic() + WAIT
    while True:
        new = rig._start("standin-restarted", [rig.args.standin, "--port", str(rig.port)])
        if new.wait_for(lambda text: text.startswith("listening on"), WAIT) is not None:
            break
        new.stop()
        check(time.monotonic() < deadline, "the stand-in could not listen on port %d again" % rig.port)
        time.sleep(0.2)
    rig.standin = new
    rig.wait_state(
        "catalogue registered with the restarted simulator",
        lambda s: s["clients"] == "1" and int(s["mapped"]) == CATALOGUE_MAPPED,
        timeout=2 * WAIT,
    )
    time.sleep(0.5)
    rig.panel_says("mode 3", "outer -1")
    rig.wait_state("NAV2 113.45 - one outer step", lambda s: s["nav2_standby"] == "112.45")
    check(rig.bridge.count(MSFS_LOST) == 1, "'%s' written %d times" % (MSFS_LOST, rig.bridge.count(MSFS_LOST)))


def case_panel_unplugged(rig):
    """The panel goes away and comes back."""
    rig.up()
    rig.panel_says("mode 6", "tap ap")
    check(rig.panel.wait_for("lamps 0x01", WAIT) is not None, "the AP lamp did not light")
    rig.panel_says("quit")
    check(rig.panel.wait_exit(WAIT) == 0, "the virtual panel did not quit")
    check(rig.bridge.wait_for(DORVIK_LOST, WAIT) is not None, "no '%s' when the panel went" % DORVIK_LOST)
    time.sleep(0.5)
    check(rig.bridge.count(DORVIK_LOST) == 1, "'%s' written %d times" % (DORVIK_LOST, rig.bridge.count(DORVIK_LOST)))
    check(rig.bridge.running(), "the bridge ended with the panel")

    rig.start_panel()
    check(rig.panel.wait_for("bridge connected", WAIT) is not None, "the bridge did not reopen the panel")
    # A freshly opened panel shows no lamps; the bridge lights them again.
    check(rig.panel.wait_for("lamps 0x01", WAIT) is not None, "the AP lamp was not relit on the new panel")
    rig.panel_says("mode 2", "outer 1")
    rig.wait_state("NAV1 tuned from the replugged panel", lambda s: s["nav1_standby"] == "111.50")
    check(rig.bridge.count(MSFS_LOST) == 0, "the simulator was reported lost")


def case_garbage_reports(rig):
    """Reports no panel sends reach the bridge; it stays up and in step."""
    rig.up()
    rig.panel_says("raw 00", "raw 0000000000ff", "raw " + "ff" * 64, "raw 0000000000017f09", "mode 2")
    rig.panel_says("outer 1")
    rig.wait_state("NAV1 tuned after odd reports", lambda s: s["nav1_standby"] == "111.50")
    check(rig.bridge.running(), "the bridge ended")
    check(rig.bridge.count(DORVIK_LOST) == 0, "the panel was reported lost")


CASES = {name[len("case_"):]: function for name, function in globals().items() if name.startswith("case_")}


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bridge", required=True)
    parser.add_argument("--standin", required=True)
    parser.add_argument("--panel", required=True)
    parser.add_argument("--shim", required=True)
    parser.add_argument("case", choices=sorted(CASES))
    args = parser.parse_args()
    for tool in ("bridge", "standin", "panel", "shim"):
        setattr(args, tool, os.path.abspath(getattr(args, tool)))

    rig = Rig(args)
    started = time.monotonic()
    try:
        CASES[args.case](rig)
    except Failure as failure:
        rig.stop()
        print("FAILED %s: %s" % (args.case, failure))
        rig.dump()
        rig.cleanup()
        return 1
    except BaseException:
        rig.cleanup()
        raise
    rig.cleanup()
    print("passed %s in %.1f s" % (args.case, time.monotonic() - started))
    return 0


if __name__ == "__main__":
    sys.exit(main())
