"""The quick start as a newcomer meets it: `make run` in a terminal (tmux),
the NAV1 knobs turned and the AP key pressed in the virtual panel, the
results read off the stand-in's live view and the panel's lamps, q to quit,
and not one process of the demo left behind.

With VP_DEMO_SCREENSHOTS=FOLDER it also saves the screen after start-up and
after the knob turns, and after two aircraft changes that bring in profiles,
as the pictures in docs/ (demo-start.png, demo-knob.png, demo-profile.png)."""

import os
import re
import shlex
import signal
import subprocess
import sys
import time
import uuid

from processes import wait_until

WAIT = 20.0


def tagged(tag):
    """The processes whose environment holds `tag`."""
    def holds(pid):
        try:
            with open("/proc/%s/environ" % pid, "rb") as environ:
                return tag in environ.read().split(b"\0")
        except OSError:
            return False
    return [int(pid) for pid in os.listdir("/proc") if pid.isdigit() and holds(pid)]


def test_make_run(folder):
    shots = os.environ.get("VP_DEMO_SCREENSHOTS")
    tag = "VESTREL_DEMO_TAG=" + uuid.uuid4().hex
    socket = os.path.join(folder, "terminal.sock")

    def tmux(*args):
        env = {k: v for k, v in os.environ.items() if k != "TMUX"}
        return subprocess.run(["tmux", "-f", "/dev/null", "-S", socket] + list(args), env=env, capture_output=True,
                              text=True, timeout=10).stdout

    def wait_screen(what, condition):
        assert wait_until(lambda: condition(tmux("capture-pane", "-p")), WAIT), \
            "%s: not on screen. The screen:\n%s" % (what, tmux("capture-pane", "-p"))

    def screenshot(name):
        if shots:
            sys.path.insert(0, os.path.join(os.environ["VP_SOURCE_DIR"], "docs", "tools"))
            import render_screen
            render_screen.render(tmux("capture-pane", "-p", "-e"), os.path.join(shots, name))

    # The bridge's lock goes into the private folder, away from any other bridge.
    settings = {"VESTREL_BUILD_DIR": os.environ["VP_BUILD_DIR"], "VESTREL_SKIP_BUILD": "1", "VESTREL_FORCE_DEMO": "1",
                "XDG_RUNTIME_DIR": folder}
    command = "env -u DISPLAY -u WAYLAND_DISPLAY %s %s make -s -C %s run; echo DEMO-EXITED $?; sleep 600" % (
        tag, " ".join("%s=%s" % (k, shlex.quote(v)) for k, v in settings.items()),
        shlex.quote(os.environ["VP_SOURCE_DIR"]))
    # A common wide terminal; the pictures for the docs leave out the empty rows.
    tmux("new-session", "-d", "-x", "156", "-y", "38" if shots else "45", command)
    try:
        wait_screen("the virtual panel, connected to the bridge",
                    lambda s: "DORVIK  virtual panel" in s and "bridge: connected" in s)
        wait_screen("the stand-in's live view with the bridge as its client",
                    lambda s: "SIMULATOR STAND-IN" in s and '1 client ("Request Data")' in s and "stby 110.50" in s)
        time.sleep(0.5)  # the first simulator frames, for the bridge to tune from
        screenshot("demo-start.png")

        for keys, what, seen in (
                ("2", "NAV1 mode selected", lambda s: "knobs: NAV1 standby" in s),
                ("]", "NAV1 standby 110.50 + one outer step", lambda s: "NAV1 standby 110.50 -> 111.50" in s),
                (",", "NAV1 standby 111.50 - one inner step", lambda s: "stby 111.45" in s),
                ("6a", "AP master on in the stand-in, its lamp lit on the panel",
                 lambda s: "AP master off -> on" in s and re.search(r"lamps\s+ON", s))):
            tmux("send-keys", *keys)
            wait_screen(what, seen)
        time.sleep(0.4)  # past the key's highlight
        screenshot("demo-knob.png")

        # The stand-in loads an A32NX, then a Fenix A320 (its key a): the bridge
        # picks the shipped profile each time, and the same panel keys now send
        # the aircraft's own event, then write its L:vars.
        # The demo's own tmux lives in the folder the panel's link names.
        work = re.search(r"socket (\S+)/panel\.sock", tmux("capture-pane", "-p")).group(1)

        def demo_tmux(*args):
            return subprocess.run(["tmux", "-S", os.path.join(work, "tmux.sock")] + list(args), capture_output=True,
                                  text=True, timeout=10).stdout
        standin = [pane for pane in demo_tmux("list-panes", "-F", "#{pane_id}").split()
                   if "a: next aircraft" in demo_tmux("capture-pane", "-p", "-t", pane)]
        assert len(standin) == 1, "no pane of the demo shows the stand-in"
        for aircraft, profile, key, what, seen in (
                ("A32NX", 'profile "FlyByWire A32NX"', "h", "the A32NX's own event for the HDG key",
                 lambda s: "A32NX.FCU_HDG_PULL" in s),
                ("Fenix", 'profile "Fenix A320"', "a", "the Fenix's AP push written as an L:var",
                 lambda s: "L:S_FCU_AP1" in s)):
            demo_tmux("send-keys", "-t", standin[0], "a")
            wait_screen("the bridge's profile line for the " + aircraft, lambda s: profile in s)
            tmux("send-keys", key)
            wait_screen(what, seen)
        time.sleep(0.4)
        screenshot("demo-profile.png")

        tmux("send-keys", "q")
        wait_screen("make run ending by itself", lambda s: "DEMO-EXITED" in s)
        assert "DEMO-EXITED 0" in tmux("capture-pane", "-p"), "make run failed"
        assert wait_until(lambda: not tagged(tag.encode()), 5), \
            "processes of the demo still running after it ended: %s" % tagged(tag.encode())
    finally:
        # Closing the terminal hangs up on make run, which cleans up after
        # itself; whatever still runs after that is ended here, by id.
        tmux("kill-server")
        wait_until(lambda: not tagged(tag.encode()), 5)
        for pid in tagged(tag.encode()):
            try:
                os.kill(pid, signal.SIGKILL)
            except OSError:
                pass
