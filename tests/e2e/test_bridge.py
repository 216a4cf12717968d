"""The real bridge end to end: its panel is the virtual panel in script mode,
reached through the preloaded hidapi shim, its simulator the stand-in. One
bridge session per group of checks. The bridge starts as from a terminal
over ssh: no display and no platform named; it bridges without an icon."""

import os
import re
import signal
import subprocess
import time

import pytest
from processes import closed_port, wait_until, write_simconnect_cfg

CATALOGUE_MAPPED = 104  # every named client event of the bridge's catalogue
MSFS_LOST = "Connection to MSFS lost"
DORVIK_LOST = "Connection to Dorvik lost"


class Rig:
    def __init__(self, folder, start):
        self.folder, self.start = folder, start
        self.socket = os.path.join(folder, "panel.sock")

    def start_standin(self, port=0):
        self.standin = self.start("standin", [os.environ["VP_STANDIN"], "--port", str(port)])
        line = self.standin.wait_for("listening on 127.0.0.1:")
        assert line, "the stand-in did not start listening"
        self.port = int(line.rsplit(":", 1)[1])

    def start_panel(self):
        self.panel = self.start("panel", [os.environ["VP_PANEL"], "--script", "--socket", self.socket])
        assert wait_until(lambda: os.path.exists(self.socket)), "the virtual panel did not create its socket"

    def state(self):
        self.standin.send("state")
        line = self.standin.wait_for("state ")
        assert line, "the stand-in did not answer 'state'"
        return dict(item.split("=", 1) for item in line.split()[1:])

    def wait_state(self, what, condition, seconds=10):
        last = {}

        def reached():
            last.update(self.state())
            return condition(last)
        assert wait_until(reached, seconds), "%s: not reached; last state %s" % (what, last)

    def wait_connected(self):
        self.wait_state("the bridge registered its whole catalogue",
                        lambda s: s["clients"] == "1" and int(s["mapped"]) == CATALOGUE_MAPPED, seconds=20)
        time.sleep(0.5)  # the bridge tunes from the data the simulator streams, 30 frames a second

    def up(self):
        self.start_standin()
        self.start_panel()
        write_simconnect_cfg(self.folder, self.port)
        self.bridge = self.start_bridge()
        assert self.panel.wait_for("bridge connected"), "the bridge did not open the panel"
        self.wait_connected()

    def bridge_env(self):
        # The single-instance lock goes into the private folder too.
        return {"DISPLAY": None, "WAYLAND_DISPLAY": None, "QT_QPA_PLATFORM": None, "LD_PRELOAD": os.environ["VP_SHIM"],
                "VESTREL_PANEL_SOCKET": self.socket, "VESTREL_PELVAR_PANEL_POLL": "always",
                "XDG_RUNTIME_DIR": self.folder}

    def start_bridge(self, name="bridge"):
        return self.start(name, [os.environ["VP_BRIDGE"]], cwd=self.folder, env=self.bridge_env())

    def turn(self, *steps):
        """Each step: panel script lines, what they should do, a stand-in field and its value then."""
        for lines, what, field, value in steps:
            self.panel.send(*lines)
            self.wait_state(what, lambda s: s[field] == value)


@pytest.fixture
def rig(folder, start):
    rig = Rig(folder, start)
    rig.up()
    return rig


def test_controls(rig):
    rig.turn((["mode 2", "outer 1"], "NAV1 standby 110.50 + one outer step", "nav1_standby", "111.50"),
             (["inner 1"], "NAV1 standby 111.50 + one inner step", "nav1_standby", "111.55"),
             (["mode 0", "outer 1"], "COM1 standby 121.50 + one outer step", "com1_standby", "122.50"),
             (["tap push", "outer 1"], "heading bug 355 + 10 after a push", "heading_bug", "5"),
             (["inner -1"], "heading bug 005 - 1", "heading_bug", "4"),
             (["mode 7", "outer 1"], "squawk 1200 + one outer step", "squawk", "1300"),
             (["tap swap"], "transponder ident", "ident", "1"),
             (["mode 6", "tap ap"], "AP master on", "ap_master", "1"),
             (["tap alt"], "altitude hold on", "ap_altitude", "1"),
             (["tap ap"], "AP master off", "ap_master", "0"))
    assert rig.state()["com1_standby"] == "122.50", "the pushed knob tuned COM1 as well"
    # The loop's 25 ms pause, as a pilot feels it: twenty steps, each turned
    # once the simulator shows the one before, take about 1.5 s (5 s at 250 ms).
    rig.panel.send("mode 0")
    began = time.monotonic()
    for step in range(20):
        rig.turn((["outer %d" % (1 - 2 * (step % 2))], "COM1 step %d" % step, "com1_standby",
                  "123.50" if step % 2 == 0 else "122.50"))
    assert time.monotonic() - began < 3.0, "twenty steps took %.1f s" % (time.monotonic() - began)
    for lamps in ("lamps 0x01", "lamps 0x11", "lamps 0x10"):
        assert rig.panel.wait_for(lamps), "the panel's lamps did not follow the autopilot: " + lamps

    # One bridge per user: a second one leaves at once with exit code 1.
    assert rig.start_bridge("second bridge").wait_exit() == 1
    assert rig.bridge.running()
    # The command line is answered without the lock the running bridge holds.
    # A restored desktop session's -session and -name go on to the lock;
    # anything else but --version and --help (Qt's other options too) is refused.
    version = re.search(r"project\(VestrelPelvar VERSION (\S+)", open(os.environ["VP_SOURCE_DIR"] + "/CMakeLists.txt").read())
    env = dict(os.environ, **{k: v for k, v in rig.bridge_env().items() if v is not None})
    for args, code, out, err in ((["--version"], 0, "vestrel-pelvar %s\n" % version.group(1), ""),
                                 (["--help"], 0, "VESTREL_PELVAR_PANEL_POLL=always", ""),
                                 (["-platform", "xcb"], 2, "", "unexpected argument '-platform'\n\nUsage:"),
                                 (["-session", "1234_5678", "-name", "vestrel-pelvar"], 1, "", ""),
                                 (["-name", "vestrel-pelvar", "-platform", "xcb"], 2, "", "argument '-platform'"),
                                 (["-session"], 2, "", "unexpected argument '-session'\n")):
        answer = subprocess.run([os.environ["VP_BRIDGE"]] + args, env=env, capture_output=True, text=True, timeout=10)
        assert (answer.returncode, out in answer.stdout, err in answer.stderr) == (code, True, True), answer
        assert answer.stdout == "" or answer.stderr == "", answer
    # Logging out and Ctrl+C take the way out Quit takes, and the lock goes
    # with the bridge: the next one starts and opens the panel.
    for ending in (signal.SIGTERM, signal.SIGINT):
        rig.bridge.proc.send_signal(ending)
        assert rig.bridge.wait_exit() == 0, "%s did not end the bridge with exit code 0" % ending.name
        rig.bridge = rig.start_bridge("next bridge")
        assert rig.panel.wait_for("bridge connected"), "the lock outlived the bridge"


