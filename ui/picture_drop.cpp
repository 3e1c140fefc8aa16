#include "ui/picture_drop.h"

#include <string>

#include "app/path_capacity.h"
#include "app/user_report.h"
#include "app/viewer_state.h"
#include "textures/dib_reader.h"
#include "ui/settings_panel.h"

void AcceptDroppedPictures()
{
    DragAcceptFiles(viewer.mainWindow, TRUE);
    DragAcceptFiles(viewer.settingsDialog, TRUE);
}

void LoadDroppedPicture(HDROP drop)
{
    const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
    char path[pathCapacity] = {};
    const UINT length = count > 0 ? DragQueryFileA(drop, 0, nullptr, 0) : 0;
    const bool fits = length > 0 && length < static_cast<UINT>(pathCapacity) &&
                      DragQueryFileA(drop, 0, path, pathCapacity) == length;
    DragFinish(drop);
    if (count == 0 || viewer.settingsDialog == nullptr)
        return;
    if (!fits) {
        // The Browse button and the rebuilds hold at most this much.
        RecordImageError("The dropped file's path is too long for a picture's path.");
        TellPictureFailure();
        return;
    }
    if (LoadBitmapAsBrowsed(viewer.settingsDialog, path) && count > 1) {
        UserReport report;
        report.text = std::to_string(count) + " files were dropped; only the first is shown:\n" + path;
        report.owner = GetFocus();
        report.caption = "Quorvane";
        report.style = MB_OK | MB_ICONINFORMATION;
        TellUser(report);
    }
}
