// Real keys for the program under test, through the system's input queue.
#pragma once

#include <windows.h>

// Ctrl+S, pressed on whichever window has the keyboard.
inline void PressCtrlS()
{
    INPUT keys[4] = {};
    const WORD codes[4] = {VK_CONTROL, 'S', 'S', VK_CONTROL};
    for (int i = 0; i < 4; ++i) {
        keys[i].type = INPUT_KEYBOARD;
        keys[i].ki.wVk = codes[i];
        keys[i].ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
    }
    SendInput(4, keys, sizeof(INPUT));
}
