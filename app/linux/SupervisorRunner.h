#pragma once

#include <chrono>

// The supervisor thread as the Linux bridge runs it. It is never joined, but
// the HID library may only be ended once no pass is inside it any more, so
// the process end asks the supervisor to stop between two passes.

// Starts the supervisor thread, detached; its passes go on until
// StopSupervisor.
void StartSupervisor();

// Asks the supervisor to stop after its current pass and waits at most
// `bound` for that. True when it has stopped (or never started): nothing
// calls hidapi from it again.
bool StopSupervisor(std::chrono::milliseconds bound);
