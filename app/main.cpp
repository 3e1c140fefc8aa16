// Start-up, the message loop and shut-down.
#include <windows.h>
#include <commctrl.h>

#include "app/render_window.h"
#include "app/viewer_state.h"
#include "ui/resource.h"
#include "ui/settings_panel.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine,
                   int showCommand)
{
    (void)previousInstance;
    (void)commandLine;
    if (!CreateRenderWindow())
        return 0;
    // The trackbar class must exist before the panel's template is read.
    InitCommonControls();
    viewer.settingsDialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_SETTINGS),
                                               viewer.mainWindow, SettingsDialogProc, 0);
    ShowWindow(viewer.settingsDialog, showCommand);
    UpdateWindow(viewer.settingsDialog);

    MSG msg = {};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (viewer.settingsDialog != nullptr && IsDialogMessageA(viewer.settingsDialog, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    // The window went with the user's close; this releases the rest.
    DestroyRenderWindow();
    return static_cast<int>(msg.wParam);
}
