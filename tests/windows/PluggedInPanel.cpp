// Linked into a test build of the shell (vestrel-pelvar-connected.exe) with
// the scripted hidapi in place of the real one: a panel is plugged in from
// the start, so that against the simulator stand-in the shell reaches the
// connected state, which Wine, with no panel, never shows otherwise.

#include "tests/fakes/FakeHidapi.h"

namespace {
const bool pluggedIn = (fakehid::PlugIn(), true);
}  // namespace
