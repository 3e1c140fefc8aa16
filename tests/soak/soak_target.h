// The program under soak, seen from the driving process: its windows, whether
// it answers and draws, the boxes it raises, its memory and handle counts.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct SoakTarget {
    PROCESS_INFORMATION process = {};
    HWND renderWindow = nullptr;
    HWND panel = nullptr;
};

// Starts the program and waits for its render window and settled panel.
// False with `error` set when it does not come up.
bool StartTarget(const std::string& exe, SoakTarget& target, std::string& error);

// Runs the program with the arguments (as typed after its name) to its end,
// as a replay does; false with `error` when it cannot start or does not end
// within the timeout (it is then ended by force).
bool RunTargetToEnd(const std::string& exe, const std::string& arguments, DWORD timeoutMs,
                    DWORD& exitCode, std::string& error);

// Closes the render window as a user does; true when the program then ends
// with exit code 0. Ends the process by force otherwise.
bool CloseTarget(SoakTarget& target, std::string& error);

bool TargetAlive(const SoakTarget& target);

// The program answers a message within the timeout, and a repaint of the
// render window is drawn (its update region validated) within it as well.
bool AnswersAndDraws(const SoakTarget& target, DWORD timeoutMs, std::string& error);

// Visible dialogs of the program other than its panel: message boxes and
// the open-file dialog.
struct TargetDialog {
    HWND window;
    bool messageBox;   // has the box's text static
    std::string text;  // a box's text, else the caption
};
std::vector<TargetDialog> TargetDialogs(const SoakTarget& target);

// Waits until a dialog of the program that is no message box comes up.
HWND WaitForFileDialog(const SoakTarget& target, DWORD timeoutMs);

// Waits for one message box, closes it with OK and returns its text; empty
// when none came within the timeout.
std::string WaitForMessageBox(const SoakTarget& target, DWORD timeoutMs);

// Types `path` into an open-file dialog and presses OK, or Cancel when empty.
void AnswerFileDialog(HWND dialog, const std::string& path);

std::string ControlText(HWND panel, int id);

// Waits until a control of the panel shows `wanted`.
bool WaitForControlText(HWND panel, int id, const std::string& wanted, DWORD timeoutMs);

struct MemorySample {
    double seconds;
    SIZE_T privateBytes;
    SIZE_T workingSet;
    DWORD handles;
};
bool SampleMemory(const SoakTarget& target, double seconds, MemorySample& sample);