def test_simulator_lost(rig):
    rig.turn((["mode 6", "tap ap"], "AP master on", "ap_master", "1"))
    assert rig.panel.wait_for("lamps 0x01"), "the AP lamp did not light"
    # Reconnected to a simulator whose data has not come yet: the lamps stay
    # dark and a NAV step, which would start from the last flight's value,
    # waits; once the data flows both follow the aircraft again.
    rig.standin.send("pause", "drop")
    assert rig.bridge.wait_for(MSFS_LOST), "no '%s' after the drop" % MSFS_LOST
    assert rig.panel.wait_for("lamps 0x00"), "the lamps still showed an autopilot that was gone"
    rig.wait_connected()
    rig.panel.send("mode 2", "outer 1")
    time.sleep(0.5)
    assert rig.state()["events"] == "1", "an event went out before the new connection's first data"
    rig.standin.send("resume")
    assert rig.panel.wait_for("lamps 0x01"), "the lamps did not come back with the new connection's data"
    rig.turn((["outer 1"], "NAV1 tuned over the new connection", "nav1_standby", "111.50"))

    # A new simulator on the same port, as a restarted one would have.
    rig.standin.send("quit")
    assert rig.standin.wait_exit() == 0, "the stand-in did not quit"
    assert rig.bridge.wait_for(MSFS_LOST), "no '%s' when the simulator ended" % MSFS_LOST
    rig.start_standin(rig.port)
    rig.wait_connected()
    rig.turn((["mode 3", "outer -1"], "NAV2 standby 113.45 - one outer step", "nav2_standby", "112.45"))
    assert (rig.bridge.lines.count(MSFS_LOST), rig.bridge.lines.count(DORVIK_LOST)) == (2, 0), "one line per loss"


def test_panel_lost(rig):
    rig.turn((["mode 6", "tap ap"], "AP master on", "ap_master", "1"))
    assert rig.panel.wait_for("lamps 0x01"), "the AP lamp did not light"
    rig.panel.send("quit")
    assert rig.panel.wait_exit() == 0, "the virtual panel did not quit"
    assert rig.bridge.wait_for(DORVIK_LOST), "no '%s' when the panel went" % DORVIK_LOST
    rig.start_panel()
    assert rig.panel.wait_for("bridge connected"), "the bridge did not reopen the panel"
    assert rig.panel.wait_for("lamps 0x01"), "a replugged panel shows no lamps until the bridge relights them"

    # Reports no panel sends: the bridge stays up and in step.
    rig.panel.send("raw 00", "raw 0000000000ff", "raw " + "ff" * 64, "raw 0000000000017f09")
    rig.turn((["mode 2", "outer 1"], "NAV1 tuned from the replugged panel after odd reports", "nav1_standby",
              "111.50"))
    assert (rig.bridge.lines.count(DORVIK_LOST), rig.bridge.lines.count(MSFS_LOST)) == (1, 0), "one line per loss"
    assert rig.bridge.running()


def test_simulator_started_later(folder, start):
    """The bridge restored with the desktop session, before the simulator:
    once the simulator listens, the bridge's next try (every 500 ms) connects."""
    rig = Rig(folder, start)
    rig.start_panel()
    port = closed_port()
    write_simconnect_cfg(folder, port)
    # Its standard error among its output lines: the stand-in starts once the
    # bridge has told the empty port, so the bridge's next try is the one timed.
    rig.bridge = rig.start("bridge", ["sh", "-c", 'exec "$0" "$@" 2>&1', os.environ["VP_BRIDGE"], "-session",
                                      "1234_5678"], cwd=folder, env=rig.bridge_env())
    assert rig.bridge.wait_for("No simulator at 127.0.0.1:%d: " % port), "the restored bridge did not try the simulator"
    rig.start_standin(port)
    listening = time.monotonic()
    assert rig.standin.wait_for('client: connected "Request Data"'), "the bridge did not connect"
    waited = time.monotonic() - listening
    assert waited < 1.0, "the bridge connected %.1f s after the simulator started listening" % waited
