#include "app/window_measure.h"

#include <commdlg.h>

#include <string>

#include "app/file_dialog.h"
#include "app/frame.h"
#include "app/product_name.h"
#include "app/program_keys.h"
#include "app/user_report.h"
#include "app/viewer_state.h"
#include "measure/measure_report.h"

namespace {

// What the messages answered between the steps asked for.
struct Interruption {
    bool stop = false;
    bool close = false;  // the render window's close, done after the battery
    bool quit = false;
    WPARAM quitCode = 0;
};

bool IsUserInput(UINT message)
{
    return (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) ||
           (message >= WM_NCMOUSEMOVE && message <= WM_NCXBUTTONDBLCLK) ||
           message == WM_DROPFILES;
}

// False once Escape, a close or a quit has come.
bool AnswerMessages(Interruption& asked)
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            asked.stop = asked.quit = true;
            asked.quitCode = msg.wParam;
        } else if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            asked.stop = true;
        } else if (msg.message == WM_CLOSE && msg.hwnd == viewer.mainWindow) {
            // The context's window must outlive the battery.
            asked.stop = asked.close = true;
        } else if (!IsUserInput(msg.message)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
    return !asked.stop;
}

bool ShowStep(int step, int count, Interruption& asked)
{
    if (!AnswerMessages(asked))
        return false;
    const std::string title = "Measuring " + std::to_string(step) + " of " +
                              std::to_string(count);
    SetWindowTextA(viewer.mainWindow, title.c_str());
    return true;
}

// A chosen folder the report cannot go to, or a file that failed.
void TellFailure(HWND owner, const std::string& reason)
{
    UserReport report;
    report.text = "The report could not be written.\n" + reason;
    report.owner = owner;
    report.caption = "Error";
    report.style = MB_OK | MB_ICONERROR;
    report.line = UserReport::NoLine;
    TellUser(report);
}

}  // namespace

bool IsMeasureKey(const MSG& msg)
{
    return IsProgramKey(msg, VK_F5, false);
}

void MeasureWithDialog(HWND owner)
{
    // Before the panel has laid out the units there is no test texture to measure.
    if (viewer.laidOutUnits == 0)
        return;
    char path[pathCapacity] = "report.json";
    OPENFILENAMEA dialog =
        FileDialog(owner, "Measuring report\0report.json\0\0", path,
                   OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY);
    dialog.lpstrDefExt = "json";
    dialog.lpstrTitle = "Measure the driver: the report's folder";
    if (!GetSaveFileNameA(&dialog))
        return;
    const std::string folder(path, dialog.nFileOffset);
    std::string reason;
    if (!PrepareReportFolder(folder, &reason)) {
        TellFailure(owner, folder + ": " + reason);
        return;
    }
    Interruption asked;
    MeasureResults results;
    viewer.measuring = true;
    RunMeasureBattery(results, [&asked](int step, int count, const char*) {
        return ShowStep(step, count, asked);
    });
    viewer.measuring = false;
    SetWindowTextA(viewer.mainWindow, productBanner);
    if (!results.stopped && !WriteMeasureResults(folder, results, &reason))
        TellFailure(owner, reason);
    // The paints that came meanwhile were put off.
    RenderScene();
    if (asked.close)
        PostMessageA(viewer.mainWindow, WM_CLOSE, 0, 0);
    if (asked.quit)
        PostQuitMessage(static_cast<int>(asked.quitCode));
}
