#pragma once

#include <windows.h>

constexpr int kShellTextLength = 100;  // characters, terminator included

// What the shell keeps for the life of the process, on the main thread.
extern HINSTANCE instanceHandle;                   // the About box and the tray icons load from it
extern wchar_t titleText[kShellTextLength];        // title of the hidden main window
extern wchar_t windowClassName[kShellTextLength];  // its window class
