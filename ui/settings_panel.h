// The modeless "Settings" panel.
#pragma once

#include <windows.h>

INT_PTR CALLBACK SettingsDialogProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);

// What Browse does with a chosen path: loads the BMP and, when it loads, shows
// it as test texture with its path on the Browse button; then redraws.
bool LoadBitmapAsBrowsed(HWND panel, const char* path);

// Tells the user why the last picture did not load (LastDibError), in a box
// owned by the window with the focus; nothing without a reason.
void TellPictureFailure();
