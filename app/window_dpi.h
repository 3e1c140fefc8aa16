// Frame sizes for the DPI a window is shown at, so that its client area keeps
// the same physical pixels on a scaled display. The per-DPI functions exist
// from Windows 10 1607 on and are looked up at run time; before that the
// system DPI and the plain frame metrics serve.
#pragma once

#include <windows.h>

// The DPI of the window's monitor; with no window yet, the system DPI.
UINT WindowDpi(HWND window);

// The frame rectangle around the given client rectangle at the given DPI.
RECT FrameAroundClient(const RECT& client, DWORD style, DWORD exStyle, UINT dpi);

// Places the window's frame with its top-left corner at the given point and
// the size that gives a client area of exactly width x height at the given
// DPI; should the frame drawn differ from the computed one, corrects by the
// difference.
void FitFrameToClient(HWND window, POINT topLeft, int width, int height, UINT dpi);
