#pragma once

#include "panel/PanelReport.h"

// Turns one decoded report into calls on PanelDevice.simulator according to
// the panel mode and the shift state. Keys act on their rising edge against
// PanelDevice.lastReport; knobs act on every report with non-zero steps.
void HandlePanelReport(const PanelReport& report);
