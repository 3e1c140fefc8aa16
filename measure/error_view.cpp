#include "measure/error_view.h"

#include <windows.h>
#include <GL/gl.h>

#include <vector>

#include "app/viewer_state.h"
#include "measure/error_image.h"
#include "measure/lod_figures.h"
#include "measure/lod_probe.h"
#include "app/gl_constants.h"

namespace {

// The probe lives while the view is on, so a change costs no upload; it is
// made again when the test texture's shape changes. So does the texture that
// carries the map to the screen: glDrawPixels costs a frame on llvmpipe, a
// textured quad a fraction of one.
GLuint viewProbe = 0;
TextureShape viewProbeShape;
GLuint viewPicture = 0;
// Power-of-two sides, for drivers without other sizes.
const int pictureSide = 1024;

GLuint MakePictureTexture()
{
    GLuint name = 0;
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB8, pictureSide, pictureSide, 0, GL_RGB, GL_UNSIGNED_BYTE,
                 nullptr);
    return name;
}

// Puts a bottom-first RGB picture over the whole back buffer, texel for
// pixel, through unit 0 alone with unit matrices; all of it restored.
void DrawPicture(const std::vector<uint8_t>& rgb)
{
    for (int i = viewer.textureUnitCount - 1; i >= 0; --i) {
        viewer.pfnActiveTexture(GL_TEXTURE0 + i);
        glDisable(GL_TEXTURE_2D);
    }
    // Unit 0 is active and in GL_REPLACE mode.
    GLint unitTexture = 0, unpackAlignment = 4;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &unitTexture);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpackAlignment);
    if (viewPicture == 0)
        viewPicture = MakePictureTexture();
    glBindTexture(GL_TEXTURE_2D, viewPicture);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, viewWidth, viewHeight, GL_RGB, GL_UNSIGNED_BYTE,
                    rgb.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment);
    glEnable(GL_TEXTURE_2D);

    const GLenum modes[] = {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW};
    for (GLenum mode : modes) {
        glMatrixMode(mode);
        glPushMatrix();
        glLoadIdentity();
    }
    const double s = static_cast<double>(viewWidth) / pictureSide;
    const double t = static_cast<double>(viewHeight) / pictureSide;
    glBegin(GL_QUADS);
    glTexCoord2d(0.0, 0.0);
    glVertex2d(-1.0, -1.0);
    glTexCoord2d(s, 0.0);
    glVertex2d(1.0, -1.0);
    glTexCoord2d(s, t);
    glVertex2d(1.0, 1.0);
    glTexCoord2d(0.0, t);
    glVertex2d(-1.0, 1.0);
    glEnd();
    for (GLenum mode : modes) {
        glMatrixMode(mode);
        glPopMatrix();
    }

    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(unitTexture));
    for (int i = 0; i < viewer.textureUnitCount; ++i) {
        viewer.pfnActiveTexture(GL_TEXTURE0 + i);
        glEnable(GL_TEXTURE_2D);
    }
    viewer.pfnActiveTexture(GL_TEXTURE0 + viewer.textureStage);
}

}  // namespace

void ReleaseErrorView()
{
    if (viewProbe != 0)
        DeleteProbeTexture(viewProbe);
    if (viewPicture != 0)
        glDeleteTextures(1, &viewPicture);
    viewProbe = 0;
    viewPicture = 0;
    viewProbeShape = TextureShape{};
}

void DrawErrorView(const Scene& scene)
{
    const TextureShape shape = BoundTextureShape();
    if (viewProbe == 0 || shape.width != viewProbeShape.width ||
        shape.height != viewProbeShape.height) {
        ReleaseErrorView();
        viewProbe = CreateProbeTexture(shape);
        viewProbeShape = shape;
    }
    const LodRule rule = CurrentLodRule(shape);
    const MipSelection selection = CurrentMipSelection();
    // The ideal is worked out while the driver draws the probe.
    const ProbePass pass = BeginProbe(viewProbe, scene);
    IdealLodMap ideal;
    ComputeIdealLodMap(BuildSceneModel(ViewOf(scene, shape)), rule, false, ideal);
    std::vector<uint8_t> rgba;
    EndProbe(pass, rgba);

    MeasuredLodMap measured;
    DecodeProbeFrame(rgba.data(), shape.levels, measured);
    DrawPicture(ErrorImage(measured, ideal, selection, rule.lastLevel));
    glFlush();
}
