#pragma once

// Ends the bridge at once with `code`. The supervisor thread is detached and
// may be anywhere in its pass, using the static panel and simulator objects,
// so no static destructor and no atexit handler may run: the tray state is
// cut off from the GUI, standard output is flushed, and the process exits.
[[noreturn]] void EndProcess(int code);

// `finish` runs once in EndProcess, after the tray state is cut off and
// before the exit: the entry point's way to end what this file knows nothing
// of (the supervisor, the HID library).
void FinishBeforeProcessEnd(void (*finish)());

// From now on, a call of exit() by anyone (Qt calls it when the X server
// goes away) also ends the process through EndProcess, with its status,
// before the static objects made so far are destroyed under the supervisor.
void EndProcessOnExit();
