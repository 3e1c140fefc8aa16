#include "measure/natural_probe.h"

#include <windows.h>
#include <GL/gl.h>

#include <vector>

#include "app/gl_constants.h"

namespace {

GLint BoundTexture()
{
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return name;
}

// Only levels first .. last may be sampled (OpenGL 1.2's base and max level).
void LimitLevels(GLuint texture, int first, int last)
{
    const GLint previous = BoundTexture();
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_BASE_LEVEL, first);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_LEVEL, last);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));
}

}  // namespace

NaturalAgreement MeasureNaturalAgreement(const TextureShape& shape, const Scene& tunnel,
                                         const MeasuredLodMap& probe)
{
    // The chain is square: the checkerboard's, which the battery measures.
    if (shape.width != shape.height || shape.levels < 2)
        return {};
    const GLint previous = BoundTexture();
    GLuint natural = 0;
    glGenTextures(1, &natural);
    glBindTexture(GL_TEXTURE_2D, natural);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    const std::vector<std::vector<uint8_t>> levels = NaturalLevels(shape.width);
    for (size_t level = 0; level < levels.size(); ++level) {
        const GLsizei side = shape.width >> level;
        glTexImage2D(GL_TEXTURE_2D, static_cast<GLint>(level), GL_RGBA8, side, side, 0, GL_RGBA,
                     GL_UNSIGNED_BYTE, levels[level].data());
    }
    glPopClientAttrib();
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(previous));

    std::vector<uint8_t> asIs;
    EndProbe(BeginProbe(natural, tunnel), asIs);
    std::vector<std::vector<uint8_t>> single(static_cast<size_t>(shape.levels));
    for (int k = 0; k < shape.levels; ++k) {
        LimitLevels(natural, k, k);
        EndProbe(BeginProbe(natural, tunnel), single[k]);
    }
    glDeleteTextures(1, &natural);
    return SolveNaturalBlend(asIs, single, probe, shape.levels - 1);
}
