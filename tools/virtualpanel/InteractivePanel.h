#pragma once

#include "tools/virtualpanel/PanelTransport.h"

namespace virtualpanel {

// The keyboard-driven panel in the terminal. Returns the process exit code.
int RunInteractive(PanelTransport* transport);

}  // namespace virtualpanel
