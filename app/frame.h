// What the render window shows, decided, drawn and presented in one place:
// the current scene, or its level-of-detail error map while that is on. The
// panel, WM_PAINT, Ctrl+S and the command line all ask here.
#pragma once

#include <windows.h>

// Draws what the window shows into the back buffer, without showing it.
void DrawShownFrame();

// Draws what the window shows and presents it.
void RenderScene();

// M, without Ctrl or Alt, in the render window or the panel.
bool IsErrorViewKey(const MSG& msg);

// Switches between the picture and the error map, and redraws.
void ToggleErrorView();
