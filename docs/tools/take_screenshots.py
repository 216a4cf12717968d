#!/usr/bin/env python3
"""Takes the Linux shell's pictures for docs/: the tray icon with its tooltip
in each of the three states, the open menu and the Info box, on a virtual X
desktop (Xvfb, trayer, openbox). A bridge with nothing to talk to waits for
the panel; with the virtual panel it stands by; with the simulator stand-in
listening as well it connects.

usage: take_screenshots.py BUILD_DIR OUT_DIR
Needs the bridge, simstandin, virtualpanel and the hidapi shim in BUILD_DIR."""

import os
import shutil
import socket
import subprocess
import sys
import tempfile
import time

# The desktop the tests use, from their process module.
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "e2e"))
from processes import Child, Desktop, wait_until  # noqa: E402

TRAY_CROP = "210x64+430+0"  # the tray's corner with the tooltip below the icon


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


def shrink(path):
    subprocess.run(["convert", path, "-strip", "-define", "png:compression-level=9", path], check=True)


def tooltip_shot(screen, icon, colour, path):
    if not wait_until(lambda: screen.emblem_colour(icon) == colour):
        raise RuntimeError("the icon did not turn " + colour)
    x, y = icon.centre()
    screen.run(["xdotool", "mousemove", str(x), str(y)])
    time.sleep(2.5)  # the tooltip's delay
    screen.screenshot(path, TRAY_CROP)
    shrink(path)
    print("wrote", path)


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    build, out = (os.path.abspath(p) for p in sys.argv[1:])
    bridge = os.path.join(build, "bin", "vestrel-pelvar")
    standin = os.path.join(build, "bin", "simstandin")
    panel = os.path.join(build, "bin", "virtualpanel")
    shim = os.path.join(build, "lib", "libvestrel-hidshim.so")
    folder = tempfile.mkdtemp(prefix="vp-shots-")
    os.chmod(folder, 0o700)
    panel_socket = os.path.join(folder, "panel.sock")
    port = free_port()
    with open(os.path.join(folder, "SimConnect.cfg"), "w") as cfg:
        cfg.write("[SimConnect]\nProtocol=IPv4\nAddress=127.0.0.1\nPort=%d\n" % port)

    screen = Desktop(window_manager=True)
    bridge_env = {"QT_QPA_PLATFORM": "xcb", "XDG_RUNTIME_DIR": folder, "LD_PRELOAD": shim,
                  "VESTREL_PANEL_SOCKET": panel_socket, "VESTREL_PELVAR_PANEL_POLL": "always"}

    def docked_icon():
        return next((w for w in screen.windows()
                     if w.name == "vestrel-pelvar" and w.depth >= 2 and w.width > 1), None)

    def start(name, argv, env=None):
        screen.children.append(Child(name, argv, cwd=folder, env=dict(screen.env, **(env or {}))))
        return screen.children[-1]

    def start_bridge():
        # A fresh bridge for every state: a tooltip shows on the first hover.
        running = start("bridge", [bridge], env=bridge_env)
        icon = wait_until(docked_icon)
        if icon is None:
            raise RuntimeError("the icon did not dock")
        return running, icon

    def end_bridge(running):
        running.stop()
        wait_until(lambda: docked_icon() is None)

    try:
        running, icon = start_bridge()
        tooltip_shot(screen, icon, "yellow", os.path.join(out, "linux-tray-waiting.png"))
        end_bridge(running)

        # Script mode waits for commands on a pipe that stays open.
        start("panel", [panel, "--script", "--socket", panel_socket])
        running, icon = start_bridge()
        tooltip_shot(screen, icon, "grey", os.path.join(out, "linux-tray-standby.png"))
        end_bridge(running)

        start("standin", [standin, "--port", str(port)])
        running, icon = start_bridge()
        tooltip_shot(screen, icon, "green", os.path.join(out, "linux-tray-connected.png"))

        x, y = icon.centre()
        screen.click(x, y, button=3)
        time.sleep(1.0)
        path = os.path.join(out, "linux-menu.png")
        screen.screenshot(path, TRAY_CROP)
        shrink(path)
        print("wrote", path)

        screen.click(x - 60, y + 34)  # Info..., the second entry
        about = wait_until(lambda: screen.find("Info", top_level=False) or screen.find("Info"))
        if about is None:
            raise RuntimeError("the Info box did not open")
        time.sleep(1.0)
        path = os.path.join(out, "linux-about.png")
        screen.run(["import", "-frame", "-window", about.id, path])
        shrink(path)
        print("wrote", path)
    finally:
        screen.close()
        shutil.rmtree(folder, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
