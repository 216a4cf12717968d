#pragma once

// vestrel-pelvar.exe --check-profiles [FILE...] [--title TITLE [--path PATH]]:
// the profile report, written to the console the program was started from.
// A GUI program has no console of its own, so it attaches to its parent's;
// with none (started from Explorer), the report goes nowhere and only the
// exit status tells. Returns true when the command line asks for the check,
// with `exitCode` set: 0 when every file is valid, 1 otherwise, 2 for an
// argument it does not take.
bool RunProfileCheckIfAsked(int* exitCode);
