#include "app/frame.h"

#include "app/viewer_state.h"
#include "measure/error_view.h"
#include "render/scene_renderer.h"

void DrawShownFrame()
{
    if (viewer.errorView)
        DrawErrorView(viewer.scene);
    else
        DrawScene(viewer.scene);
}

void RenderScene()
{
    DrawShownFrame();
    SwapBuffers(viewer.deviceContext);
}

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
    if (viewer.laidOutUnits == 0)
        return;
    viewer.errorView = !viewer.errorView;
    if (!viewer.errorView)
        ReleaseErrorView();
    RenderScene();
}
