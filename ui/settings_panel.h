// The modeless "Settings" panel.
#pragma once

#include <windows.h>

INT_PTR CALLBACK SettingsDialogProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);
