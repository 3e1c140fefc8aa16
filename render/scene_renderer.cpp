#include "render/scene_renderer.h"

#include <cmath>
#include <cstdint>

#include "app/viewer_state.h"

#include <GL/glu.h>

#include "app/gl_constants.h"
#include "textures/checker_texture.h"

namespace {

const double tunnelTextureShift = -9.25;

// The same texture coordinate on every unit laid out.
void TexCoordAllUnits(double s, double t)
{
    for (int i = 0; i < viewer.laidOutUnits; ++i)
        viewer.pfnMultiTexCoord2d(GL_TEXTURE0 + i, s, t);
}

void DrawPlane(const Scene& scene)
{
    const double u = scene.texScaleU;
    const double v = scene.texScaleV;
    glTranslated(0.0, 0.0, scene.planeDistance * -0.1);
    glRotated(scene.planeAngle, -1.0, 0.0, 0.0);
    glBegin(GL_QUADS);
    TexCoordAllUnits(u, v);
    glVertex3d(planeHalfSide, planeHalfSide, 0.0);
    TexCoordAllUnits(u, -v);
    glVertex3d(planeHalfSide, -planeHalfSide, 0.0);
    TexCoordAllUnits(-u, -v);
    glVertex3d(-planeHalfSide, -planeHalfSide, 0.0);
    TexCoordAllUnits(-u, v);
    glVertex3d(-planeHalfSide, planeHalfSide, 0.0);
}

void DrawTunnel(const Scene& scene)
{
    glBegin(GL_QUAD_STRIP);
    const int faces = scene.tunnelFaces;
    // With no faces only the first pair is drawn, so the step is never used.
    const double step = faces > 0 ? 2.0 / static_cast<double>(faces) : 0.0;
    double d = 0.0;
    for (int pair = 0; pair <= faces; ++pair) {
        const double angle = d * singlePi;
        const double x = std::sin(angle);
        const double y = std::cos(angle);
        TexCoordAllUnits(scene.texScaleU, scene.texScaleV * d);
        glVertex3d(x, y, 0.0);
        TexCoordAllUnits(-scene.texScaleU, scene.texScaleV * d);
        glVertex3d(x, y, -tunnelLength);
        d += step;
    }
}

}  // namespace

bool InitRenderer()
{
    glClearColor(0.2f, 0.2f, 0.2f, 0.0f);
    glFrontFace(GL_CCW);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(viewFieldOfView, viewAspect, viewNear, viewFar);
    glViewport(0, 0, viewWidth, viewHeight);
    glGenTextures(3, viewer.textureNames);

    const uint32_t opaqueWhite = 0xFFFFFFFFu;
    glBindTexture(GL_TEXTURE_2D, viewer.textureNames[whiteTexture]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, 1, 1, 0, GL_RGBA, GL_UNSIGNED_INT_8_8_8_8,
                 &opaqueWhite);

    // Leaves the checkerboard bound, so its filters are set without rebinding.
    BuildCheckerTexture();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glEnable(GL_TEXTURE_2D);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    return true;
}

void BindTextureStages(int stage, GLuint testTexture)
{
    for (int i = 0; i < viewer.textureUnitCount; ++i) {
        viewer.pfnActiveTexture(GL_TEXTURE0 + i);
        glEnable(GL_TEXTURE_2D);
        glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, i == 0 ? GL_REPLACE : GL_MODULATE);
        glBindTexture(GL_TEXTURE_2D, viewer.textureNames[whiteTexture]);
    }
    viewer.laidOutUnits = viewer.textureUnitCount;
    viewer.pfnActiveTexture(GL_TEXTURE0 + stage);
    glBindTexture(GL_TEXTURE_2D, testTexture);
}

void BindTextureStages()
{
    BindTextureStages(viewer.textureStage,
                      viewer.textureNames[viewer.useBitmap ? bitmapTexture : checkerTexture]);
}

void DrawScene(const Scene& scene)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    // Acts on the active unit only, which carries the test texture.
    glMatrixMode(GL_TEXTURE);
    glLoadIdentity();
    glRotated(scene.textureRotation, 0.0, 0.0, 1.0);
    if (!scene.plane)
        glTranslated(tunnelTextureShift, 0.0, 0.0);

    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotated(scene.sceneRotation, 0.0, 0.0, 1.0);
    if (scene.plane)
        DrawPlane(scene);
    else
        DrawTunnel(scene);
    glEnd();
    glFlush();
}

void DrawAffineRects(const std::vector<AffineRect>& rects)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    const GLenum modes[] = {GL_TEXTURE, GL_PROJECTION, GL_MODELVIEW};
    for (GLenum mode : modes) {
        glMatrixMode(mode);
        glPushMatrix();
        glLoadIdentity();
    }
    glMatrixMode(GL_PROJECTION);
    glOrtho(0.0, viewWidth, 0.0, viewHeight, -1.0, 1.0);
    glBegin(GL_QUADS);
    for (const AffineRect& r : rects) {
        const int corners[4][2] = {{0, 0}, {r.width, 0}, {r.width, r.height}, {0, r.height}};
        for (const auto& corner : corners) {
            TexCoordAllUnits(r.s + r.dsdx * corner[0] + r.dsdy * corner[1],
                             r.t + r.dtdx * corner[0] + r.dtdy * corner[1]);
            glVertex2d(r.x + corner[0], r.y + corner[1]);
        }
    }
    glEnd();
    for (GLenum mode : modes) {
        glMatrixMode(mode);
        glPopMatrix();
    }
    glFlush();
}

std::vector<double> UnitLodBiases()
{
    std::vector<double> biases;
    if (!viewer.lodBiasSupported || viewer.laidOutUnits == 0)
        return biases;
    for (int i = 0; i < viewer.laidOutUnits; ++i) {
        viewer.pfnActiveTexture(GL_TEXTURE0 + i);
        GLfloat bias = 0.0f;
        glGetTexEnvfv(GL_TEXTURE_FILTER_CONTROL_EXT, GL_TEXTURE_LOD_BIAS_EXT, &bias);
        biases.push_back(std::round(bias * 10.0) / 10.0);
    }
    viewer.pfnActiveTexture(GL_TEXTURE0 + viewer.textureStage);
    return biases;
}

void SetUnitLodBiases(const std::vector<double>& biases)
{
    if (!viewer.lodBiasSupported || viewer.laidOutUnits == 0)
        return;
    for (int i = 0; i < viewer.laidOutUnits && i < static_cast<int>(biases.size()); ++i) {
        viewer.pfnActiveTexture(GL_TEXTURE0 + i);
        glTexEnvf(GL_TEXTURE_FILTER_CONTROL_EXT, GL_TEXTURE_LOD_BIAS_EXT,
                  static_cast<float>(biases[i]));
    }
    viewer.pfnActiveTexture(GL_TEXTURE0 + viewer.textureStage);
}
