// The render window at other display scales: the awareness the manifest
// declares, and the frame following a change of DPI while the client keeps
// its 800 x 600 physical pixels.
#include <gtest/gtest.h>

#include <string>

#include "app/viewer_state.h"
#include "wine/support.h"

namespace {

SIZE ClientSize(HWND window)
{
    RECT client;
    GetClientRect(window, &client);
    return {client.right - client.left, client.bottom - client.top};
}

SIZE FrameSize(HWND window)
{
    RECT frame;
    GetWindowRect(window, &frame);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

class WindowDpiTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(OpenRenderWindow()); }
    void TearDown() override { CloseRenderWindow(); }
};

// The settings as the system's loader read them from the embedded manifest
// (the tests carry the program's): Wine reports every process as per-monitor
// aware, manifest or not, so the awareness itself proves nothing here.
std::wstring ManifestSetting(const wchar_t* space, const wchar_t* name)
{
    wchar_t value[128] = {};
    SIZE_T written = 0;
    if (!QueryActCtxSettingsW(0, nullptr, space, name, value, 128, &written))
        return L"(none)";
    return value;
}

TEST(WindowDpi, ManifestAsksForPerMonitorV2ThenPerMonitorThenSystemAwareness)
{
    EXPECT_EQ(L"PerMonitorV2, PerMonitor",
              ManifestSetting(L"http://schemas.microsoft.com/SMI/2016/WindowsSettings",
                              L"dpiAwareness"));
    EXPECT_EQ(L"true/pm", ManifestSetting(L"http://schemas.microsoft.com/SMI/2005/WindowsSettings",
                                          L"dpiAware"));
}

TEST_F(WindowDpiTest, DpiChangeMovesTheFrameWhereSuggestedAndKeepsTheClient)
{
    // Suggested rectangles as the system makes them: the frame scaled by the
    // DPI ratio, which would scale the client too.
    const SIZE frame96 = FrameSize(viewer.mainWindow);
    const struct {
        UINT dpi;
        POINT topLeft;
    } changes[] = {{144, {100, 120}}, {192, {5, 7}}, {120, {60, 40}}, {96, {27, 8}}};
    for (const auto& change : changes) {
        RECT suggested = {change.topLeft.x, change.topLeft.y,
                          change.topLeft.x + MulDiv(frame96.cx, change.dpi, 96),
                          change.topLeft.y + MulDiv(frame96.cy, change.dpi, 96)};
        SendMessageA(viewer.mainWindow, WM_DPICHANGED, MAKEWPARAM(change.dpi, change.dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        const SIZE client = ClientSize(viewer.mainWindow);
        EXPECT_EQ(800, client.cx) << change.dpi;
        EXPECT_EQ(600, client.cy) << change.dpi;
        RECT frame;
        GetWindowRect(viewer.mainWindow, &frame);
        EXPECT_EQ(change.topLeft.x, frame.left) << change.dpi;
        EXPECT_EQ(change.topLeft.y, frame.top) << change.dpi;
    }
}

TEST_F(WindowDpiTest, ScaledSizeAnswerGrowsTheFrameOnlyNotTheClient)
{
    const SIZE frame96 = FrameSize(viewer.mainWindow);
    SIZE answer = {0, 0};
    EXPECT_TRUE(SendMessageA(viewer.mainWindow, WM_GETDPISCALEDSIZE, 96,
                             reinterpret_cast<LPARAM>(&answer)));
    EXPECT_EQ(frame96.cx, answer.cx);
    EXPECT_EQ(frame96.cy, answer.cy);

    for (UINT dpi : {120u, 144u, 192u}) {
        SIZE scaled = {0, 0};
        EXPECT_TRUE(SendMessageA(viewer.mainWindow, WM_GETDPISCALEDSIZE, dpi,
                                 reinterpret_cast<LPARAM>(&scaled)));
        // Border and caption grow with the scale; the 800 x 600 inside do not.
        EXPECT_GE(scaled.cx, frame96.cx) << dpi;
        EXPECT_GT(scaled.cy, frame96.cy) << dpi;
        EXPECT_LT(scaled.cx, 800 + (frame96.cx - 800) * 3) << dpi;
        EXPECT_LT(scaled.cy, 600 + (frame96.cy - 600) * 3) << dpi;
    }
}

}  // namespace
