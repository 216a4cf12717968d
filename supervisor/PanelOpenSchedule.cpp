#include "supervisor/PanelOpenSchedule.h"

#include <algorithm>

bool PanelOpenSchedule::Due(PanelListing listing) {
  const bool listed = listing == PanelListing::kListed;
  if (listed && !wasListed) RestartTries();
  wasListed = listed;
  ++passesSinceTry;

  bool due = listing == PanelListing::kCannotTell || passesSinceTry >= kSafetyNetPasses;
  if (burstPassesLeft > 0) {
    --burstPassesLeft;
    due = true;
  } else if (listed && passesSinceTry >= backoffPasses) {
    backoffPasses = std::min(2 * backoffPasses, kLongestBackoffPasses);
    due = true;
  }
  if (due) passesSinceTry = 0;
  return due;
}

void PanelOpenSchedule::RestartTries() {
  burstPassesLeft = kOpenBurstPasses;
  backoffPasses = kFirstBackoffPasses;
}
