"""The real bridge where the desktop is not ready for it: a display in its
environment that no longer answers (a user service whose session has
ended), and a tray host that turns up after it (autostart at login). It
bridges either way; on the late tray its icon docks once the host is there,
and its menu works."""

import os
import signal

from processes import Desktop, wait_until
from test_bridge import Rig
from test_tray_desktop import choose, open_menu, tray_icon


def bridged_rig(folder, start, changes):
    """The end-to-end rig, up, whose bridge runs with `changes` to its environment."""
    def starter(name, argv, env=None, **options):
        if argv[0] == os.environ["VP_BRIDGE"]:
            env = dict(env, **changes)
        return start(name, argv, env=env, **options)
    rig = Rig(folder, starter)
    rig.up()
    return rig


def test_unreachable_display(folder, start):
    gone = next(n for n in range(900, 1000) if not os.path.exists("/tmp/.X11-unix/X%d" % n))
    rig = bridged_rig(folder, start, {"DISPLAY": ":%d" % gone, "WAYLAND_DISPLAY": os.path.join(folder, "wayland-0")})
    rig.bridge.proc.send_signal(signal.SIGTERM)
    assert rig.bridge.wait_exit() == 0, "SIGTERM did not end the bridge with exit code 0"
    assert "qt.qpa" not in rig.bridge.report(), "Qt was sent to a display that does not answer"


def test_late_tray_host(folder, start):
    screen = Desktop(tray_host=False)
    try:
        rig = bridged_rig(folder, start, screen.env)
        screen.start_tray_host()
        icon = wait_until(lambda: tray_icon(screen))
        assert icon, "the icon did not dock in a tray host that came after the bridge"
        assert wait_until(lambda: screen.emblem_colour(icon) == "green"), "the late icon does not show the state"
        choose(screen, open_menu(screen, icon), 0)
        assert rig.bridge.wait_exit() == 0, "Quit on the late icon did not end the bridge with exit code 0"
    finally:
        screen.close()
