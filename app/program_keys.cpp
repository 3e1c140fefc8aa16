#include "app/program_keys.h"

#include "app/viewer_state.h"

bool IsProgramKey(const MSG& msg, WPARAM key, bool withControl)
{
    if (msg.message != WM_KEYDOWN || msg.wParam != key ||
        (GetKeyState(VK_CONTROL) < 0) != withControl || GetKeyState(VK_MENU) < 0)
        return false;
    return msg.hwnd != nullptr &&
           (msg.hwnd == viewer.mainWindow || msg.hwnd == viewer.settingsDialog ||
            (viewer.settingsDialog != nullptr && IsChild(viewer.settingsDialog, msg.hwnd)));
}
