#include "soak/soak_target.h"

#include <psapi.h>
#include <winternl.h>

#include "app/render_window.h"
#include "common/child_process.h"
#include "ui/resource.h"

namespace {

const DWORD pollMs = 20;

struct WindowSearch {
    DWORD processId;
    const char* className;
    const char* caption;  // null: any
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND window, LPARAM parameter)
{
    WindowSearch& search = *reinterpret_cast<WindowSearch*>(parameter);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search.processId || !IsWindowVisible(window))
        return TRUE;
    char className[64] = {};
    GetClassNameA(window, className, sizeof(className));
    if (std::string(className) != search.className)
        return TRUE;
    char caption[256] = {};
    GetWindowTextA(window, caption, sizeof(caption));
    if (search.caption == nullptr || std::string(caption) == search.caption)
        search.found.push_back(window);
    return TRUE;
}

std::vector<HWND> FindTargetWindows(const SoakTarget& target, const char* className,
                                    const char* caption)
{
    WindowSearch search = {target.process.dwProcessId, className, caption, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForTargetWindow(const SoakTarget& target, const char* className, const char* caption,
                         DWORD timeoutMs)
{
    for (DWORD waited = 0; waited < timeoutMs && TargetAlive(target); waited += pollMs) {
        std::vector<HWND> found = FindTargetWindows(target, className, caption);
        if (!found.empty())
            return found[0];
        Sleep(pollMs);
    }
    return nullptr;
}

std::string WindowText(HWND window)
{
    char text[1024] = {};
    GetWindowTextA(window, text, sizeof(text));
    return text;
}

bool Launch(const std::string& exe, const std::string& arguments, PROCESS_INFORMATION& process,
            std::string& error)
{
    if (StartChildProcess("\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments), process))
        return true;
    error = "cannot start " + exe + ": error " + std::to_string(GetLastError());
    return false;
}

}  // namespace

bool StartTarget(const std::string& exe, SoakTarget& target, std::string& error)
{
    if (!Launch(exe, "", target.process, error))
        return false;
    target.renderWindow = WaitForTargetWindow(target, productBanner, productBanner, 30000);
    target.panel = WaitForTargetWindow(target, "#32770", "Settings", 30000);
    if (target.renderWindow == nullptr || target.panel == nullptr) {
        error = "the render window and the panel did not come up";
        return false;
    }
    // Settled: the sliders' first values have reached their labels.
    if (!WaitForControlText(target.panel, IDC_FACES_LABEL, "200", 30000)) {
        error = "the panel did not settle";
        return false;
    }
    return true;
}

bool RunTargetToEnd(const std::string& exe, const std::string& arguments, DWORD timeoutMs,
                    DWORD& exitCode, std::string& error)
{
    PROCESS_INFORMATION process = {};
    if (!Launch(exe, arguments, process, error))
        return false;
    // STILL_ACTIVE is no code a program ends with: here it means "ended by force".
    exitCode = FinishChildProcess(process, timeoutMs, STILL_ACTIVE);
    if (exitCode != STILL_ACTIVE)
        return true;
    error = "\"" + exe + "\" " + arguments + " did not end within " +
            std::to_string(timeoutMs / 1000) + " s";
    return false;
}

bool CloseTarget(SoakTarget& target, std::string& error)
{
    if (target.process.hProcess == nullptr)
        return true;
    PostMessageA(target.renderWindow, WM_CLOSE, 0, 0);
    const DWORD exitCode = FinishChildProcess(target.process, 30000, STILL_ACTIVE);
    if (exitCode == STILL_ACTIVE)
        error = "the program did not end within 30 s of closing its window";
    else if (exitCode != 0)
        error = "the program ended with exit code " + std::to_string(exitCode);
    return exitCode == 0;
}

bool TargetAlive(const SoakTarget& target)
{
    return WaitForSingleObject(target.process.hProcess, 0) == WAIT_TIMEOUT;
}

bool AnswersAndDraws(const SoakTarget& target, DWORD timeoutMs, std::string& error)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(target.renderWindow, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, timeoutMs,
                             &result)) {
        error = TargetAlive(target) ? "no answer within " + std::to_string(timeoutMs) + " ms"
                                    : "the program has ended";
        return false;
    }
    // The window paints only when asked: an invalid region that becomes valid
    // again is a frame drawn by its WM_PAINT.
    InvalidateRect(target.renderWindow, nullptr, FALSE);
    for (DWORD waited = 0; waited < timeoutMs; waited += pollMs) {
        if (!GetUpdateRect(target.renderWindow, nullptr, FALSE))
            return true;
        if (!TargetAlive(target)) {
            error = "the program has ended";
            return false;
        }
        Sleep(pollMs);
    }
    error = "no frame drawn within " + std::to_string(timeoutMs) + " ms";
    return false;
}

std::vector<TargetDialog> TargetDialogs(const SoakTarget& target)
{
    std::vector<TargetDialog> dialogs;
    for (HWND window : FindTargetWindows(target, "#32770", nullptr)) {
        if (window == target.panel)
            continue;
        HWND textStatic = GetDlgItem(window, 0xFFFF);
        dialogs.push_back({window, textStatic != nullptr,
                           WindowText(textStatic != nullptr ? textStatic : window)});
    }
    return dialogs;
}

HWND WaitForFileDialog(const SoakTarget& target, DWORD timeoutMs)
{
    for (DWORD waited = 0; waited < timeoutMs && TargetAlive(target); waited += pollMs) {
        for (const TargetDialog& dialog : TargetDialogs(target))
            if (!dialog.messageBox &&
                (GetDlgItem(dialog.window, 0x47C) != nullptr ||
                 GetDlgItem(dialog.window, 0x480) != nullptr))
                return dialog.window;
        Sleep(pollMs);
    }
    return nullptr;
}

std::string WaitForMessageBox(const SoakTarget& target, DWORD timeoutMs)
{
    for (DWORD waited = 0; waited < timeoutMs && TargetAlive(target); waited += pollMs) {
        for (const TargetDialog& dialog : TargetDialogs(target)) {
            if (dialog.messageBox) {
                PostMessageA(dialog.window, WM_COMMAND, IDOK, 0);
                // Gone before the next action looks for unexpected boxes.
                for (DWORD closing = 0; closing < timeoutMs && IsWindow(dialog.window);
                     closing += pollMs)
                    Sleep(pollMs);
                return dialog.text;
            }
        }
        Sleep(pollMs);
    }
    return "";
}

void AnswerFileDialog(HWND dialog, const std::string& path)
{
    if (path.empty()) {
        PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        return;
    }
    // The file-name box: a combo box (cmb13) in the explorer-style dialog, an
    // edit control (edt1) in the old one.
    HWND nameBox = GetDlgItem(dialog, 0x47C);
    if (nameBox == nullptr)
        nameBox = GetDlgItem(dialog, 0x480);
    SendMessageA(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
}

std::string ControlText(HWND panel, int id)
{
    return WindowText(GetDlgItem(panel, id));
}

bool WaitForControlText(HWND panel, int id, const std::string& wanted, DWORD timeoutMs)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += pollMs) {
        if (ControlText(panel, id) == wanted)
            return true;
        Sleep(pollMs);
    }
    return false;
}

