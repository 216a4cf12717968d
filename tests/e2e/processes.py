"""The one harness of the tests that run the real programs: children with
their output read line by line, bounded waits, a private folder, a
throw-away X desktop with a tray host, and pytest fixtures that end all of
it. Every child dies with the test (PR_SET_PDEATHSIG), so even a driver
that a ctest timeout kills outright leaves nothing running."""

import collections
import contextlib
import ctypes
import os
import re
import shutil
import signal
import socket
import subprocess
import tempfile
import threading
import time

import pytest

WAIT = 10.0  # seconds: the bound of every wait; only something broken needs it

def wait_until(condition, seconds=WAIT, step=0.05):
    """condition()'s first true result, or its last false one after `seconds`."""
    deadline = time.monotonic() + seconds
    while True:
        result = condition()
        if result or time.monotonic() >= deadline:
            return result
        time.sleep(step)


def closed_port():
    """A loopback port that nothing listens on, for now."""
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def write_simconnect_cfg(folder, port):
    """A SimConnect.cfg in `folder` that names a simulator on this machine's `port`."""
    with open(os.path.join(folder, "SimConnect.cfg"), "w") as cfg:
        cfg.write("[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=%d\n" % port)


def environment(changes):
    """This process's environment with `changes`: a value of None removes the variable."""
    merged = dict(os.environ, **(changes or {}))
    return {key: value for key, value in merged.items() if value is not None}


def _die_with_parent():
    ctypes.CDLL(None).prctl(1, signal.SIGKILL)  # PR_SET_PDEATHSIG


class Child:
    """A program with standard input and output on pipes, in a process group
    of its own so that stop() also ends whatever it started. `env` changes
    this process's environment as environment() does."""

    def __init__(self, name, argv, cwd=None, env=None):
        self.name, self.lines, self._next = name, [], 0
        self._changed = threading.Condition()
        self._stderr = tempfile.TemporaryFile()
        self.proc = subprocess.Popen(argv, cwd=cwd, env=environment(env), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=self._stderr, preexec_fn=_die_with_parent, start_new_session=True)
        self._reader = threading.Thread(target=self._read, daemon=True)
        self._reader.start()

    def _read(self):
        for raw in self.proc.stdout:
            with self._changed:
                self.lines.append(raw.decode(errors="replace").rstrip("\n"))
                self._changed.notify_all()

    def send(self, *lines):
        with contextlib.suppress(BrokenPipeError, ValueError):
            self.proc.stdin.write("".join(line + "\n" for line in lines).encode())
            self.proc.stdin.flush()

    def wait_for(self, prefix, seconds=WAIT):
        """The next output line after those already waited for that starts
        with `prefix`; None when none comes in time or the output ends."""
        deadline = time.monotonic() + seconds
        with self._changed:
            while True:
                while self._next < len(self.lines):
                    self._next += 1
                    if self.lines[self._next - 1].startswith(prefix):
                        return self.lines[self._next - 1]
                left = deadline - time.monotonic()
                if left <= 0 or not self._reader.is_alive():
                    return None
                self._changed.wait(min(left, 0.1))

    def errors(self):
        """Everything written to standard error so far."""
        self._stderr.seek(0)
        return self._stderr.read().decode(errors="replace")

    def running(self):
        return self.proc.poll() is None

    def wait_exit(self, seconds=WAIT):
        """The exit code, -N for signal N, or None while it still runs."""
        try:
            return self.proc.wait(seconds)
        except subprocess.TimeoutExpired:
            return None

    def stop(self):
        """SIGTERM to the whole group, then SIGKILL to whatever lingers."""
        for sig in (signal.SIGTERM, signal.SIGKILL):
            with contextlib.suppress(ProcessLookupError, PermissionError):
                os.killpg(self.proc.pid, sig)
                self.wait_exit(3)
        with contextlib.suppress(OSError):
            self.proc.stdin.close()
        self._reader.join(2)

    def report(self):
        self._stderr.seek(0)
        return "---- %s (exit %s)\n%s\n%s" % (self.name, self.proc.returncode, "\n".join(self.lines),
                                             self._stderr.read().decode(errors="replace"))


@pytest.fixture
def folder():
    """A private (0700) folder for the test, removed afterwards."""
    path = tempfile.mkdtemp(prefix="vp-test-")
    yield path
    shutil.rmtree(path, ignore_errors=True)


@pytest.fixture
def start():
    """start(name, argv, cwd=None, env=None) -> Child. Everything started is
    stopped after the test, and its output printed, which pytest shows when
    the test failed."""
    children = []

    def starter(name, argv, **options):
        children.append(Child(name, argv, **options))
        return children[-1]

    yield starter
    for child in reversed(children):
        child.stop()
        print(child.report())


