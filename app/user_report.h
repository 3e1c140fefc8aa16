// How the program tells the user of a failure, decided here for the whole
// run: a message box in an interactive run; in a batch run (--screenshot,
// --measure), where nothing may wait for a click, a line on standard error,
// or nothing where the batch run's own closing line says it.
#pragma once

#include <windows.h>

#include <string>

struct UserReport {
    std::string text;               // the box's text, and the line's
    HWND owner = nullptr;
    const char* caption = nullptr;  // null: the system's "Error"
    UINT style = MB_OK;
    enum Line { NoLine, BatchLine, AlwaysLine };
    // Standard error: never, instead of the box in a batch run, or in every run.
    Line line = BatchLine;
};

void TellUser(const UserReport& report);
