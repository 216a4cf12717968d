#!/usr/bin/env python3
"""The quick start as a newcomer meets it: `make run` in a terminal (a tmux
pane here), the NAV1 outer knob turned in the virtual panel, the new NAV1
standby frequency read off the stand-in's live view, q to quit, and not one
process of the demo left behind.

usage: demo_test.py --source DIR --build DIR [--screenshots DIR]

With --screenshots it also saves the screen after start-up and after the
knob turn as demo-start.png and demo-knob.png (the pictures in docs/)."""

import argparse
import os
import re
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import uuid

WAIT = 20.0  # seconds; generous, it only runs out when something is broken


class Failure(Exception):
    pass


class Terminal:
    """A private tmux server with one window: the user's terminal."""

    def __init__(self, folder):
        self.socket = os.path.join(folder, "terminal.sock")
        self.started = False

    def tmux(self, *args, check=True):
        env = dict(os.environ)
        env.pop("TMUX", None)
        result = subprocess.run(["tmux", "-f", "/dev/null", "-S", self.socket] + list(args),
                                env=env, capture_output=True, text=True, timeout=10)
        if check and result.returncode != 0:
            raise Failure("tmux %s: %s" % (args[0], result.stderr.strip()))
        return result.stdout

    def start(self, command, columns, rows):
        self.tmux("new-session", "-d", "-x", str(columns), "-y", str(rows), command)
        self.started = True

    def screen(self, colours=False):
        return self.tmux("capture-pane", "-p", *(["-e"] if colours else []), check=False)

    def screenshot(self, folder, name):
        if folder is None:
            return
        sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
        import render_screen

        render_screen.render(self.screen(colours=True), os.path.join(folder, name))

    def keys(self, *keys):
        self.tmux("send-keys", *keys)

    def wait_for(self, description, condition):
        deadline = time.monotonic() + WAIT
        while time.monotonic() < deadline:
            screen = self.screen()
            if condition(screen):
                return screen
            time.sleep(0.1)
        raise Failure("%s: not on screen within %.0f s. The screen:\n%s" % (description, WAIT, self.screen()))

    def stop(self):
        if self.started:
            self.tmux("kill-server", check=False)


def tagged_processes(tag):
    found = []
    for pid in os.listdir("/proc"):
        if not pid.isdigit():
            continue
        try:
            with open("/proc/%s/environ" % pid, "rb") as environ:
                if tag in environ.read().split(b"\0"):
                    found.append(int(pid))
        except OSError:
            pass
    return found


def describe(pids):
    lines = []
    for pid in pids:
        try:
            with open("/proc/%d/cmdline" % pid, "rb") as cmdline:
                lines.append("%d %s" % (pid, cmdline.read().replace(b"\0", b" ").decode(errors="replace")))
        except OSError:
            pass
    return "\n".join(lines)


def run(args, folder, terminal, tag):
    demo_env = {
        "VESTREL_BUILD_DIR": args.build,
        "VESTREL_SKIP_BUILD": "1",
        "VESTREL_FORCE_DEMO": "1",
        # The bridge's single-instance lock goes here, away from any other
        # bridge on the machine.
        "XDG_RUNTIME_DIR": folder,
        "VESTREL_DEMO_TAG": tag.split(b"=", 1)[1].decode(),
    }
    command = "env -u DISPLAY -u WAYLAND_DISPLAY %s make -s -C %s run; echo DEMO-EXITED $?; sleep 600" % (
        " ".join("%s=%s" % (key, shlex.quote(value)) for key, value in demo_env.items()),
        shlex.quote(args.source),
    )
    # A common wide terminal; the pictures for the docs crop the empty rows.
    terminal.start(command, 156, 32 if args.screenshots else 45)

    terminal.wait_for("the virtual panel, connected to the bridge",
                      lambda s: "DORVIK  virtual panel" in s and "bridge: connected" in s)
    terminal.wait_for("the stand-in's live view with the bridge as its client",
                      lambda s: "SIMULATOR STAND-IN" in s and '1 client ("Request Data")' in s and "stby 110.50" in s)
    # Give the bridge the first simulator frames to tune from.
    time.sleep(0.5)
    terminal.screenshot(args.screenshots, "demo-start.png")

    terminal.keys("2")
    terminal.wait_for("NAV1 mode selected", lambda s: "knobs: NAV1 standby" in s)
    terminal.keys("]")
    terminal.wait_for("NAV1 standby 110.50 + one outer step = 111.50 in the stand-in",
                      lambda s: "stby 111.50" in s and "NAV1 standby 110.50 -> 111.50" in s)
    terminal.keys(",")
    terminal.wait_for("NAV1 standby 111.50 - one inner step = 111.45",
                      lambda s: "stby 111.45" in s)

    terminal.keys("6", "a")
    terminal.wait_for("AP master engaged in the stand-in and its lamp lit on the panel",
                      lambda s: "AP master off -> on" in s and re.search(r"lamps\s+ON", s))
    time.sleep(0.4)  # past the key's highlight
    terminal.screenshot(args.screenshots, "demo-knob.png")

    terminal.keys("q")
    terminal.wait_for("make run ending by itself", lambda s: "DEMO-EXITED" in s)
    screen = terminal.screen()
    if "DEMO-EXITED 0" not in screen:
        raise Failure("make run failed:\n" + screen)

    deadline = time.monotonic() + 5
    left = tagged_processes(tag)
    while left and time.monotonic() < deadline:
        time.sleep(0.1)
        left = tagged_processes(tag)
    if left:
        raise Failure("processes of the demo still running after it ended:\n" + describe(left))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--source", required=True)
    parser.add_argument("--build", required=True)
    parser.add_argument("--screenshots")
    args = parser.parse_args()
    if args.screenshots:
        args.screenshots = os.path.abspath(args.screenshots)
        os.makedirs(args.screenshots, exist_ok=True)
    args.source = os.path.abspath(args.source)
    args.build = os.path.abspath(args.build)
    if shutil.which("tmux") is None:
        print("FAILED: tmux is missing (make deps installs it)")
        return 1

    folder = tempfile.mkdtemp(prefix="vp-demo-")
    os.chmod(folder, 0o700)
    terminal = Terminal(folder)
    tag = ("VESTREL_DEMO_TAG=" + uuid.uuid4().hex).encode()
    started = time.monotonic()
    status = 0
    try:
        run(args, folder, terminal, tag)
        print("passed: make run demo in %.1f s" % (time.monotonic() - started))
    except Failure as failure:
        print("FAILED: %s" % failure)
        status = 1
    finally:
        terminal.stop()
        # Closing the terminal hangs up on make run, which then cleans up
        # after itself; whatever is still running after that is ended here,
        # by id.
        deadline = time.monotonic() + 5
        while tagged_processes(tag) and time.monotonic() < deadline:
            time.sleep(0.1)
        for pid in tagged_processes(tag):
            try:
                os.kill(pid, signal.SIGKILL)
            except OSError:
                pass
        shutil.rmtree(folder, ignore_errors=True)
    return status


if __name__ == "__main__":
    sys.exit(main())
