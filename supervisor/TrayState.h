#pragma once

// The three connection states the supervisor reports and the tray icon shows.
enum TrayState {
  TrayWaiting,    // panel not open
  TrayStandby,    // panel open, simulator not connected
  TrayConnected,  // both connected
};

// Implemented by each application shell. The supervisor calls it on every
// pass (40 times a second) from its own thread, whether or not the state
// changed, so implementations must be thread-safe and cheap.
void ShowTrayState(TrayState state);
