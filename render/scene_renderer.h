// Fixed OpenGL state, the texture units and the drawing of one frame.
#pragma once

bool InitRenderer();
void BindTextureStages();
// Draws the frame into the back buffer without showing it.
void DrawScene();
// Draws the frame and shows it.
void RenderScene();
