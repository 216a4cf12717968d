#include "app/windows/ShellState.h"

HINSTANCE instanceHandle = nullptr;
wchar_t titleText[kShellTextLength] = {};
wchar_t windowClassName[kShellTextLength] = {};
