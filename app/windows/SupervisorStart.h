#pragma once

// Starts the connection supervisor on a thread of its own. Nothing ever waits
// for it or stops it: it ends with the process.
void StartSupervisorThread();
