#pragma once

#include <hidapi/hidapi.h>

#include <cstdint>

#include "panel/PanelReport.h"
#include "sim/FlightSimInterface.h"

// The state of the link to the panel. One static object, named like its
// type, lives for the whole process; only the supervisor thread touches it.
struct PanelDevice {
  hid_device* device;             // the open panel, or null
  bool shift;                     // alternate knob functions, toggled by the knob push
  FlightSimInterface* simulator;  // where every control action goes
  PanelReport lastReport;         // its key mask is the reference for new presses
  std::uint8_t mode;              // mode of the most recently read report
  std::uint8_t lastLamps;         // lamp bits the panel currently shows
};

extern struct PanelDevice PanelDevice;

// Reads and handles every pending input report, without blocking. Returns
// the result of the last read: 0 when the queue is empty, negative when a
// read failed (the panel is gone).
int ReadPanelReports();

// Decodes and handles one report as ReadPanelReports does for each one it
// reads: tracks the mode (a mode change clears shift), dispatches it and
// remembers it. A report shorter than a full input report changes nothing.
void AcceptPanelReport(const unsigned char* bytes, int length);
