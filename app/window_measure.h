// F5: the measuring battery run from the window into a folder the user
// chooses, its step in the render window's title, Escape to stop it.
#pragma once

#include <windows.h>

// F5, without Ctrl or Alt, in the render window or the panel.
bool IsMeasureKey(const MSG& msg);

// Asks where the report goes with the save dialog, report.json proposed: the
// chosen file's folder takes report.json and report.png. Then runs the
// battery, answering the queued messages between its steps: Escape stops it
// and nothing is written; other keys, the mouse and dropped files are dropped
// so that no setting changes under it; frames wait for its end.
void MeasureWithDialog(HWND owner);
