#pragma once

#include "tools/virtualpanel/PanelTransport.h"

namespace virtualpanel {

// Runs commands from standard input (see ScriptCommand.h) until `quit`,
// end of input or a quit signal, and prints what the bridge does with the
// panel: "bridge connected", "bridge disconnected", "lamps 0xNN". Returns
// the process exit code.
int RunScript(PanelTransport* transport);

}  // namespace virtualpanel
