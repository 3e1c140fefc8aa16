// Capturing the view: the frame as PNG and its record as JSON.
#pragma once

#include <windows.h>

#include <string>

#include "capture/view_record.h"

// This program and the driver of the current context, in UTF-8.
DriverNames CurrentDriverNames();

// Program, driver and the settings as the panel shows them.
ViewRecord CurrentViewRecord();

// Draws a frame, reads it from the back buffer, shows it, and writes it as
// `pngPath` with its record beside it (JsonPathFor). Both files or neither:
// false with "<path>: <the system's reason>" when either cannot be written.
bool CaptureView(const char* pngPath, std::string* reason);

// Ctrl+S, in the render window or the panel.
bool IsSaveViewShortcut(const MSG& msg);

// Asks for a file name (default quorvane-YYYYMMDD-HHMMSS.png) and captures the
// view there; a failure is told in a message box.
void SaveViewWithDialog(HWND owner);
