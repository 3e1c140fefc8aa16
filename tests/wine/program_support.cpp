#include "wine/program_support.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>

#include "app/render_window.h"
#include "common/child_process.h"
#include "ui/resource.h"
#include "wine/support.h"

HWND WaitForWindow(const char* className, const char* caption, DWORD timeoutMs)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        if (HWND window = FindWindowA(className, caption))
            return window;
        Sleep(50);
    }
    return nullptr;
}

std::string WindowText(HWND window)
{
    char text[512] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

bool WaitForText(HWND panel, int id, const std::string& wanted, DWORD timeoutMs)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        HWND control = GetDlgItem(panel, id);
        if (control != nullptr && WindowText(control) == wanted)
            return true;
        Sleep(50);
    }
    return false;
}

bool WaitForSettledPanel(HWND panel)
{
    return WaitForText(panel, IDC_FACES_LABEL, "200", 15000) &&
           WaitForText(panel, IDC_CHECKER_LABEL, "8", 15000) &&
           WaitForText(panel, IDC_DISTANCE_LABEL, "2.0", 15000);
}

RunningProgram::~RunningProgram()
{
    if (process.hProcess != nullptr)
        CloseProgram(*this);
}

void StartProgram(RunningProgram& program, const std::string& arguments)
{
    std::string command = "\"" + TestDirectory() + "quorvane.exe\"";
    if (!arguments.empty())
        command += " " + arguments;
    ASSERT_TRUE(StartChildProcess(command, program.process)) << command;
    program.renderWindow = WaitForWindow(productBanner, productBanner, 30000);
    ASSERT_NE(nullptr, program.renderWindow);
    program.panel = WaitForWindow("#32770", "Settings", 30000);
    ASSERT_NE(nullptr, program.panel);
    // The render window is the only way to end the program: close it on any
    // failure from here on.
}

DWORD CloseProgram(RunningProgram& program)
{
    PostMessageA(program.renderWindow, WM_CLOSE, 0, 0);
    return FinishChildProcess(program.process, 30000);
}

// Answers the program's save dialog: returns the name it proposed.
std::string AnswerSaveDialog(HWND owner, const std::string& path)
{
    for (int waited = 0; waited < 15000; waited += 100) {
        Sleep(100);
        HWND dialog = nullptr;
        while ((dialog = FindWindowExA(nullptr, dialog, "#32770", nullptr)) != nullptr) {
            HWND nameBox = GetDlgItem(dialog, 0x47C);
            if (nameBox == nullptr)
                nameBox = GetDlgItem(dialog, 0x480);
            if (GetWindow(dialog, GW_OWNER) != owner || nameBox == nullptr)
                continue;
            // GetWindowText does not ask another process's control.
            char proposed[MAX_PATH] = {};
            SendMessageA(nameBox, WM_GETTEXT, sizeof(proposed), reinterpret_cast<LPARAM>(proposed));
            SendMessageA(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            return proposed;
        }
    }
    return "";
}

namespace {

HANDLE InheritableFile(const std::string& path)
{
    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                       &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
}

struct BoxSearch {
    DWORD processId;
    FinishedRun* run;
    std::set<HWND> answered;  // a box stays up a while after its answer
};

// Message boxes of the program: read, then answered with OK. A box is taken
// once it shows: while it is still being made its text may be empty.
BOOL CALLBACK AnswerProgramBox(HWND window, LPARAM parameter)
{
    BoxSearch* search = reinterpret_cast<BoxSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char className[64] = {};
    GetClassNameA(window, className, sizeof(className));
    if (owner != search->processId || std::string(className) != "#32770" || !IsWindowVisible(window) ||
        GetDlgItem(window, 0xFFFF) == nullptr)
        return TRUE;
    const std::string text = WindowText(GetDlgItem(window, 0xFFFF));
    if (!text.empty() && search->answered.insert(window).second) {
        search->run->boxes += text + "\n";
        PostMessageA(window, WM_COMMAND, IDOK, 0);
    }
    return TRUE;
}

}  // namespace

FinishedRun RunProgramToEnd(const std::string& arguments, DWORD timeoutMs)
{
    FinishedRun run;
    const std::string outPath = TestDirectory() + "run-stdout.txt";
    const std::string errPath = TestDirectory() + "run-stderr.txt";
    HANDLE out = InheritableFile(outPath);
    HANDLE err = InheritableFile(errPath);
    const std::string command = "\"" + TestDirectory() + "quorvane.exe\" " + arguments;
    PROCESS_INFORMATION process = {};
    const bool started = StartChildProcess(command, process, out, err);
    CloseHandle(out);
    CloseHandle(err);
    if (!started) {
        ADD_FAILURE() << "cannot start " << command;
        return run;
    }
    BoxSearch search = {process.dwProcessId, &run, {}};
    for (DWORD waited = 0; WaitForSingleObject(process.hProcess, 20) == WAIT_TIMEOUT; waited += 20) {
        if (waited > timeoutMs) {
            ADD_FAILURE() << "still running after " << timeoutMs << " ms: " << command;
            TerminateProcess(process.hProcess, 99);
            WaitForSingleObject(process.hProcess, 5000);
            break;
        }
        HWND window = FindWindowA(productBanner, productBanner);
        HWND panel = FindWindowA("#32770", "Settings");
        for (HWND w : {window, panel}) {
            DWORD owner = 0;
            if (w != nullptr && GetWindowThreadProcessId(w, &owner) && owner == process.dwProcessId)
                run.windowSeen = true;
        }
        EnumWindows(AnswerProgramBox, reinterpret_cast<LPARAM>(&search));
    }
    run.exitCode = FinishChildProcess(process, 5000);
    run.out = FileText(outPath);
    run.err = FileText(errPath);
    DeleteFileA(outPath.c_str());
    DeleteFileA(errPath.c_str());
    return run;
}
