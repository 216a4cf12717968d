#include "supervisor/PanelOpenSchedule.h"

#include <algorithm>

bool PanelOpenSchedule::Due(PanelListing listing) {
  const bool listed = listing == PanelListing::kListed;
  if (listed && !wasListed) {
    burstPassesLeft = kOpenBurstPasses;
    backoffPasses = kFirstBackoffPasses;
  }
  wasListed = listed;
  ++passesSinceTry;

  bool due = listing == PanelListing::kCannotTell || passesSinceTry >= kSafetyNetPasses;
  if (burstPassesLeft > 0) {
    --burstPassesLeft;
    due = true;
  } else if (listed && passesSinceTry >= backoffPasses) {
    backoffPasses = std::min(2 * backoffPasses, kSafetyNetPasses);
    due = true;
  }
  if (due) passesSinceTry = 0;
  return due;
}

void PanelOpenSchedule::PanelLost() {
  burstPassesLeft = kOpenBurstPasses;
  backoffPasses = kFirstBackoffPasses;
}