namespace {

// Wine answers GetProcessHandleCount with 0 for other processes; its process
// list carries the real count.
DWORD HandleCountFromProcessList(DWORD processId)
{
    typedef NTSTATUS(NTAPI * QueryProc)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);
    QueryProc query = reinterpret_cast<QueryProc>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    if (query == nullptr)
        return 0;
    std::vector<unsigned char> buffer(1 << 20);
    ULONG length = 0;
    if (query(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()),
              &length) != 0)
        return 0;
    for (size_t at = 0;;) {
        const SYSTEM_PROCESS_INFORMATION* entry =
            reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(&buffer[at]);
        if (static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(entry->UniqueProcessId)) == processId)
            return entry->HandleCount;
        if (entry->NextEntryOffset == 0)
            return 0;
        at += entry->NextEntryOffset;
    }
}

}  // namespace

bool SampleMemory(const SoakTarget& target, double seconds, MemorySample& sample)
{
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof(counters);
    if (!GetProcessMemoryInfo(target.process.hProcess,
                              reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                              sizeof(counters)))
        return false;
    DWORD handles = 0;
    GetProcessHandleCount(target.process.hProcess, &handles);
    if (handles == 0)
        handles = HandleCountFromProcessList(target.process.dwProcessId);
    // Private bytes are the committed pages; Wine reports them as the
    // page-file usage only.
    const SIZE_T privateBytes =
        counters.PrivateUsage != 0 ? counters.PrivateUsage : counters.PagefileUsage;
    if (privateBytes == 0 || counters.WorkingSetSize == 0 || handles == 0)
        return false;
    sample = {seconds, privateBytes, counters.WorkingSetSize, handles};
    return true;
}
