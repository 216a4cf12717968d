#pragma once

// vestrel-pelvar --check-profiles [FILE...] [--title TITLE [--path PATH]]:
// reads the profiles the bridge would (or the files named) and reports on
// each, without the simulator, the lock, the tray or the supervisor, so it
// works while the bridge runs. Returns the exit code: 0 when every file is
// valid, 1 otherwise, 2 for a command line it cannot take.
int CheckProfilesCommand(int argc, const char* const* argv);
