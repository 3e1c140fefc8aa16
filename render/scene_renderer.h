// Fixed OpenGL state, the texture units and the drawing of one frame.
#pragma once

bool InitRenderer();
void BindTextureStages();
void RenderScene();
