// Start-up, the message loop and shut-down.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/frame.h"
#include "app/render_window.h"
#include "app/viewer_state.h"
#include "capture/command_line.h"
#include "capture/record_replay.h"
#include "app/command_line_run.h"
#include "app/standard_streams.h"
#include "app/window_measure.h"
#include "compare/compare_line.h"
#include "compare/compare_run.h"
#include "compare/file_input.h"
#include "measure/expectations.h"
#include "capture/view_capture.h"
#include "ui/resource.h"
#include "ui/picture_drop.h"
#include "ui/settings_panel.h"

namespace {

// Posted to the thread once the panel exists: it arrives after the panel's
// own settling message, so the options apply to the settled panel.
const UINT runCommandLineMessage = WM_APP + 2;

std::vector<std::string> ProgramArguments()
{
    std::vector<std::string> arguments;
    for (int i = 1; i < __argc; ++i)
        arguments.push_back(__argv[i]);
    return arguments;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine,
                   int showCommand)
{
    (void)previousInstance;
    (void)commandLine;
    const std::vector<std::string> arguments = ProgramArguments();
    CaptureOptions options;
    std::string error;
    // A comparison needs no window and no driver: it runs here and ends.
    if (IsCompareLine(arguments)) {
        viewer.batchRun = true;
        CompareRequest request;
        if (!ParseCompareLine(arguments, &request, &error)) {
            ReportCommandLineError(error);
            return 2;
        }
        return RunCompare(request);
    }
    if (!ParseCommandLine(arguments, &options, &error)) {
        viewer.batchRun =
            std::find(arguments.begin(), arguments.end(), "--screenshot") != arguments.end() ||
            std::find(arguments.begin(), arguments.end(), "--measure") != arguments.end();
        ReportCommandLineError(error);
        return 2;
    }
    if (options.help) {
        WriteStandardStream(false, UsageText());
        return 0;
    }
    // A screenshot or measuring run tells failures on standard error, not in a box.
    viewer.batchRun = options.screenshot || options.measure;
    // A record's settings apply as options given before the line's own.
    if (options.replay) {
        std::string text;
        std::vector<std::string> recordArguments;
        CaptureOptions fromRecord;
        if (!ReadFileWhole(*options.replay, &text, &error) ||
            !RecordArguments(text, &recordArguments, &error) ||
            !ParseCommandLine(recordArguments, &fromRecord, &error)) {
            ReportCommandLineError(*options.replay + ": " + error);
            return 2;
        }
        options = MergeOptions(fromRecord, options);
        error = CheckCombination(options);
        if (!error.empty()) {
            ReportCommandLineError(error);
            return 2;
        }
    }
    // The expectations are read before anything is measured: a bad file
    // ends the run at once.
    std::vector<Expectation> expectations;
    if (options.expect) {
        std::string text;
        if (!ReadFileWhole(*options.expect, &text, &error) ||
            !ReadExpectations(text, &expectations, &error)) {
            ReportCommandLineError(*options.expect + ": " + error);
            return 2;
        }
    }

    // A batch run that could not start is a failure, told on standard error.
    if (!CreateRenderWindow())
        return viewer.batchRun ? 1 : 0;
    // The trackbar class must exist before the panel's template is read.
    InitCommonControls();
    viewer.settingsDialog = CreateDialogParamA(instance, MAKEINTRESOURCEA(IDD_SETTINGS),
                                               viewer.mainWindow, SettingsDialogProc, 0);
    ShowWindow(viewer.settingsDialog, showCommand);
    UpdateWindow(viewer.settingsDialog);
    AcceptDroppedPictures();
    if (!arguments.empty())
        PostThreadMessageA(GetCurrentThreadId(), runCommandLineMessage, 0, 0);

    int exitCode = -1;
    MSG msg = {};
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (msg.hwnd == nullptr && msg.message == runCommandLineMessage) {
            exitCode = RunCommandLine(viewer.settingsDialog, options, expectations);
            continue;
        }
        // Before the panel's keyboard handling, which would take the key.
        if (IsSaveViewShortcut(msg)) {
            SaveViewWithDialog(GetAncestor(msg.hwnd, GA_ROOT));
            continue;
        }
        if (IsErrorViewKey(msg)) {
            ToggleErrorView();
            continue;
        }
        if (IsMeasureKey(msg)) {
            MeasureWithDialog(GetAncestor(msg.hwnd, GA_ROOT));
            continue;
        }
        if (viewer.settingsDialog != nullptr && IsDialogMessageA(viewer.settingsDialog, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    // The window went with the user's close; this releases the rest.
    DestroyRenderWindow();
    return exitCode >= 0 ? exitCode : static_cast<int>(msg.wParam);
}
