// The real program, started as a user starts it.
#include <gtest/gtest.h>

#include <string>

#include "app/render_window.h"
#include "wine/support.h"

namespace {

// Waits for a top-level window of the given class and caption.
HWND WaitForWindow(const char* className, const char* caption, DWORD timeoutMs)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += 50) {
        if (HWND window = FindWindowA(className, caption))
            return window;
        Sleep(50);
    }
    return nullptr;
}

TEST(Program, StartsWithRenderWindowAndPanelAndExitsZeroWhenClosed)
{
    std::string command = "\"" + TestDirectory() + "quorvane.exe\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process))
        << command;

    HWND renderWindow = WaitForWindow(productBanner, productBanner, 30000);
    ASSERT_NE(nullptr, renderWindow);
    HWND panel = WaitForWindow("#32770", "Settings", 30000);
    ASSERT_NE(nullptr, panel);
    EXPECT_EQ(renderWindow, GetWindow(panel, GW_OWNER));
    RECT client;
    GetClientRect(renderWindow, &client);
    EXPECT_EQ(800, client.right);
    EXPECT_EQ(600, client.bottom);

    PostMessageA(renderWindow, WM_CLOSE, 0, 0);
    ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(process.hProcess, 30000));
    DWORD exitCode = 1234;
    GetExitCodeProcess(process.hProcess, &exitCode);
    EXPECT_EQ(0u, exitCode);
    EXPECT_FALSE(IsWindow(panel));
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

}  // namespace
