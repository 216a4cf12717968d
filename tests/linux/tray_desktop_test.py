#!/usr/bin/env python3
"""The real bridge on a virtual X desktop with an XEmbed tray host: its icon
docks, turns yellow once the supervisor reports no panel, opens its menu on
a right click or a left double click (not on a single click), opens the Info
box (once, however often asked, without blocking the menu), and "Quit" ends the process with exit code 0; the end of the X server
ends it with exit code 1.

usage: tray_desktop_test.py BRIDGE
Exits 77 (skipped) when Xvfb, trayer, xdotool or ImageMagick are missing."""

import os
import shutil
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import desktop  # noqa: E402

SKIPPED = 77


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def tray_icon(screen):
    """The bridge's icon window inside the tray host, once docked."""
    for window in screen.windows():
        if window.name == "vestrel-pelvar" and window.depth >= 2 and window.width > 1:
            return window
    return None


def popup(screen, name="vestrel-pelvar"):
    """A mapped top-level window of the bridge bigger than Qt's helpers."""
    for window in screen.windows():
        if window.depth == 0 and window.name == name and window.width > 20 and screen.viewable(window):
            return window
    return None


def bridge_windows(screen):
    """The bridge's top-level windows, for failure messages."""
    return ["%r%s" % (w, " (viewable)" if screen.viewable(w) else "")
            for w in screen.windows() if w.depth == 0 and w.name in ("vestrel-pelvar", "Info")]


def settled_menu(screen, seconds=desktop.WAIT):
    """The menu once it has its own size: a loaded machine may catch it
    mapped at the toolkit's default window size for a moment."""
    def menu():
        window = popup(screen)
        return window if window is not None and window.height < 200 else None
    return desktop.wait_until(menu, seconds)


def open_menu(screen, x, y, button, repeat):
    """Clicks and returns the menu. A double click gets four tries: Qt pairs
    the presses by when it handles them, and on a loaded machine they may be
    handled further apart than the double-click interval, which makes two
    single clicks (and those open nothing)."""
    for _ in range(4 if repeat > 1 else 1):
        screen.click(x, y, button=button, repeat=repeat)
        menu = settled_menu(screen, seconds=3.0)
        if menu is not None:
            return menu
    return None


def run(bridge_path):
    screen = desktop.Desktop()
    folder = tempfile.mkdtemp(prefix="vp-tray-")
    os.chmod(folder, 0o700)
    bridge = None
    try:
        bridge = screen.start([bridge_path], env={"QT_QPA_PLATFORM": "xcb", "XDG_RUNTIME_DIR": folder}, cwd=folder)
        icon = desktop.wait_until(lambda: tray_icon(screen))
        check(icon is not None, "the icon did not dock in the tray")

        # No panel on this machine: the supervisor's first pass turns the grey
        # start-up emblem yellow.
        x, y = icon.centre()
        check(desktop.wait_until(lambda: screen.emblem_colour(icon) == "yellow"),
              "the icon did not turn yellow (waiting for the panel)")

        screen.click(x, y, button=1)
        check(not desktop.wait_until(lambda: popup(screen), seconds=1.0), "a single left click opened something")

        for how, button, repeat in (("left double click", 1, 2), ("right click", 3, 1)):
            menu = open_menu(screen, x, y, button, repeat)
            check(menu is not None, "a %s did not open the menu; windows: %s" % (how, bridge_windows(screen)))
            check(40 <= menu.height <= 80, "the menu is %d pixels high, not two entries" % menu.height)
            if button == 1:
                screen.key("Escape")
                check(desktop.wait_until(lambda: popup(screen) is None), "Escape did not close the menu")

        # Second entry: Info... opens the About box; Escape closes it.
        screen.click(menu.x + 30, menu.y + menu.height * 3 // 4)
        about = desktop.wait_until(lambda: popup(screen, "Info"))
        check(about is not None, "Info... did not open the About box")

        # The box blocks nothing: the menu still opens, and Info... again
        # brings the open box forward instead of opening a second one.
        menu = open_menu(screen, x, y, 3, 1)
        check(menu is not None, "the menu did not open while the About box was open")
        screen.click(menu.x + 30, menu.y + menu.height * 3 // 4)
        check(desktop.wait_until(lambda: popup(screen) is None), "the menu did not close")
        boxes = [w for w in screen.windows() if w.depth == 0 and w.name == "Info" and screen.viewable(w)]
        check(len(boxes) == 1, "Info... again shows %d About boxes" % len(boxes))

        screen.click(*boxes[0].centre())  # give it the keyboard
        screen.key("Escape")
        check(desktop.wait_until(lambda: popup(screen, "Info") is None), "Escape did not close the About box")
        check(bridge.poll() is None, "closing the About box ended the bridge")

        # First entry: Quit.
        menu = open_menu(screen, x, y, 3, 1)
        check(menu is not None, "the menu did not open again")
        screen.click(menu.x + 30, menu.y + menu.height // 4)
        try:
            code = bridge.wait(timeout=desktop.WAIT)
        except Exception:
            raise Failure("Quit did not end the bridge")
        check(code == 0, "Quit ended the bridge with exit code %s" % code)

        # The X server going away (the session ends) ends the bridge with
        # Qt's exit code 1, not with a crash under the running supervisor.
        bridge = screen.start([bridge_path], env={"QT_QPA_PLATFORM": "xcb", "XDG_RUNTIME_DIR": folder}, cwd=folder)
        check(desktop.wait_until(lambda: tray_icon(screen)) is not None, "the icon did not dock again")
        screen.stop_display()
        try:
            code = bridge.wait(timeout=desktop.WAIT)
        except Exception:
            raise Failure("the bridge outlived its X server")
        check(code == 1, "the end of the X server ended the bridge with %s" % code)
    finally:
        screen.close()
        shutil.rmtree(folder, ignore_errors=True)


def main():
    if len(sys.argv) != 2:
        print(__doc__)
        return 2
    try:
        run(os.path.abspath(sys.argv[1]))
    except desktop.Unavailable as missing:
        print("skipped:", missing)
        return SKIPPED
    except Failure as failure:
        print("FAILED:", failure)
        return 1
    print("passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
