#include "wine/panel_support.h"

#include <gtest/gtest.h>

#include "app/viewer_state.h"
#include "app/gl_constants.h"
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
    PumpMessages();
    TakeFrameCount();
}

void ClosePanel()
{
    if (testPanel != nullptr)
        DestroyWindow(testPanel);
    testPanel = nullptr;
    viewer.settingsDialog = nullptr;
    CloseRenderWindow();
}

int TakeFrameCount()
{
    // Every frame of a tunnel with f faces sends (2f + 2) coordinates per unit.
    const long perFrame = viewer.scene.plane ? 4L * viewer.textureUnitCount
                                            : (2L * viewer.scene.tunnelFaces + 2) * viewer.textureUnitCount;
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

void Click(int id)
{
    SendMessageA(Item(id), BM_CLICK, 0, 0);
    PumpMessages();
}

void SelectFilter(int listId, int index)
{
    SendMessageA(Item(listId), CB_SETCURSEL, index, 0);
    SendMessageA(testPanel, WM_COMMAND, MAKEWPARAM(listId, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(Item(listId)));
    PumpMessages();
}

GLint BoundTextureParameter(GLenum name)
{
    GLint value = 0;
    glGetTexParameteriv(GL_TEXTURE_2D, name, &value);
    return value;
}

GLuint BoundTexture()
{
    GLint name = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &name);
    return static_cast<GLuint>(name);
}

namespace {

FileDialogAnswerer* activeAnswerer = nullptr;
HWND pendingFileDialog = nullptr;

// Runs inside the file dialog's own modal loop.
void CALLBACK AnswerFileDialog(HWND, UINT, UINT_PTR timer, DWORD)
{
    KillTimer(nullptr, timer);
    HWND dialog = pendingFileDialog;
    pendingFileDialog = nullptr;
    if (dialog == nullptr || activeAnswerer == nullptr)
        return;
    if (activeAnswerer->path.empty()) {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    // The file-name box is a combo box (cmb13) in the explorer-style dialog
    // and an edit control (edt1) in the old one.
    HWND nameBox = GetDlgItem(dialog, 0x47C);
    if (nameBox == nullptr)
        nameBox = GetDlgItem(dialog, 0x480);
    SetWindowTextA(nameBox, activeAnswerer->path.c_str());
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

LRESULT CALLBACK WatchFileDialogs(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && activeAnswerer != nullptr) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char className[64] = {};
        GetClassNameA(window, className, sizeof(className));
        // Message boxes (text static 0xFFFF) are left to the box catcher.
        if (std::string(className) == "#32770" && GetDlgItem(window, 0xFFFF) == nullptr &&
            window != testPanel && GetWindow(window, GW_OWNER) != nullptr) {
            ++activeAnswerer->dialogsSeen;
            activeAnswerer->owner = GetWindow(window, GW_OWNER);
            pendingFileDialog = window;
            SetTimer(nullptr, 0, 200, AnswerFileDialog);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

FileDialogAnswerer::FileDialogAnswerer(const std::string& answer) : path(answer)
{
    activeAnswerer = this;
    hook = SetWindowsHookExA(WH_CBT, WatchFileDialogs, nullptr, GetCurrentThreadId());
}

FileDialogAnswerer::~FileDialogAnswerer()
{
    UnhookWindowsHookEx(hook);
    activeAnswerer = nullptr;
}
