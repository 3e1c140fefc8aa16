// Keys the program answers in its own windows, before the panel's keyboard
// handling takes them.
#pragma once

#include <windows.h>

// `key` pressed in the render window, the panel or a control of the panel,
// Ctrl down exactly when `withControl`, Alt up.
bool IsProgramKey(const MSG& msg, WPARAM key, bool withControl);
