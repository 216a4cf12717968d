#include "panel/PanelDevice.h"

#include "panel/HandlePanelReport.h"
#include "sim/FlightSimInterfaceMSFS.h"

struct PanelDevice PanelDevice = {nullptr, false, &msfs, {0, 0, 0, 0}, 0, 0};

// The HID library is started once, before the entry point runs, so that no
// shell has to remember it and the supervisor thread, which is never joined,
// can use the library until the process ends; its result is of no use to
// anyone (a failed start shows as a failing hid_open).
namespace {
const int hidLibraryStarted = hid_init();
}

void AcceptPanelReport(const unsigned char* bytes, int length) {
  PanelReport report;
  if (!DecodePanelReport(bytes, length, &report)) return;
  if (report.mode != PanelDevice.mode) {
    PanelDevice.shift = false;
    PanelDevice.mode = report.mode;
  }
  HandlePanelReport(report);
  PanelDevice.lastReport = report;
}

int ReadPanelReports() {
  // hidapi never writes past the length it is given; a longer report is cut
  // to the eight bytes we interpret.
  unsigned char buffer[kPanelReportSize];
  int result = hid_read(PanelDevice.device, buffer, sizeof buffer);
  while (result > 0) {
    AcceptPanelReport(buffer, result);
    result = hid_read(PanelDevice.device, buffer, sizeof buffer);
  }
  return result;
}
