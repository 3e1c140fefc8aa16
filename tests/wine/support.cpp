#include "wine/support.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "app/render_window.h"
#include "app/viewer_state.h"

namespace {

MessageBoxCatcher* activeCatcher = nullptr;

// A message box is a dialog whose text static has the id 0xFFFF.
LRESULT CALLBACK CatchBoxHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE && activeCatcher != nullptr) {
        HWND box = reinterpret_cast<HWND>(wParam);
        char className[64] = {};
        GetClassNameA(box, className, sizeof(className));
        if (std::string(className) == "#32770" && GetDlgItem(box, 0xFFFF) != nullptr) {
            char text[1024] = {};
            char caption[256] = {};
            GetDlgItemTextA(box, 0xFFFF, text, sizeof(text));
            GetWindowTextA(box, caption, sizeof(caption));
            activeCatcher->boxes.push_back({text, caption, GetWindow(box, GW_OWNER)});
            PostMessageA(box, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

MessageBoxCatcher::MessageBoxCatcher()
{
    activeCatcher = this;
    hook = SetWindowsHookExA(WH_CBT, CatchBoxHook, nullptr, GetCurrentThreadId());
}

MessageBoxCatcher::~MessageBoxCatcher()
{
    UnhookWindowsHookEx(hook);
    activeCatcher = nullptr;
}

std::vector<std::string> BoxTexts(const MessageBoxCatcher& catcher)
{
    std::vector<std::string> texts;
    for (const CaughtBox& box : catcher.boxes)
        texts.push_back(box.text);
    return texts;
}

void ResetViewerState()
{
    viewer = ViewerState{};
}

void OpenRenderWindow()
{
    ResetViewerState();
    MessageBoxCatcher catcher;
    ASSERT_TRUE(CreateRenderWindow());
    ASSERT_TRUE(catcher.boxes.empty());
    PumpMessages();
}

void CloseRenderWindow()
{
    if (viewer.mainWindow != nullptr)
        DestroyRenderWindow();
    UnregisterClassA(productBanner, GetModuleHandleA(nullptr));
    PumpMessages();
}

void PumpMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            continue;
        // As the program's loop does: the panel's keyboard handling first.
        if (viewer.settingsDialog != nullptr && IsDialogMessageA(viewer.settingsDialog, &msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

const char* const anisoExtension = "GL_EXT_texture_filter_anisotropic";
const char* const lodBiasExtension = "GL_EXT_texture_lod_bias";

bool DriverOffers(const char* extension)
{
    const char* overrides = std::getenv("MESA_EXTENSION_OVERRIDE");
    if (overrides == nullptr)
        return true;
    const std::string removed = std::string(" ") + overrides + " ";
    return removed.find(std::string(" -") + extension + " ") == std::string::npos;
}

std::string TestDirectory()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path);
    return directory.substr(0, directory.find_last_of("\\/") + 1);
}

std::string TempFilePath(const std::string& name)
{
    char directory[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    return std::string(directory) + name;
}

std::string WriteTempFile(const std::string& name, const std::vector<uint8_t>& bytes)
{
    const std::string path = TempFilePath(name);
    WriteFileBytes(path, bytes);
    return path;
}

std::string FileText(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}
