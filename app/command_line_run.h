// What WinMain does with the command line once the panel has settled.
#pragma once

#include <windows.h>

#include <string>

#include <vector>

#include "capture/command_line.h"
#include "measure/expectations.h"

// Prints "quorvane: <line>" to standard error and, unless this is a batch
// run, shows it in a message box too.
void ReportCommandLineError(const std::string& line);

// Checks the options against the driver and sets the panel's controls in
// this order: scene, distance, angle, faces, repeats, rotations, filters,
// anisotropy, stage, LOD bias (so it lands on the stage's unit), mipmaps,
// checkerboard, BMP (built with the chosen mipmaps, and shown), texture.
// With --screenshot it then captures the view; with --measure it runs the
// measuring battery and writes its report (its folder is checked before the
// options apply); with expectations (--expect) the report's figures are
// checked against them, the outcome written as DIR/report.xml, and any that
// fails ends the program with code 3. Returns the exit code when the program is to end (the render
// window is then destroyed), or -1 to go on.
int RunCommandLine(HWND panel, const CaptureOptions& options,
                   const std::vector<Expectation>& expectations);
