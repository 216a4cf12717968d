"""The bridge waiting, as a user reads its standard error. Each bridge runs
on a machine made up in a private mount namespace (tools/syntheticsysfs:
two USB HID devices, and on one of them a Dorvik panel whose node it may not
open), with the real hidapi and libudev, and no simulator at the address its
SimConnect.cfg names: in its working folder for one, beside the program for
the other."""

import os
import shutil
import subprocess
import sys
import time

import pytest
from processes import closed_port, write_simconnect_cfg

TREE = os.path.join(os.environ["VP_SOURCE_DIR"], "tools", "syntheticsysfs", "sysfs_tree.py")
PROBE_LINE = ("Dorvik panel found at /dev/hidraw2 but it cannot be opened: No such file or directory. "
              "Install the udev rule")


def hid_open_times(folder):
    path = os.path.join(folder, "hid_open.log")
    return [float(line.split()[0]) for line in open(path)] if os.path.exists(path) else []


def start_bridge(start, folder, program, panel, debug):
    """The bridge on its own machine, its standard error among its output lines."""
    machine = '"$0" "$1" / 2 %s' % ("--panel" if panel else "")
    script = "mount -t tmpfs vp /sys && mount -t tmpfs vp /run && %s && exec \"$2\" 2>&1" % machine
    return start(os.path.basename(folder), ["unshare", "-m", "sh", "-c", script, sys.executable, TREE, program],
                 cwd=folder, env={
        "DISPLAY": None, "WAYLAND_DISPLAY": None, "QT_QPA_PLATFORM": "offscreen", "XDG_RUNTIME_DIR": folder,
        "LD_PRELOAD": "%s:%s" % (os.environ["VP_SYSFS_MAGIC"], os.environ["VP_HID_OPEN_COUNTER"]),
        "VP_HID_OPEN_LOG": os.path.join(folder, "hid_open.log"), "VESTREL_PELVAR_LOG": "debug" if debug else None})


def test_waiting_lines(folder, start):
    refused = subprocess.run(["unshare", "-m", "true"], capture_output=True, text=True)
    if refused.returncode != 0:
        pytest.skip("no private mount namespace here: " + refused.stderr.strip())
    quiet, told = os.path.join(folder, "quiet"), os.path.join(folder, "panel")
    ports = {quiet: closed_port(), told: closed_port()}
    beside = os.path.join(told, "program")
    for machine in (quiet, told, beside):
        os.mkdir(machine, 0o700)
    write_simconnect_cfg(quiet, ports[quiet])
    write_simconnect_cfg(beside, ports[told])
    shutil.copy(os.environ["VP_BRIDGE"], beside)
    bridge = start_bridge(start, quiet, os.environ["VP_BRIDGE"], panel=False, debug=False)
    panel_bridge = start_bridge(start, told, os.path.join(beside, "vestrel-pelvar"), panel=True, debug=True)

    # The refusal is told once, with the address and where it came from; a
    # new port is news.
    line = bridge.wait_for("No simulator at ")
    assert line == "No simulator at 127.0.0.1:%d: connection refused or host unreachable (address from %s)" % (
        ports[quiet], os.path.join(quiet, "SimConnect.cfg")), line
    write_simconnect_cfg(quiet, ports[told])
    assert bridge.wait_for("No simulator at 127.0.0.1:%d:" % ports[told]), "a new port was not told"

    # The panel probe in the shell tells a panel it cannot open only after two
    # failed looks a second apart; until then, and on the other machine at
    # all, the bridge asks hidapi to walk the devices only when the panel is
    # listed (the quiet machine's first walk, the safety net, comes after a minute).
    assert panel_bridge.wait_for(PROBE_LINE), "the panel that cannot be opened was not told"
    told_at = time.monotonic()
    tries = hid_open_times(told)
    assert tries and told_at - tries[0] >= 0.9, "told after one failed look"
    assert not hid_open_times(quiet), "hid_open with no panel listed"
    assert panel_bridge.wait_for("debug: simulator at 127.0.0.1:%d: connection refused or host unreachable "
                                 "(address from %s)" % (ports[told], os.path.join(beside, "SimConnect.cfg")))

    assert len([line for line in bridge.lines if line.startswith("No simulator")]) == 2, bridge.lines
    assert not [line for line in bridge.lines if line.startswith("debug:")], "debug lines without the switch"
    assert len([line for line in panel_bridge.lines if line.startswith("Dorvik")]) == 1, "told twice"
