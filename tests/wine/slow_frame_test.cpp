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

std::string Title()
{
    char title[256] = {};
    GetWindowTextA(viewer.mainWindow, title, sizeof(title));
    return title;
}

// Every frame with faces passes here.
void APIENTRY RecordTitle(GLenum unit, GLdouble s, GLdouble t)
{
    titleWhileDrawing = Title();
    countingMultiTexCoord(unit, s, t);
}

// One step right of a scroll bar or of the faces slider, as the user makes it.
void Step(int id)
{
    HWND control = Item(id);
    int code = SB_LINERIGHT, position = 0;
    if (id == IDC_FACES_SLIDER) {
        code = SB_THUMBPOSITION;
        position = static_cast<int>(SendMessageA(control, TBM_GETPOS, 0, 0)) + 1;
        SendMessageA(control, TBM_SETPOS, TRUE, position);
    }
    SendMessageA(testPanel, WM_HSCROLL, MAKEWPARAM(code, position), reinterpret_cast<LPARAM>(control));
}

TEST(SlowFrameTest, TenChangesAfterASlowFrameAreDrawnOnceAtTheLastState)
{
    ASSERT_NO_FATAL_FAILURE(OpenPanel());
    countingMultiTexCoord = viewer.pfnMultiTexCoord2d;
    viewer.pfnMultiTexCoord2d = RecordTitle;
    const struct {
        double lastFrame;  // seconds the frame before took
        int id;
        const char* title;  // mid-frame, after the banner
    } cases[] = {{0.3, IDC_REPEAT_U_SCROLL, ""}, {1.5, IDC_FACES_SLIDER, " - drawing\x85"},
                 {40.0, IDC_REPEAT_U_SCROLL, " - drawing\x85"}};
    for (const auto& c : cases) {
        PumpMessages();
        TakeFrameCount();
        const double repeatU = viewer.scene.texScaleU;
        const int faces = viewer.scene.tunnelFaces;
        viewer.lastFrameSeconds = c.lastFrame;
        for (int i = 0; i < 10; ++i)
            Step(c.id);
        // The state has every change; nothing is drawn while messages wait.
        EXPECT_NEAR(repeatU + (c.id == IDC_FACES_SLIDER ? 0.0 : 1.0), viewer.scene.texScaleU, 1e-9);
        EXPECT_EQ(faces + (c.id == IDC_FACES_SLIDER ? 10 : 0), viewer.scene.tunnelFaces);
        EXPECT_EQ(0, TakeFrameCount()) << c.lastFrame;
        PumpMessages();
        EXPECT_EQ(1, TakeFrameCount()) << c.lastFrame;
        EXPECT_EQ(productBanner + std::string(c.title), titleWhileDrawing) << c.lastFrame;
        EXPECT_EQ(productBanner, Title());
        // This driver is quick: the next change is drawn at once again.
        EXPECT_LT(viewer.lastFrameSeconds, slowFrameSeconds);
    }
    for (int i = 0; i < 10; ++i)
        Step(IDC_REPEAT_U_SCROLL);
    EXPECT_EQ(10, TakeFrameCount());
    ClosePanel();
}

}  // namespace
