#pragma once

// The Linux bridge's command line: --version and --help answer and end the
// program before anything is started (no lock, no tray, no supervisor).
// `-session <id>` and `-name <x>`, which a restored desktop session passes
// (Qt saves them as the restart command), are taken and ignored: the bridge
// keeps no session state. Any other argument is a mistake, told with the
// usage on standard error. Qt's other options are not taken: the bridge
// chooses its platform itself, and QT_QPA_PLATFORM still works.

#include <cstdio>

constexpr int kRunTheBridge = -1;

// Prints what was asked for; returns kRunTheBridge (no argument, or only
// session-restore pairs), or the exit code: 0 after --version or --help, 2
// after anything else.
int AnswerCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err);
