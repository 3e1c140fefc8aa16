// The modeless "Settings" panel.
#pragma once

#include <windows.h>

INT_PTR CALLBACK SettingsDialogProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam);

// What Browse does with a chosen path: loads the BMP and, when it loads, shows
// it as test texture with its path on the Browse button; then redraws.
bool LoadBitmapAsBrowsed(HWND panel, const char* path);

// Builds the checkerboard or the BMP again with the given mip colouring,
// whichever texture is shown, leaving the Mipmaps radios and the shown
// texture as they are: a view reached through a Mipmaps click while the
// other texture was shown. False when the BMP cannot be read again.
bool RebuildTextureColouring(HWND panel, bool bitmap, int mipmapMode);

// Tells the user why the last picture did not load (LastDibError), in a box
// owned by the window with the focus; nothing without a reason.
void TellPictureFailure();
