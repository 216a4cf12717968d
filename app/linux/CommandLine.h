#pragma once

// The Linux bridge's command line: --version and --help answer and end the
// program before anything is started (no lock, no tray, no supervisor); any
// other argument is a mistake, told with the usage on standard error. Qt's
// own options are not taken: the bridge chooses its platform itself, and
// QT_QPA_PLATFORM still works.

#include <cstdio>

constexpr int kRunTheBridge = -1;

// Prints what was asked for; returns kRunTheBridge, or the exit code:
// 0 after --version or --help, 2 after anything else.
int AnswerCommandLine(int argc, const char* const* argv, std::FILE* out, std::FILE* err);
