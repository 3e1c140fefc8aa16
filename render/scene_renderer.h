// Fixed OpenGL state, the texture units and the drawing of one frame.
#pragma once

bool InitRenderer();
void BindTextureStages();
// Draws the current view into the back buffer without showing it.
void DrawScene();
// Draws and shows a frame: the view, or its level-of-detail error map while
// that is switched on.
void RenderScene();
