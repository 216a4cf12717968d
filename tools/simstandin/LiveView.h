#pragma once

// The --display view: the whole terminal redrawn as a small cockpit panel of
// the simulated aircraft, with the latest events below it.

#include <string>

#include "ClientSession.h"

struct LiveViewInfo {
  unsigned short port = 0;
  int clients = 0;
  std::string clientName;
};

// The escape sequences and text that redraw the screen.
std::string RenderLiveView(const Simulation& simulation, const Console& console, const LiveViewInfo& info);

// Entering and leaving the view (alternate screen, hidden cursor).
const char* LiveViewEnter();
const char* LiveViewLeave();
