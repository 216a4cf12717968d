#pragma once

// Time limits of the network client. The defaults suit a simulator on the
// same desktop or the local network; tests shorten them so they stay fast.

#include <chrono>
#include <cstddef>

struct SimConnectNetTuning {
  // A message whose first bytes have arrived must be complete within this,
  // or the connection counts as lost.
  std::chrono::milliseconds stallLimit{5000};
  // Connecting and the simulator's answer to the open request together.
  std::chrono::milliseconds openTimeout{5000};
  // After a failed attempt to open, the next starts no earlier than this.
  std::chrono::milliseconds retryInterval{500};
  // Requests waiting for the socket beyond this mean the simulator has
  // stopped reading; the connection then counts as lost.
  std::size_t outgoingLimit = 256 * 1024;
};

// Replaces the limits for connections opened from now on.
void SetSimConnectNetTuning(const SimConnectNetTuning& tuning);
const SimConnectNetTuning& GetSimConnectNetTuning();
