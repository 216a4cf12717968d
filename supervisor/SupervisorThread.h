#pragma once

#include <atomic>

#include "sim/SimConnect.h"
#include "supervisor/PanelOpenSchedule.h"

// Connection state, owned by the supervisor thread.
extern bool deviceOpen;    // a panel handle is open in PanelDevice.device
extern bool simConnected;  // a SimConnect connection is open in connectionHandle
// The current connection, or null while none is open (before the first open
// and after a loss), so that commands can tell there is nobody to send to.
extern SimConnectHandle connectionHandle;
// When to try hid_open while the panel is not open.
extern PanelOpenSchedule panelOpenSchedule;

constexpr int kSupervisorPeriodMilliseconds = 25;

// One pass of the supervisor: open what is closed, pump what is open, keep
// the lamps in step and report the tray state. Never blocks.
void SupervisorPass();

// The thread body: a pass, then a 25 ms pause, forever.
[[noreturn]] void SupervisorThread();

// The same loop, ending when `running` turns false; for tests and tools
// that need to stop it.
void RunSupervisorWhile(const std::atomic<bool>& running);
