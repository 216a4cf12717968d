#pragma once

// When the supervisor calls hid_open while the panel is not open, counted in
// passes (25 ms each) so that tests drive it without a clock:
// - whenever the listing cannot tell, on every pass;
// - from the pass in which the panel is first listed, or in which an open
//   panel was lost, on every pass for 2 s;
// - while it then stays listed and unopened (udev has not granted access yet,
//   another program holds it), every 1 s, doubling up to every 5 s;
// - whatever the listing says, at least once a minute, so that a listing that
//   is wrong on some system delays the panel and never keeps it shut. hidapi
//   finds devices through the very folder (Linux) or list (Windows) that the
//   listing reads, so this net guards only against a fault of the listing;
//   walking every HID device costs milliseconds, too much every few seconds.

#include "supervisor/PanelPresence.h"

constexpr int kOpenBurstPasses = 80;
constexpr int kFirstBackoffPasses = 40;
constexpr int kLongestBackoffPasses = 200;
constexpr int kSafetyNetPasses = 2400;

// Plain data: the supervisor is never joined, so nothing it holds may be
// destroyed at exit.
struct PanelOpenSchedule {
  bool wasListed = false;
  int burstPassesLeft = 0;
  int backoffPasses = kFirstBackoffPasses;
  int passesSinceTry = 0;

  // Called once per pass while the panel is not open: whether to try hid_open.
  bool Due(PanelListing listing);
  // The panel opened: what led to it is over.
  void PanelOpened() { *this = PanelOpenSchedule{}; }
  // The open panel failed: try again from the next pass on.
  void PanelLost() { RestartTries(); }
  // Every pass for the next 2 s, then backing off from 1 s.
  void RestartTries();
};
