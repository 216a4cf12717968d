#include "supervisor/SupervisorThread.h"

#include <hidapi/hidapi.h>

#include <chrono>
#include <cstdio>
#include <thread>

#include "panel/PanelDevice.h"
#include "sim/FlightSimInterfaceMSFS.h"
#include "supervisor/PanelPresence.h"
#include "supervisor/TrayState.h"
#include "supervisor/WaitCauses.h"

bool deviceOpen = false;
bool simConnected = false;
SimConnectHandle connectionHandle = nullptr;
PanelOpenSchedule panelOpenSchedule;

namespace {

void Log(const char* line) {
  std::fputs(line, stdout);
  std::fflush(stdout);
}

// The platform is asked only after a failed open and only until it has told
// why (its probe looks at most once a second), and a pass with the panel open
// costs nothing.
void TellWhyThePanelWillNotOpen() {
  if (panelOpenProbe == nullptr || WaitCauseTold(WaitCause::kPanelUnopenable)) return;
  char line[kWaitLineSize];
  if (panelOpenProbe(line, sizeof line)) TellWaitCause(WaitCause::kPanelUnopenable, 0, "%s", line);
}

// hidapi finds the panel by enumerating every HID device on the machine, so
// it is asked only when the listing shows the panel, or cannot tell, or the
// schedule's safety net is due.
void OpenPanel() {
  if (!panelOpenSchedule.Due(LookForPanel())) return;
  hid_device* device = hid_open(kPanelVendorId, kPanelProductId, nullptr);
  if (device == nullptr) {
    TellWhyThePanelWillNotOpen();
    return;
  }
  // A panel left blocking would hold the whole pass inside hid_read until
  // its next report: no simulator messages, reconnections or tray updates.
  if (hid_set_nonblocking(device, 1) < 0) {
    DebugLog("Dorvik panel opened but could not be made non-blocking; closed to try again");
    hid_close(device);
    return;
  }
  PanelDevice.device = device;
  // A freshly opened panel shows no lamps and holds no keys we know of.
  PanelDevice.lastLamps = 0;
  PanelDevice.lastReport = PanelReport{0, 0, 0, 0};
  deviceOpen = true;
  panelOpenSchedule.PanelOpened();
  ClearWaitCause(WaitCause::kPanelUnopenable);
  DebugLog("Dorvik panel opened");
}

// Releases the handle of a panel that failed, so that unplugging it does not
// leak an OS handle each time.
void LosePanel() {
  DebugLog("Dorvik panel lost: reading it failed%s", simConnected ? "" : " (while waiting for the simulator)");
  deviceOpen = false;
  panelOpenSchedule.PanelLost();
  hid_close(PanelDevice.device);
  PanelDevice.device = nullptr;
}

void OpenSimulator() {
  if (SimConnect_Open(&connectionHandle, "Request Data", nullptr, 0, nullptr, 0) < 0) {
    connectionHandle = nullptr;
    return;
  }
  msfs.connection = &connectionHandle;
  PanelDevice.simulator->Initialize();
  simConnected = true;
  ClearWaitCause(WaitCause::kSimulatorUnreachable);
  ClearWaitCause(WaitCause::kSimulatorException);
}

void ShowLamps(AutopilotLampBits lamps) {
  if (lamps == PanelDevice.lastLamps) return;
  const unsigned char report[kLampReportSize] = {kLampReportId, lamps};
  hid_write(PanelDevice.device, report, sizeof report);
  PanelDevice.lastLamps = lamps;
}

void LoseSimulator() {
  simConnected = false;
  Log("Connection to MSFS lost\n");
  SimConnect_Close(connectionHandle);
  connectionHandle = nullptr;
  // The autopilot those lamps showed went with the simulator.
  if (deviceOpen) ShowLamps(0);
}

}  // namespace

void SupervisorPass() {
  if (!deviceOpen) {
    OpenPanel();
  } else if (!simConnected) {
    // Standby: keep draining the panel so its loss is noticed; the commands
    // reach no simulator.
    if (ReadPanelReports() < 0) LosePanel();
  }

  if (!simConnected) OpenSimulator();

  if (!deviceOpen) {
    ShowTrayState(TrayWaiting);
    return;
  }
  if (!simConnected) {
    ShowTrayState(TrayStandby);
    return;
  }
  ShowTrayState(TrayConnected);

  // Simulator messages first, so commands work from this pass's values.
  if (SimConnect_CallDispatch(connectionHandle, OnSimMessage, nullptr) < 0) {
    LoseSimulator();
    return;
  }
  // After the whole batch, so that an aircraft change whose title and path
  // arrive together is one change.
  msfs.FollowAircraft();
  if (ReadPanelReports() < 0) {
    Log("Connection to Dorvik lost\n");
    LosePanel();
    return;
  }
  ShowLamps(PanelDevice.simulator->GetAutopilotLamps());
}

namespace {

// A signal that interrupts the sleep (the Linux shell's device bell) does not
// shorten it: the rest of the period is slept.
void PauseBetweenPasses() { std::this_thread::sleep_for(std::chrono::milliseconds(kSupervisorPeriodMilliseconds)); }

}  // namespace

void SupervisorThread() {
  for (;;) {
    SupervisorPass();
    PauseBetweenPasses();
  }
}

void RunSupervisorWhile(const std::atomic<bool>& running) {
  while (running.load(std::memory_order_relaxed)) {
    SupervisorPass();
    PauseBetweenPasses();
  }
}
