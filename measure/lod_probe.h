// The measured level of detail: the current view drawn once more, unseen,
// with a probe texture whose levels are flat colours in the test texture's
// place, and read back.
#pragma once

#include <windows.h>
#include <GL/gl.h>

#include <cstdint>
#include <vector>

#include "measure/error_image.h"
#include "measure/ideal_lod.h"
#include "measure/scene_model.h"

// Base size and full mip chain of a texture.
struct TextureShape {
    int width = 0;
    int height = 0;
    int levels = 0;
};

// The texture bound to the active unit: the test texture once the panel runs.
TextureShape BoundTextureShape();

// A texture of that shape with the probe colours; the binding is kept.
GLuint CreateProbeTexture(const TextureShape& shape);
void DeleteProbeTexture(GLuint probe);

// Draws `scene` with `probe` on the active unit in place of the bound test
// texture, with the test texture's filters and anisotropy, and reads the back
// buffer before any swap: viewWidth x viewHeight RGBA pixels, rows bottom
// first. Every state it changes is restored; nothing is shown.
void ProbeView(GLuint probe, const Scene& scene, std::vector<uint8_t>& rgba);

// The same in two halves, so that the CPU can work while the driver draws:
// BeginProbe draws and flushes, EndProbe reads and restores. No OpenGL call
// may come between them.
struct ProbePass {
    GLint testTexture = 0;
    GLfloat clearColor[4] = {0, 0, 0, 0};
    GLboolean dither = GL_TRUE;
    GLint packAlignment = 4;
    GLint readBuffer = GL_BACK;
};
ProbePass BeginProbe(GLuint probe, const Scene& scene);
ProbePass BeginProbe(GLuint probe, const std::vector<AffineRect>& rects);

// The rectangles drawn with `texture`, with its own filters, in the test
// texture's place, read back as ProbeView reads; every state restored.
void DrawRectsWithTexture(GLuint texture, const std::vector<AffineRect>& rects,
                          std::vector<uint8_t>& rgba);
void EndProbe(const ProbePass& pass, std::vector<uint8_t>& rgba);

// A scene on a texture of that shape.
SceneView ViewOf(const Scene& scene, const TextureShape& shape);
// The level rule as the driver has it now for the bound texture and active unit.
LodRule CurrentLodRule(const TextureShape& shape);
MipSelection CurrentMipSelection();
