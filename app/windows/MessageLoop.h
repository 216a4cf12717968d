#pragma once

#include <windows.h>

// Runs the main thread's message loop, with the accelerators of the
// program's resources, until the quit message; returns its exit code.
int RunMessageLoop(HINSTANCE instance);
