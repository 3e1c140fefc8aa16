#include "measure/lod_probe.h"

#include <algorithm>

#include "app/viewer_state.h"
#include "measure/probe_colors.h"
#include "textures/power_of_two.h"
#include "app/gl_constants.h"
#include "render/scene_renderer.h"

namespace {

GLint BoundTexture()
{
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return name;
}

}  // namespace

TextureShape BoundTextureShape()
{
    TextureShape shape;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &shape.width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &shape.height);
    shape.levels = shape.width > 0 && shape.height > 0 ? FullChainLevels(shape.width, shape.height) : 0;
    return shape;
}

GLuint CreateProbeTexture(const TextureShape& shape)
{
    const GLint previous = BoundTexture();
    GLuint probe = 0;
    glGenTextures(1, &probe);
    glBindTexture(GL_TEXTURE_2D, probe);
    // One block, sized for the base level, serves every level.
    std::vector<ProbeColor> block(static_cast<size_t>(shape.width) * shape.height);
    int width = shape.width, height = shape.height;
    for (int level = 0; level < shape.levels; ++level) {
        std::fill(block.begin(), block.begin() + static_cast<size_t>(width) * height,
                  ProbeLevelColor(level, shape.levels));
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                     block.data());
        width = std::max(1, width / 2);
        height = std::max(1, height / 2);
    }
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
    return probe;
}

void DeleteProbeTexture(GLuint probe)
{
    glDeleteTextures(1, &probe);
}

namespace {

// Puts the probe in the bound test texture's place, sampling as it does
// unless it keeps its own filters.
ProbePass SwapInProbe(GLuint probe, bool ownFilters = false)
{
    // What this changes, to be put back.
    ProbePass pass;
    pass.testTexture = BoundTexture();
    glGetFloatv(GL_COLOR_CLEAR_VALUE, pass.clearColor);
    pass.dither = glIsEnabled(GL_DITHER);
    glGetIntegerv(GL_PACK_ALIGNMENT, &pass.packAlignment);
    glGetIntegerv(GL_READ_BUFFER, &pass.readBuffer);

    // The probe samples as the test texture does.
    GLint minFilter = GL_LINEAR_MIPMAP_LINEAR, magFilter = GL_LINEAR;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
    GLfloat anisotropy = 1.0f;
    if (viewer.anisoSupported)
        glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &anisotropy);
    glBindTexture(GL_TEXTURE_2D, probe);
    if (!ownFilters) {
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, minFilter);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, magFilter);
        if (viewer.anisoSupported)
            glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, anisotropy);
    }

    // Uncovered pixels read as 0; no dither may touch the level colours.
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glDisable(GL_DITHER);
    return pass;
}

}  // namespace

ProbePass BeginProbe(GLuint probe, const Scene& scene)
{
    const ProbePass pass = SwapInProbe(probe);
    DrawScene(scene);
    return pass;
}

ProbePass BeginProbe(GLuint probe, const std::vector<AffineRect>& rects)
{
    const ProbePass pass = SwapInProbe(probe);
    DrawAffineRects(rects);
    return pass;
}

void DrawRectsWithTexture(GLuint texture, const std::vector<AffineRect>& rects,
                          std::vector<uint8_t>& rgba)
{
    const ProbePass pass = SwapInProbe(texture, true);
    DrawAffineRects(rects);
    EndProbe(pass, rgba);
}

void EndProbe(const ProbePass& pass, std::vector<uint8_t>& rgba)
{
    rgba.resize(static_cast<size_t>(viewWidth) * viewHeight * 4);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, viewWidth, viewHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());

    glPixelStorei(GL_PACK_ALIGNMENT, pass.packAlignment);
    glReadBuffer(static_cast<GLenum>(pass.readBuffer));
    if (pass.dither)
        glEnable(GL_DITHER);
    glClearColor(pass.clearColor[0], pass.clearColor[1], pass.clearColor[2], pass.clearColor[3]);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(pass.testTexture));
}

void ProbeView(GLuint probe, const Scene& scene, std::vector<uint8_t>& rgba)
{
    EndProbe(BeginProbe(probe, scene), rgba);
}

SceneView ViewOf(const Scene& scene, const TextureShape& shape)
{
    SceneView view;
    view.scene = scene;
    view.textureWidth = shape.width;
    view.textureHeight = shape.height;
    return view;
}

LodRule CurrentLodRule(const TextureShape& shape)
{
    // From the driver, not the panel: the unit keeps the bias last set on it.
    LodRule rule;
    rule.lastLevel = std::max(0, shape.levels - 1);
    if (viewer.anisoSupported) {
        GLfloat anisotropy = 1.0f;
        glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &anisotropy);
        rule.maxAnisotropy = anisotropy;
    }
    if (viewer.lodBiasSupported) {
        GLfloat bias = 0.0f;
        glGetTexEnvfv(GL_TEXTURE_FILTER_CONTROL_EXT, GL_TEXTURE_LOD_BIAS_EXT, &bias);
        rule.bias = bias;
        rule.biasLimit = static_cast<float>(viewer.lodBiasLimit);
    }
    return rule;
}

MipSelection CurrentMipSelection()
{
    GLint minFilter = GL_LINEAR_MIPMAP_LINEAR;
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    switch (minFilter) {
    case GL_NEAREST:
    case GL_LINEAR:
        return BaseLevelOnly;
    case GL_NEAREST_MIPMAP_NEAREST:
    case GL_LINEAR_MIPMAP_NEAREST:
        return NearestLevel;
    default:
        return BlendedLevels;
    }
}
