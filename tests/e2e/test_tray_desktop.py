"""The real bridge on a virtual X desktop with an XEmbed tray host: its icon
docks and turns yellow once the supervisor finds no panel; a right click or
a left double click opens its menu, a single click nothing; Info... opens
one About box however often asked, which blocks nothing and opens again
once closed; Quit ends the bridge with exit code 0, the end of the X server
with exit code 1. Skipped where Xvfb, trayer, xdotool or ImageMagick are
missing."""

import os

from processes import wait_until


def tray_icon(screen):
    """The bridge's icon window inside the tray host, once docked."""
    return next((w for w in screen.windows() if w.name == "vestrel-pelvar" and w.depth >= 2 and w.width > 1), None)


def popups(screen, name):
    """The bridge's mapped top-level windows called `name`, bigger than Qt's helpers."""
    return [w for w in screen.windows() if w.depth == 0 and w.name == name and w.width > 20 and screen.viewable(w)]


def open_menu(screen, icon, button=3, repeat=1):
    """Clicks the icon and returns the menu once it has its own size (a
    loaded machine may catch it at the toolkit's default size for a moment).
    A double click gets four tries: Qt pairs the presses by when it handles
    them, and a loaded machine may handle them further apart than the
    double-click interval, which makes two single clicks."""
    for _ in range(4 if repeat > 1 else 1):
        screen.click(*icon.centre(), button=button, repeat=repeat)
        menu = wait_until(lambda: next((w for w in popups(screen, "vestrel-pelvar") if w.height < 200), None),
                          3 if repeat > 1 else 10)
        if menu is not None:
            assert 40 <= menu.height <= 80, "the menu is %d pixels high, not two entries" % menu.height
            return menu
    raise AssertionError("no menu; the bridge's windows: %s" % popups(screen, "vestrel-pelvar"))


def choose(screen, menu, entry):
    """Clicks the first (0) or second (1) entry of the two."""
    screen.click(menu.x + 30, menu.y + menu.height * (1 + 2 * entry) // 4)


def test_tray(desktop, folder, start):
    screen = desktop
    env = dict(screen.env, QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=folder)
    bridge = start("bridge", [os.environ["VP_BRIDGE"]], cwd=folder, env=env)
    icon = wait_until(lambda: tray_icon(screen))
    assert icon, "the icon did not dock in the tray"
    assert wait_until(lambda: screen.emblem_colour(icon) == "yellow"), "the icon did not turn yellow (no panel)"

    screen.click(*icon.centre())
    assert not wait_until(lambda: popups(screen, "vestrel-pelvar"), 1), "a single left click opened something"
    open_menu(screen, icon, button=1, repeat=2)
    screen.key("Escape")
    assert wait_until(lambda: not popups(screen, "vestrel-pelvar")), "Escape did not close the menu"

    for _ in range(2):  # the second time with the box open: the menu still works, and there stays one box
        choose(screen, open_menu(screen, icon), 1)
        assert wait_until(lambda: popups(screen, "Info")), "Info... did not open the About box"
        assert wait_until(lambda: not popups(screen, "vestrel-pelvar")), "the menu did not close"
    boxes = popups(screen, "Info")
    assert len(boxes) == 1, "Info... twice shows %d About boxes" % len(boxes)

    screen.click(*boxes[0].centre())  # gives it the keyboard
    screen.key("Escape")
    assert wait_until(lambda: not popups(screen, "Info")), "Escape did not close the About box"
    assert bridge.running(), "closing the About box ended the bridge"
    choose(screen, open_menu(screen, icon), 1)
    assert wait_until(lambda: popups(screen, "Info")), "a closed About box did not open again"

    choose(screen, open_menu(screen, icon), 0)
    assert bridge.wait_exit() == 0, "Quit did not end the bridge with exit code 0"

    # The session ending takes the X server away: Qt's exit code 1, not a
    # crash under the running supervisor.
    bridge = start("bridge again", [os.environ["VP_BRIDGE"]], cwd=folder, env=env)
    assert wait_until(lambda: tray_icon(screen)), "the icon did not dock again"
    screen.stop_display()
    assert bridge.wait_exit() == 1, "the end of the X server did not end the bridge with exit code 1"
