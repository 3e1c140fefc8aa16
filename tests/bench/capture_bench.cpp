// Times the program as a script meets it: from start to a written
// --screenshot, against a plain start-up to the settled panel and a close.
// Prints the median of several runs of each, taken in turn; first the PNG
// encoding of a shown frame (docs/min-linear_mipmap_linear.png: the
// settled start-up view, 800 x 600) in process.
//   quorvane_capture_bench.exe [runs]   (default 5)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/render_window.h"
#include "bench/bench_timing.h"
#include "capture/file_output.h"
#include "common/child_process.h"
#include "textures/wic_reader.h"
#include "ui/resource.h"

namespace {

std::string ProgramDirectory()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path);
    return directory.substr(0, directory.find_last_of("\\/") + 1);
}

bool Start(const std::string& arguments, PROCESS_INFORMATION& process)
{
    return StartChildProcess("\"" + ProgramDirectory() + "quorvane.exe\" " + arguments, process);
}

DWORD Finish(PROCESS_INFORMATION& process)
{
    return FinishChildProcess(process, 60000);
}

std::string ControlText(HWND panel, int id)
{
    char text[64] = {};
    GetWindowTextA(GetDlgItem(panel, id), text, sizeof(text));
    return text;
}

// Start, wait for the settled panel (the faces label shows 200), close.
// Gives the seconds to the settled panel and to the program's end.
bool PlainStart(double& settled, double& ended)
{
    PROCESS_INFORMATION process = {};
    const double start = Now();
    if (!Start("", process))
        return false;
    HWND window = nullptr, panel = nullptr;
    for (int waited = 0; waited < 60000; waited += 5) {
        window = FindWindowA(productBanner, productBanner);
        panel = FindWindowA("#32770", "Settings");
        if (window != nullptr && panel != nullptr && ControlText(panel, IDC_FACES_LABEL) == "200" &&
            ControlText(panel, IDC_DISTANCE_LABEL) == "2.0")
            break;
        Sleep(5);
    }
    settled = Now() - start;
    PostMessageA(window, WM_CLOSE, 0, 0);
    const DWORD exitCode = Finish(process);
    ended = Now() - start;
    return exitCode == 0;
}

bool ScreenshotRun(const std::string& path, double& ended)
{
    DeleteFileA(path.c_str());
    PROCESS_INFORMATION process = {};
    const double start = Now();
    if (!Start("--screenshot \"" + path + "\"", process))
        return false;
    const DWORD exitCode = Finish(process);
    ended = Now() - start;
    return exitCode == 0 && GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}


// The in-process cost of a capture's PNG: a --screenshot frame, as
// read back, encoded and written. False when the frame cannot be read.
bool TimePngWriting(int runs, const std::string& path)
{
    RgbImage* frame = LoadWicImage((ProgramDirectory() + "..\\..\\docs\\min-linear_mipmap_linear.png").c_str(), 0);
    if (frame == nullptr)
        return false;
    std::vector<double> times;
    bool written = true;
    for (int i = 0; i < runs * 4 && written; ++i) {
        std::string reason;
        const double start = Now();
        written = WritePngFile(path.c_str(), frame->width, frame->height, frame->pixels, &reason);
        times.push_back(Now() - start);
    }
    WIN32_FILE_ATTRIBUTE_DATA file = {};
    GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &file);
    char what[64];
    std::snprintf(what, sizeof(what), "PNG of a %dx%d frame (%lu KB)", frame->width, frame->height,
                  file.nFileSizeLow / 1024);
    std::free(frame->pixels);
    std::free(frame);
    DeleteFileA(path.c_str());
    if (written)
        ReportTimes(what, times);
    return written;
}

}  // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    char directory[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    const std::string path = std::string(directory) + "quorvane-bench-shot.png";
    std::vector<double> settled, closed, shot;
    if (!TimePngWriting(runs, path)) {
        std::printf("The frame docs/min-linear_mipmap_linear.png could not be read or written again.\n");
        return 1;
    }
    bool ok = true;
    // In turn, so both meet the same machine load.
    for (int i = 0; i < runs && ok; ++i) {
        double toSettled = 0, toEnd = 0, toShot = 0;
        ok = PlainStart(toSettled, toEnd) && ScreenshotRun(path, toShot);
        settled.push_back(toSettled);
        closed.push_back(toEnd);
        shot.push_back(toShot);
    }
    DeleteFileA(path.c_str());
    DeleteFileA((path.substr(0, path.size() - 4) + ".json").c_str());
    if (!ok) {
        std::printf("A run of quorvane.exe failed.\n");
        return 1;
    }
    ReportTimes("Plain start to settled panel", settled);
    ReportTimes("Plain start, settle and close to exit", closed);
    ReportTimes("--screenshot start to written PNG, exit", shot);
    return 0;
}
