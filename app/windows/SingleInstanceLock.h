#pragma once

#include <windows.h>

// One bridge per desktop session: the lock is a named mutex, which the system
// drops with the last handle to it, so a crashed or killed instance never
// leaves it behind.
//
// Returns false when another instance holds the lock. Any other failure to
// create it lets the caller go on without one (`*lock` is then null).
bool TakeSingleInstanceLock(HANDLE* lock);

void ReleaseSingleInstanceLock(HANDLE lock);
