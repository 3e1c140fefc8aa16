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
// The LOD bias each texture unit keeps, to a tenth as the slider sets it;
// empty without GL_EXT_texture_lod_bias or before the units are laid out.
// Both leave the viewer's stage the active unit.
std::vector<double> UnitLodBiases();
// One bias per unit, from unit 0; units beyond the list are left alone.
void SetUnitLodBiases(const std::vector<double>& biases);
// Draws `scene` with the bound textures into the back buffer, without showing it.
void DrawScene(const Scene& scene);

// Draws the rectangles, flat on the window, with the bound textures into the
// back buffer; the matrices are put back as they were.
void DrawAffineRects(const std::vector<AffineRect>& rects);
