"""A throw-away X desktop for the tray shell: Xvfb on a display number it
picks itself, an XEmbed tray host (trayer) and optionally a window manager,
plus helpers to find windows and read pixels. Used by the desktop test and
by the screenshot script; everything started here is ended by close()."""

import ctypes
import os
import re
import signal
import shutil
import subprocess
import tempfile
import time

WAIT = 10.0  # seconds: the bound of every wait


_libc = ctypes.CDLL(None, use_errno=True)
_PR_SET_PDEATHSIG = 1


def _die_with_parent():
    """Runs in each child before exec: should the test itself be killed (a
    ctest timeout), its X server, tray host and bridge go with it."""
    _libc.prctl(_PR_SET_PDEATHSIG, signal.SIGKILL)


class Unavailable(Exception):
    """A program the desktop needs is not installed."""


def need(*programs):
    missing = [p for p in programs if shutil.which(p) is None]
    if missing:
        raise Unavailable("not installed: " + ", ".join(missing))


def wait_until(condition, seconds=WAIT, step=0.05):
    deadline = time.monotonic() + seconds
    while True:
        result = condition()
        if result or time.monotonic() >= deadline:
            return result
        time.sleep(step)


class Window:
    def __init__(self, wid, name, x, y, width, height, depth):
        self.id, self.name = wid, name
        self.x, self.y, self.width, self.height = x, y, width, height
        self.depth = depth  # 0 for a top-level window

    def centre(self):
        return self.x + self.width // 2, self.y + self.height // 2

    def __repr__(self):
        return "%s %r %dx%d+%d+%d" % (self.id, self.name, self.width, self.height, self.x, self.y)


# e.g. '     0x400006 "vestrel-pelvar": ("vestrel-pelvar" "vestrel-pelvar")  22x30+0+0  +617+1'
_TREE_LINE = re.compile(r'^(\s*)(0x[0-9a-f]+) (?:"(.*)"|\(has no name\)):.*?\s(\d+)x(\d+)[+-]-?\d+[+-]-?\d+\s+\+?(-?\d+)\+?(-?\d+)')


class Desktop:
    def __init__(self, width=640, height=240, window_manager=False):
        need("Xvfb", "trayer", "xwininfo", "xdotool", "import", "convert")
        self.children = []
        self.env = dict(os.environ)
        for name in ("WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "DBUS_SESSION_BUS_ADDRESS"):
            self.env.pop(name, None)
        read_end, write_end = os.pipe()
        xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % (width, height), "-nolisten", "tcp"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, stdin=subprocess.DEVNULL,
            preexec_fn=_die_with_parent)
        self.children.append(xvfb)
        os.close(write_end)
        number = b""
        with os.fdopen(read_end, "rb") as pipe:
            number = pipe.readline().strip()
        if not number:
            self.close()
            raise RuntimeError("Xvfb did not start")
        self.env["DISPLAY"] = ":" + number.decode()
        if window_manager:
            need("openbox")
            self.start(["openbox", "--sm-disable"])
        self.trayer_log = tempfile.TemporaryFile()
        trayer = self.start(["trayer", "--edge", "top", "--align", "right", "--widthtype", "request", "--height", "32",
                             "--SetDockType", "true", "--transparent", "false", "--tint", "0x303030"],
                            stdout=self.trayer_log, stderr=subprocess.STDOUT)
        if not wait_until(lambda: self.find("panel")):
            self.trayer_log.seek(0)
            said = self.trayer_log.read().decode(errors="replace").strip()
            state = "running" if trayer.poll() is None else "ended with %s" % trayer.returncode
            windows = self.windows()
            self.close()
            raise RuntimeError("the tray host did not appear on %s (trayer %s, said %r; windows %r)"
                               % (self.env["DISPLAY"], state, said, windows))

    def start(self, argv, env=None, cwd=None, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
              stderr=subprocess.DEVNULL):
        merged = dict(self.env)
        merged.update(env or {})
        child = subprocess.Popen(argv, env=merged, cwd=cwd, stdin=stdin, stdout=stdout, stderr=stderr,
                                 preexec_fn=_die_with_parent)
        self.children.append(child)
        return child

    def run(self, argv):
        return subprocess.run(argv, env=self.env, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                              text=True, timeout=WAIT).stdout

    def windows(self):
        """Every mapped or unmapped window, with absolute positions."""
        found = []
        for line in self.run(["xwininfo", "-root", "-tree"]).splitlines():
            match = _TREE_LINE.match(line)
            if match:
                indent, wid, name, w, h, x, y = match.groups()
                found.append(Window(wid, name or "", int(x), int(y), int(w), int(h), (len(indent) - 5) // 3))
        return found

    def find(self, name, top_level=None):
        for window in self.windows():
            if window.name == name and (top_level is None or (window.depth == 0) == top_level):
                return window
        return None

    def viewable(self, window):
        return "IsViewable" in self.run(["xwininfo", "-id", window.id])

    def click(self, x, y, button=1, repeat=1):
        self.run(["xdotool", "mousemove", str(x), str(y), "click", "--repeat", str(repeat), "--delay", "80",
                  str(button)])

    def key(self, name):
        self.run(["xdotool", "key", name])

    def screenshot(self, path, crop=None):
        self.run(["import", "-window", "root", path])
        if crop:
            subprocess.run(["convert", path, "-crop", crop, "+repage", path], check=True)

    def average_colour(self, x, y, width, height):
        """The mean (red, green, blue) of a screen rectangle, 0-255 each."""
        path = "/tmp/vp-desktop-%d.png" % os.getpid()
        try:
            self.screenshot(path, "%dx%d+%d+%d" % (width, height, x, y))
            text = subprocess.run(["convert", path, "-resize", "1x1!", "-depth", "8", "txt:-"], check=True,
                                  stdout=subprocess.PIPE, text=True).stdout
        finally:
            if os.path.exists(path):
                os.remove(path)
        red, green, blue = re.search(r"\((\d+),(\d+),(\d+)", text.splitlines()[1]).groups()
        return int(red), int(green), int(blue)

    def emblem_colour(self, window):
        """'yellow', 'green' or 'grey' for the emblem shown in `window`, the
        tray's light background included; None for anything else."""
        red, green, blue = self.average_colour(window.x, window.y, window.width, window.height)
        if max(red, green, blue) - min(red, green, blue) < 30:
            return "grey"
        if red - blue > 50 and red >= green:
            return "yellow"
        if green - red > 40 and green > blue:
            return "green"
        return None

    def stop_display(self):
        """Ends the X server, as when the session ends."""
        self.children[0].terminate()
        self.children[0].wait(timeout=WAIT)

    def close(self):
        for child in reversed(self.children):
            if child.poll() is None:
                child.kill()
            child.wait()
        self.children = []
