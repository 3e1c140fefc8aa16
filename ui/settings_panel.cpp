#include "ui/settings_panel.h"

#include "render/scene_renderer.h"

INT_PTR CALLBACK SettingsDialogProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)panel;
    (void)wParam;
    (void)lParam;
    if (message == WM_INITDIALOG) {
        RenderScene();
        return TRUE;
    }
    return FALSE;
}
