// After a slow frame, changes coalesce: the state follows every change, the
// window draws the latest state once, and the title says a long frame is on.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "app/product_name.h"
#include "app/viewer_state.h"
#include "ui/resource.h"
#include "wine/panel_support.h"
#include "wine/support.h"

namespace {

MultiTexCoord2dProc countingMultiTexCoord = nullptr;
std::string titleWhileDrawing;

std::string WindowTitle()
{
    char title[256] = {};
    GetWindowTextA(viewer.mainWindow, title, sizeof(title));
    return title;
}

// Every frame with faces passes here: the render window's title mid-frame.
void APIENTRY RecordTitle(GLenum unit, GLdouble s, GLdouble t)
{
    titleWhileDrawing = WindowTitle();
    countingMultiTexCoord(unit, s, t);
}

void StepRepeatU()
{
    SendMessageA(testPanel, WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0),
                 reinterpret_cast<LPARAM>(Item(IDC_REPEAT_U_SCROLL)));
}

void StepFaces()
{
    HWND slider = Item(IDC_FACES_SLIDER);
    const LRESULT position = SendMessageA(slider, TBM_GETPOS, 0, 0);
    SendMessageA(slider, TBM_SETPOS, TRUE, position + 1);
    SendMessageA(testPanel, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position + 1),
                 reinterpret_cast<LPARAM>(slider));
}

class SlowFrameTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(OpenPanel());
        countingMultiTexCoord = viewer.pfnMultiTexCoord2d;
        viewer.pfnMultiTexCoord2d = RecordTitle;
    }
    void TearDown() override { ClosePanel(); }
};

TEST_F(SlowFrameTest, TenChangesAfterASlowFrameAreDrawnOnceAtTheLastState)
{
    const std::string banner = productBanner;
    const struct {
        double lastFrame;  // seconds the frame before took
        void (*step)();
        const char* title;  // mid-frame
    } cases[] = {
        {0.3, StepRepeatU, ""},
        {1.5, StepFaces, " - drawing..."},
        {40.0, StepRepeatU, " - drawing..."},
        {1.5, StepRepeatU, " - drawing..."},
    };
    for (const auto& c : cases) {
        PumpMessages();
        TakeFrameCount();
        const double repeatU = viewer.scene.texScaleU;
        const int faces = viewer.scene.tunnelFaces;
        viewer.lastFrameSeconds = c.lastFrame;
        for (int i = 0; i < 10; ++i)
            c.step();
        // The state has every change; nothing is drawn while messages wait.
        const bool byFaces = c.step == StepFaces;
        EXPECT_NEAR(repeatU + (byFaces ? 0.0 : 1.0), viewer.scene.texScaleU, 1e-9);
        EXPECT_EQ(faces + (byFaces ? 10 : 0), viewer.scene.tunnelFaces);
        EXPECT_EQ(0, TakeFrameCount()) << c.lastFrame;
        titleWhileDrawing.clear();
        PumpMessages();
        EXPECT_EQ(1, TakeFrameCount()) << c.lastFrame;
        EXPECT_EQ(banner + c.title, titleWhileDrawing) << c.lastFrame;
        EXPECT_EQ(banner, WindowTitle());
        // This driver is quick: the next change is drawn at once again.
        EXPECT_LT(viewer.lastFrameSeconds, slowFrameSeconds);
    }
    for (int i = 0; i < 10; ++i)
        StepRepeatU();
    EXPECT_EQ(10, TakeFrameCount());
}

}  // namespace
