#pragma once

// The stand-in's event loop: one thread polling the listening socket, the
// clients, stdin and the termination signals, with a frame timer that runs
// only while some client has data requested.

#include "AircraftIdentity.h"

struct StandInOptions {
  unsigned short port = 500;
  int framesPerSecond = 30;
  bool display = false;
  AircraftIdentity aircraft = BuiltInAircraft().front();  // the one loaded at the start
};

// Runs until "quit", SIGINT or SIGTERM (exit code 0), or until the port
// cannot be listened on (1).
int RunStandIn(const StandInOptions& options);
