#pragma once

#include <vector>

#include "supervisor/TrayState.h"

namespace faketray {
void Reset();
const std::vector<TrayState>& Shown();  // every ShowTrayState call, in order
int CountShown(TrayState state);        // safe while another thread shows states
}  // namespace faketray
