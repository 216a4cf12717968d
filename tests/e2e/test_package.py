"""The Debian package as it installs: it depends on the libraries its
program links; unpacked with dpkg-deb, it holds the desktop entry and its
icon and a udev rule that gives the seated user the panel; its autostart
entry starts the installed program, only while it is installed, and that
program bridges the stand-in and the virtual panel end to end."""

import configparser
import os
import subprocess

from test_bridge import Rig


def test_unpacked_package(folder, start, monkeypatch):
    package, root = os.environ["VP_PACKAGE"], os.path.join(folder, "root")
    depends = subprocess.run(["dpkg-deb", "-f", package, "Depends"], stdout=subprocess.PIPE, text=True).stdout
    assert "libhidapi-hidraw0" in depends and "libqt6widgets6" in depends, "Depends not from the program: " + depends
    subprocess.run(["dpkg-deb", "-x", package, root], check=True)
    for path in ("usr/share/applications/vestrel-pelvar.desktop",
                 "usr/share/icons/hicolor/48x48/apps/vestrel-pelvar.png"):
        assert os.path.exists(os.path.join(root, path)), "the package lacks /" + path
    # logind turns the uaccess tag into access in 73-seat-late, so the rule must come before it.
    # The rule must name the panel's USB ids, 04d8:e6d6, or the panel never opens without root.
    rules = os.path.join(root, "usr/lib/udev/rules.d")
    assert [rule for rule in os.listdir(rules) if rule < "73-seat-late.rules" and all(
            match in open(os.path.join(rules, rule)).read()
            for match in ('TAG+="uaccess"', 'ATTRS{idVendor}=="04d8"', 'ATTRS{idProduct}=="e6d6"'))], \
        "no uaccess rule for 04d8:e6d6 before 73-seat-late"

    autostart = configparser.ConfigParser(interpolation=None)
    assert autostart.read(os.path.join(root, "etc/xdg/autostart/vestrel-pelvar.desktop")), "no autostart entry"
    program = autostart["Desktop Entry"]["Exec"].split()[0]
    assert program == "/usr/bin/vestrel-pelvar", "the autostart entry starts " + program
    # Removed without purge, the kept entry must not try to start a program that is gone.
    assert autostart["Desktop Entry"].get("TryExec") == program, "the autostart entry has no TryExec"
    assert os.access(root + program, os.X_OK), "the package does not install " + program
    monkeypatch.setenv("VP_BRIDGE", root + program)
    rig = Rig(folder, start)
    rig.up()
    rig.turn((["mode 2", "outer 1"], "NAV1 standby 110.50 + one outer step", "nav1_standby", "111.50"))
