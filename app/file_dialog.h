// The platform's file dialogs, filled the one way both of ours use them.
#pragma once

#include <windows.h>
#include <commdlg.h>

#include "app/path_capacity.h"

// A dialog over `owner` for `path` (pathCapacity bytes), with the first entry
// of `filter` chosen. The structure's own size: 76 bytes would be the 32-bit
// layout, which a 64-bit build's dialog refuses.
inline OPENFILENAMEA FileDialog(HWND owner, const char* filter, char* path, DWORD flags)
{
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = path;
    dialog.nMaxFile = pathCapacity;
    dialog.Flags = flags;
    return dialog;
}
