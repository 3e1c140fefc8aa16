// The real program, started from this process and driven by window messages.
#pragma once

#include <windows.h>

#include <string>

#include "common/key_input.h"

// Waits for a top-level window of the given class and caption.
HWND WaitForWindow(const char* className, const char* caption, DWORD timeoutMs);

std::string WindowText(HWND window);

// Waits until a control of the panel shows the wanted text. The control is
// looked up each time: the panel is found by caption while it may still be
// making its controls.
bool WaitForText(HWND panel, int id, const std::string& wanted, DWORD timeoutMs);

// The settled start-up state: the three sliders' first values have arrived.
bool WaitForSettledPanel(HWND panel);

// The program under test; closed when the test ends, however it ends.
struct RunningProgram {
    PROCESS_INFORMATION process = {};
    HWND renderWindow = nullptr;
    HWND panel = nullptr;
    ~RunningProgram();
};

// Starts quorvane.exe with the arguments (one string, as typed after the
// name) and waits for its two windows; asserts success.
void StartProgram(RunningProgram& program, const std::string& arguments = "");

// Closes the render window as a user does and returns the exit code.
DWORD CloseProgram(RunningProgram& program);


// Answers the program's save dialog over `owner` with the path: returns the
// name it proposed ("" when no dialog came).
std::string AnswerSaveDialog(HWND owner, const std::string& path);

// A run of quorvane.exe to its end, with what it wrote to its standard
// streams, the texts of the message boxes it raised (each answered with OK)
// and whether its render window or panel ever appeared.
struct FinishedRun {
    DWORD exitCode = 1234;
    std::string out;
    std::string err;
    std::string boxes;
    bool windowSeen = false;
};

FinishedRun RunProgramToEnd(const std::string& arguments, DWORD timeoutMs = 60000);
