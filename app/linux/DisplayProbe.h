#pragma once

// Whether the displays the environment names answer, asked before Qt is up:
// Qt aborts the whole process on a display it cannot reach, for instance
// one left behind in the environment of a user service after its desktop
// session ended.

// The X server in $DISPLAY accepts a connection (authorisation included).
bool X11DisplayReachable();

// The compositor socket of $WAYLAND_DISPLAY (by default "wayland-0" in
// $XDG_RUNTIME_DIR, as the Wayland library looks for it) accepts a
// connection.
bool WaylandDisplayReachable();
