#include "measure/error_view.h"

#include <windows.h>
#include <GL/gl.h>

#include <vector>

#include "app/viewer_state.h"
#include "measure/error_image.h"
#include "measure/lod_figures.h"
#include "measure/lod_probe.h"
#include "render/gl_constants.h"
#include "render/scene_renderer.h"

namespace {

// The probe lives while the view is on, so a change costs no upload; it is
// made again when the test texture's shape changes.
GLuint viewProbe = 0;
TextureShape viewProbeShape;

// Puts a bottom-first RGB picture over the whole back buffer: texturing off
// on every unit and unit matrices for the raster position, all restored.
void DrawPicture(const std::vector<uint8_t>& rgb)
{
    for (int i = 0; i < viewer.textureUnitCount; ++i) {
        viewer.pfnActiveTexture(GL_TEXTURE0 + i);
        glDisable(GL_TEXTURE_2D);
    }
    GLint unpackAlignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpackAlignment);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glRasterPos2i(-1, -1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glDrawPixels(viewWidth, viewHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glPixelStorei(GL_UNPACK_ALIGNMENT, unpackAlignment);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopMatrix();
    for (int i = 0; i < viewer.textureUnitCount; ++i) {
        viewer.pfnActiveTexture(GL_TEXTURE0 + i);
        glEnable(GL_TEXTURE_2D);
    }
    viewer.pfnActiveTexture(GL_TEXTURE0 + viewer.textureStage);
}

}  // namespace

bool IsErrorViewKey(const MSG& msg)
{
    if (msg.message != WM_KEYDOWN || msg.wParam != 'M' || GetKeyState(VK_CONTROL) < 0 ||
        GetKeyState(VK_MENU) < 0)
        return false;
    return msg.hwnd != nullptr &&
           (msg.hwnd == viewer.mainWindow || msg.hwnd == viewer.settingsDialog ||
            (viewer.settingsDialog != nullptr && IsChild(viewer.settingsDialog, msg.hwnd)));
}

void ToggleErrorView()
{
    // Before the panel has laid out the units there is no test texture to measure.
    if (viewer.textureUnitCount == 0)
        return;
    viewer.errorView = !viewer.errorView;
    if (!viewer.errorView)
        ReleaseErrorView();
    RenderScene();
}

void ReleaseErrorView()
{
    if (viewProbe != 0)
        DeleteProbeTexture(viewProbe);
    viewProbe = 0;
    viewProbeShape = TextureShape{};
}

void RenderErrorView()
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
    const ProbePass pass = BeginProbe(viewProbe);
    IdealLodMap ideal;
    ComputeIdealLodMap(BuildSceneModel(CurrentSceneView(shape)), rule, false, ideal);
    std::vector<uint8_t> rgba;
    EndProbe(pass, rgba);

    MeasuredLodMap measured;
    DecodeProbeFrame(rgba.data(), shape.levels, measured);
    DrawPicture(ErrorImage(measured, ideal, selection, rule.lastLevel));
    glFlush();
    SwapBuffers(viewer.deviceContext);
}
