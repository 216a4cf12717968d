#pragma once

class TrayStateRelay;

// Points ShowTrayState at `relay`, or at nothing when null (before the GUI
// exists and from Quit on), so that the supervisor's calls are dropped.
// The relay must outlive every ShowTrayState call that might still see it.
void InstallTrayStateRelay(TrayStateRelay* relay);
