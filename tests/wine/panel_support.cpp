#include "wine/panel_support.h"

#include <gtest/gtest.h>

#include "app/viewer_state.h"
#include "render/gl_constants.h"
#include "ui/resource.h"
#include "ui/settings_panel.h"
#include "wine/support.h"

HWND testPanel = nullptr;

namespace {

MultiTexCoord2dProc realMultiTexCoord2d = nullptr;
long texCoordCalls = 0;

void APIENTRY CountingMultiTexCoord2d(GLenum unit, GLdouble s, GLdouble t)
{
    ++texCoordCalls;
    realMultiTexCoord2d(unit, s, t);
}

}  // namespace

void OpenPanel()
{
    ASSERT_NO_FATAL_FAILURE(OpenRenderWindow());
    realMultiTexCoord2d = viewer.pfnMultiTexCoord2d;
    viewer.pfnMultiTexCoord2d = CountingMultiTexCoord2d;
    testPanel = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS),
                                   viewer.mainWindow, SettingsDialogProc, 0);
    ASSERT_NE(nullptr, testPanel);
    viewer.settingsDialog = testPanel;
    ShowWindow(testPanel, SW_SHOWNORMAL);
    UpdateWindow(testPanel);
    PumpPanelMessages();
    TakeFrameCount();
}

void ClosePanel()
{
    if (testPanel != nullptr)
        DestroyWindow(testPanel);
    testPanel = nullptr;
    CloseRenderWindow();
}

void PumpPanelMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            continue;
        if (testPanel != nullptr && IsDialogMessageA(testPanel, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

int TakeFrameCount()
{
    // Every frame of a tunnel with f faces sends (2f + 2) coordinates per unit.
    const long perFrame = viewer.scenePlane ? 4L * viewer.textureUnitCount
                                            : (2L * viewer.tunnelFaces + 2) * viewer.textureUnitCount;
    const int frames = perFrame > 0 ? static_cast<int>(texCoordCalls / perFrame) : 0;
    texCoordCalls = 0;
    return frames;
}

std::string ItemText(int id)
{
    char text[512] = {};
    GetDlgItemTextA(testPanel, id, text, sizeof(text));
    return text;
}

bool IsChecked(int id)
{
    return SendDlgItemMessageA(testPanel, id, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

HWND Item(int id)
{
    return GetDlgItem(testPanel, id);
}
