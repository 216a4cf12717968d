#include "supervisor/PanelPresence.h"

#include <cstdlib>
#include <cstring>

namespace {

bool PollAlwaysRequested() {
  const char* poll = std::getenv("VESTREL_PELVAR_PANEL_POLL");
  return poll != nullptr && std::strcmp(poll, "always") == 0;
}

}  // namespace

PanelPresence panelPresence = nullptr;
bool panelPollAlways = PollAlwaysRequested();

PanelListing LookForPanel() {
  if (panelPollAlways || panelPresence == nullptr) return PanelListing::kCannotTell;
  return panelPresence();
}
