#pragma once

// Ctrl-C, a closed terminal or a kill end the panel through its own loop,
// so the socket file is removed and the terminal restored on the way out.

namespace virtualpanel {

// Installs handlers for SIGINT, SIGTERM and SIGHUP (without restarting
// interrupted calls, so a blocking poll returns) and ignores SIGPIPE.
void InstallQuitSignals();
bool QuitRequested();

}  // namespace virtualpanel