class Window(collections.namedtuple("Window", "id name width height x y depth")):
    """An X window at its absolute position; depth 0 for a top-level one."""

    def centre(self):
        return self.x + self.width // 2, self.y + self.height // 2


# e.g. '     0x400006 "vestrel-pelvar": ("vestrel-pelvar" "vestrel-pelvar")  22x30+0+0  +617+1'
_TREE_LINE = re.compile(r'^(\s*)(0x[0-9a-f]+) (?:"(.*)"|\(has no name\)):.*?\s(\d+)x(\d+)'
                        r'[+-]-?\d+[+-]-?\d+\s+\+?(-?\d+)\+?(-?\d+)')


class Desktop:
    """Xvfb on a display number it picks itself, an XEmbed tray host
    (trayer) in its top right corner, at once or when start_tray_host() is
    called, optionally a window manager; skipped where a program it needs
    is missing. `env` holds the environment changes that put a program on
    this display."""

    def __init__(self, width=640, height=240, window_manager=False, tray_host=True):
        programs = ["Xvfb", "trayer", "xwininfo", "xdotool", "import", "convert"] + ["openbox"] * window_manager
        missing = [program for program in programs if shutil.which(program) is None]
        if missing:
            pytest.skip("not installed: " + ", ".join(missing))
        self.env = {"WAYLAND_DISPLAY": None, "QT_QPA_PLATFORM": None, "DBUS_SESSION_BUS_ADDRESS": None}
        self.children = [Child("Xvfb", ["Xvfb", "-displayfd", "1", "-screen", "0", "%dx%dx24" % (width, height),
                                        "-nolisten", "tcp"])]
        number = self.children[0].wait_for("")
        assert number, "Xvfb did not start"
        self.env["DISPLAY"] = ":" + number
        if window_manager:
            self.children.append(Child("openbox", ["openbox", "--sm-disable"], env=self.env))
        if tray_host:
            self.start_tray_host()

    def start_tray_host(self):
        self.children.append(Child("trayer", ["trayer", "--edge", "top", "--align", "right", "--widthtype", "request",
                                              "--height", "32", "--SetDockType", "true", "--transparent", "false",
                                              "--tint", "0x303030"], env=self.env))
        assert wait_until(lambda: self.find("panel")), "the tray host did not appear: " + self.children[-1].report()

    def run(self, argv):
        return subprocess.run(argv, env=environment(self.env), stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              text=True, timeout=WAIT).stdout

    def windows(self):
        """Every window, mapped or not, with its absolute position."""
        matches = (_TREE_LINE.match(line) for line in self.run(["xwininfo", "-root", "-tree"]).splitlines())
        return [Window(m[2], m[3] or "", int(m[4]), int(m[5]), int(m[6]), int(m[7]), (len(m[1]) - 5) // 3)
                for m in matches if m]

    def find(self, name, top_level=None):
        return next((w for w in self.windows() if w.name == name and top_level in (None, w.depth == 0)), None)

    def viewable(self, window):
        return "IsViewable" in self.run(["xwininfo", "-id", window.id])

    def click(self, x, y, button=1, repeat=1):
        self.run(["xdotool", "mousemove", str(x), str(y), "click", "--repeat", str(repeat), "--delay", "80",
                  str(button)])

    def key(self, name):
        self.run(["xdotool", "key", name])

    def screenshot(self, path, crop=None):
        self.run(["import", "-window", "root"] + (["-crop", crop, "+repage"] if crop else []) + [path])

    def emblem_colour(self, window):
        """'yellow', 'green' or 'grey' for the emblem in `window`, the tray's
        background included; None for anything else."""
        text = self.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (window.width, window.height,
                         window.x, window.y), "-resize", "1x1!", "-depth", "8", "txt:-"])
        red, green, blue = (int(v) for v in re.search(r"\((\d+),(\d+),(\d+)", text).groups())
        if max(red, green, blue) - min(red, green, blue) < 30:
            return "grey"
        if red - blue > 50 and red >= green:
            return "yellow"
        return "green" if green - red > 40 and green > blue else None

    def stop_display(self):
        """Ends the X server, as when the session ends."""
        self.children[0].proc.terminate()
        self.children[0].wait_exit()

    def close(self):
        for child in reversed(self.children):
            child.stop()


@pytest.fixture
def desktop():
    screen = Desktop()
    yield screen
    screen.close()
