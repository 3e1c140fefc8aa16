// What the render window shows, decided, drawn and presented in one place:
// the current scene, or its level-of-detail error map while that is on. The
// panel, WM_PAINT, Ctrl+S and the command line all ask here.
#pragma once

#include <windows.h>

// Draws what the window shows into the back buffer, without showing it.
void DrawShownFrame();

// Asks for what the window shows to be drawn and presented: at once while
// frames are quick, so every change is seen; after a slow frame only once the
// queued messages are handled (WM_PAINT), so changes made meanwhile update the
// state and the latest state is drawn once.
void RenderScene();

// Draws what the window shows and presents it now, timing the frame. While
// the frame before took over a second the title says it is drawing.
void PresentFrame();

// M, without Ctrl or Alt, in the render window or the panel.
bool IsErrorViewKey(const MSG& msg);

// Switches between the picture and the error map, and redraws.
void ToggleErrorView();
