#pragma once

// Ends the bridge at once with `code`. The supervisor thread is detached and
// may be anywhere in its pass, using the static panel and simulator objects,
// so no static destructor and no atexit handler may run: the tray state is
// cut off from the GUI, standard output is flushed, and the process exits.
[[noreturn]] void EndProcess(int code);

// From now on, a call of exit() by anyone (Qt calls it when the X server
// goes away) also ends the process through EndProcess, with its status,
// before the static objects made so far are destroyed under the supervisor.
void EndProcessOnExit();
