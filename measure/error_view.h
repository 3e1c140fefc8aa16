// The live error view: the render window shows, in place of the picture, the
// map of the measured level of detail against the OpenGL rule for the
// current view, redrawn on every change while it is on.
#pragma once

#include <windows.h>

// M, without Ctrl or Alt, in the render window or the panel.
bool IsErrorViewKey(const MSG& msg);

// Switches between the picture and the error map, and redraws.
void ToggleErrorView();

// Deletes the view's textures (the view stays as it is).
void ReleaseErrorView();

// Draws and shows the error map of the current view (RenderScene's path
// while the view is on).
void RenderErrorView();

// Draws the error map into the back buffer without showing it.
void DrawErrorView();
