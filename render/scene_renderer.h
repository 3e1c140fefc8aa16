// Fixed OpenGL state, the texture units and the drawing of one scene into the
// back buffer. Knows nothing of what the window shows or why it draws.
#pragma once

#include <windows.h>
#include <GL/gl.h>

#include <vector>

#include "render/scene.h"

bool InitRenderer();
// The test texture on unit `stage`, the white texture on every other unit;
// leaves `stage` active.
void BindTextureStages(int stage, GLuint testTexture);
// The same for the viewer's stage and test texture.
void BindTextureStages();
// Draws `scene` with the bound textures into the back buffer, without showing it.
void DrawScene(const Scene& scene);

// Draws the rectangles, flat on the window, with the bound textures into the
// back buffer; the matrices are put back as they were.
void DrawAffineRects(const std::vector<AffineRect>& rects);
