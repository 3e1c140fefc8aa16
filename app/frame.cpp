#include "app/frame.h"

#include <string>

#include "app/product_name.h"
#include "app/program_keys.h"
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
    if (viewer.lastFrameSeconds >= slowFrameSeconds && viewer.mainWindow != nullptr) {
        // WM_PAINT comes when the queue is empty, and once for any number of asks.
        InvalidateRect(viewer.mainWindow, nullptr, FALSE);
        return;
    }
    PresentFrame();
}

void PresentFrame()
{
    // The battery redraws when it ends.
    if (viewer.measuring)
        return;
    // The title is the one thing a window that cannot answer still shows.
    const bool saySo = viewer.lastFrameSeconds > 1.0 && viewer.mainWindow != nullptr;
    if (saySo)
        SetWindowTextA(viewer.mainWindow, (std::string(productBanner) + " - drawing\x85").c_str());
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    DrawShownFrame();
    SwapBuffers(viewer.deviceContext);
    QueryPerformanceCounter(&end);
    viewer.lastFrameSeconds =
        static_cast<double>(end.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
    if (saySo)
        SetWindowTextA(viewer.mainWindow, productBanner);
}

bool IsErrorViewKey(const MSG& msg)
{
    return IsProgramKey(msg, 'M', false);
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
