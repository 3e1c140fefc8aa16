// The real settings dialog, driven the way the platform drives it.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/viewer_state.h"
#include "app/gl_constants.h"
#include "textures/checker_texels.h"
#include "ui/resource.h"
#include "ui/settings_panel.h"
#include "wine/panel_support.h"
#include "wine/support.h"

namespace {

const std::string degree = "\xB0";

// Moves a slider with redraw, as a user's drag does; its repaint notifies.
void MoveSlider(int id, int position)
{
    SendMessageA(Item(id), TBM_SETPOS, TRUE, position);
    UpdateWindow(Item(id));
    PumpMessages();
}

void Scroll(int id, int code, int thumb = 0)
{
    SendMessageA(testPanel, WM_HSCROLL, MAKEWPARAM(code, thumb),
                 reinterpret_cast<LPARAM>(Item(id)));
    PumpMessages();
}

GLint ActiveUnit()
{
    GLint unit = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
    return unit;
}

int SliderMin(int id) { return static_cast<int>(SendMessageA(Item(id), TBM_GETRANGEMIN, 0, 0)); }
int SliderMax(int id) { return static_cast<int>(SendMessageA(Item(id), TBM_GETRANGEMAX, 0, 0)); }
int SliderPos(int id) { return static_cast<int>(SendMessageA(Item(id), TBM_GETPOS, 0, 0)); }

std::string ListSelectionText(int id)
{
    const LRESULT index = SendMessageA(Item(id), CB_GETCURSEL, 0, 0);
    char text[64] = {};
    SendMessageA(Item(id), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
    return text;
}

class SettingsPanelTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(OpenPanel()); }
    void TearDown() override { ClosePanel(); }
};

TEST_F(SettingsPanelTest, SettledStartUpState)
{
    const struct {
        int id;
        const char* text;
    } labels[] = {{IDC_CHECKER_LABEL, "8"},   {IDC_DISTANCE_LABEL, "2.0"},
                  {IDC_FACES_LABEL, "200"},   {IDC_ANISO_LABEL, "1x"},
                  {IDC_LODBIAS_LABEL, "0.0"}, {IDC_REPEAT_U_LABEL, "10.5"},
                  {IDC_REPEAT_V_LABEL, "1.0"}, {IDC_STAGE_LABEL, "0"},
                  {IDC_PLANE_ANGLE_LABEL, "0\xB0"}, {IDC_BROWSE_BUTTON, "Browse..."}};
    for (const auto& label : labels)
        EXPECT_EQ(label.text, ItemText(label.id)) << label.id;

    EXPECT_EQ(5, SendMessageA(Item(IDC_MIN_FILTER_LIST), CB_GETCURSEL, 0, 0));
    EXPECT_EQ("LINEAR_MIPMAP_LINEAR", ListSelectionText(IDC_MIN_FILTER_LIST));
    EXPECT_EQ(6, SendMessageA(Item(IDC_MIN_FILTER_LIST), CB_GETCOUNT, 0, 0));
    EXPECT_EQ(1, SendMessageA(Item(IDC_MAG_FILTER_LIST), CB_GETCURSEL, 0, 0));
    EXPECT_EQ("LINEAR", ListSelectionText(IDC_MAG_FILTER_LIST));
    EXPECT_EQ(2, SendMessageA(Item(IDC_MAG_FILTER_LIST), CB_GETCOUNT, 0, 0));

    EXPECT_TRUE(IsChecked(IDC_CHECKER_RADIO));
    EXPECT_FALSE(IsChecked(IDC_USE_BMP_RADIO));
    EXPECT_TRUE(IsChecked(IDC_TUNNEL_RADIO));
    EXPECT_FALSE(IsChecked(IDC_PLANE_RADIO));
    EXPECT_TRUE(IsChecked(IDC_MIPMAP_TINTED_RADIO));
    EXPECT_FALSE(IsChecked(IDC_MIPMAP_NORMAL_RADIO));

    EXPECT_EQ(8, viewer.checkerShift);
    EXPECT_EQ(20.0, viewer.scene.planeDistance);
    EXPECT_EQ(200, viewer.scene.tunnelFaces);
    EXPECT_EQ(1, viewer.maxAnisotropy);
    EXPECT_EQ(0.0, viewer.lodBias);
    EXPECT_EQ(static_cast<GLenum>(GL_LINEAR_MIPMAP_LINEAR), viewer.minFilter);
    EXPECT_EQ(static_cast<GLenum>(GL_LINEAR), viewer.magFilter);
    EXPECT_EQ(Tinted, viewer.mipmapMode);
    EXPECT_FALSE(viewer.scene.plane);
    EXPECT_FALSE(viewer.useBitmap);
    EXPECT_EQ(10.5, viewer.scene.texScaleU);
    EXPECT_EQ(1.0, viewer.scene.texScaleV);
    EXPECT_EQ(0, viewer.textureStage);
    EXPECT_EQ(8, viewer.textureUnitCount);
    // Without an extension its slider is disabled at its start label (above).
    const bool aniso = DriverOffers(anisoExtension), lodBias = DriverOffers(lodBiasExtension);
    EXPECT_EQ(aniso ? 4 : 0, viewer.anisoSliderMax);
    EXPECT_EQ(lodBias ? 8.0 : 0.0, viewer.maxLodBias);
    EXPECT_EQ(aniso, IsWindowEnabled(Item(IDC_ANISO_SLIDER)) != FALSE);
    EXPECT_EQ(lodBias, IsWindowEnabled(Item(IDC_LODBIAS_SLIDER)) != FALSE);

    // Driver limits made the slider ranges.
    EXPECT_EQ(0, SliderMin(IDC_ANISO_SLIDER));
    EXPECT_EQ(aniso ? 4 : 0, SliderMax(IDC_ANISO_SLIDER));
    EXPECT_EQ(lodBias ? -80 : 0, SliderMin(IDC_LODBIAS_SLIDER));
    EXPECT_EQ(lodBias ? 80 : 0, SliderMax(IDC_LODBIAS_SLIDER));
    EXPECT_EQ(-8, SliderMin(IDC_CHECKER_SLIDER));
    EXPECT_EQ(400, SliderMax(IDC_FACES_SLIDER));
    EXPECT_EQ(7, SliderMax(IDC_STAGE_SLIDER));
    int minimum = -1, maximum = -1;
    GetScrollRange(Item(IDC_REPEAT_U_SCROLL), SB_CTL, &minimum, &maximum);
    EXPECT_EQ(5, minimum);
    EXPECT_EQ(200, maximum);
    EXPECT_EQ(105, GetScrollPos(Item(IDC_REPEAT_U_SCROLL), SB_CTL));

    // The checkerboard, rebuilt with exponent 8, on unit 0 with the filters.
    EXPECT_EQ(GL_TEXTURE0, ActiveUnit());
    EXPECT_EQ(viewer.textureNames[checkerTexture], BoundTexture());
    EXPECT_EQ(GL_LINEAR_MIPMAP_LINEAR, BoundTextureParameter(GL_TEXTURE_MIN_FILTER));
    EXPECT_EQ(GL_LINEAR, BoundTextureParameter(GL_TEXTURE_MAG_FILTER));
    if (aniso) {
        EXPECT_EQ(1, BoundTextureParameter(GL_TEXTURE_MAX_ANISOTROPY_EXT));
    }
    std::vector<uint32_t> texels(512 * 512), expected(512 * 512);
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_INT_8_8_8_8, texels.data());
    FillCheckerLevel(expected.data(), 0, 8, Tinted);
    EXPECT_EQ(expected, texels);
}

TEST_F(SettingsPanelTest, RepaintWithoutChangeDrawsNothing)
{
    RedrawWindow(testPanel, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages();
    EXPECT_EQ(0, TakeFrameCount());
}

TEST_F(SettingsPanelTest, AnisotropySliderAppliesPowersOfTwo)
{
    SKIP_WITHOUT(anisoExtension);
    for (int p = 1; p <= 4; ++p) {
        MoveSlider(IDC_ANISO_SLIDER, p);
        EXPECT_EQ(1 << p, viewer.maxAnisotropy);
        EXPECT_EQ(std::to_string(1 << p) + "x", ItemText(IDC_ANISO_LABEL));
        EXPECT_EQ(1 << p, BoundTextureParameter(GL_TEXTURE_MAX_ANISOTROPY_EXT));
        EXPECT_EQ(1, TakeFrameCount());
    }
    // The slider keeps to its range: there is no 32x on this driver.
    MoveSlider(IDC_ANISO_SLIDER, 5);
    EXPECT_EQ(16, viewer.maxAnisotropy);
}

TEST_F(SettingsPanelTest, LodBiasSliderSetsTheStageUnitsBias)
{
    SKIP_WITHOUT(lodBiasExtension);
    const struct {
        int position;
        double value;
        const char* label;
    } rows[] = {{-15, -1.5, "-1.5"}, {3, 0.30000000000000004, "0.3"}, {80, 8.0, "8.0"},
                {-80, -8.0, "-8.0"}};
    for (const auto& row : rows) {
        MoveSlider(IDC_LODBIAS_SLIDER, row.position);
        EXPECT_EQ(row.value, viewer.lodBias);
        EXPECT_EQ(row.label, ItemText(IDC_LODBIAS_LABEL));
        GLfloat bias = 99.0f;
        glGetTexEnvfv(GL_TEXTURE_FILTER_CONTROL_EXT, GL_TEXTURE_LOD_BIAS_EXT, &bias);
        EXPECT_EQ(static_cast<float>(row.value), bias);
    }
}

TEST_F(SettingsPanelTest, StageChangeMovesTheTestTextureButNotTheBias)
{
    SKIP_WITHOUT(lodBiasExtension);
    MoveSlider(IDC_ANISO_SLIDER, 2);
    MoveSlider(IDC_LODBIAS_SLIDER, 10);
    MoveSlider(IDC_STAGE_SLIDER, 3);
    EXPECT_EQ(3, viewer.textureStage);
    EXPECT_EQ("3", ItemText(IDC_STAGE_LABEL));
    EXPECT_EQ(GL_TEXTURE0 + 3, ActiveUnit());
    EXPECT_EQ(viewer.textureNames[checkerTexture], BoundTexture());
    EXPECT_EQ(4, BoundTextureParameter(GL_TEXTURE_MAX_ANISOTROPY_EXT));
    GLfloat bias = 99.0f;
    glGetTexEnvfv(GL_TEXTURE_FILTER_CONTROL_EXT, GL_TEXTURE_LOD_BIAS_EXT, &bias);
    EXPECT_EQ(0.0f, bias);  // the new unit's own bias
    EXPECT_EQ("1.0", ItemText(IDC_LODBIAS_LABEL));
    GLint mode = 0;
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(GL_MODULATE, mode);
    viewer.pfnActiveTexture(GL_TEXTURE0);
    EXPECT_EQ(viewer.textureNames[whiteTexture], BoundTexture());
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(GL_REPLACE, mode);
    viewer.pfnActiveTexture(GL_TEXTURE0 + 3);
}

TEST_F(SettingsPanelTest, CheckerDistanceAndFacesSliders)
{
    MoveSlider(IDC_CHECKER_SLIDER, -3);
    EXPECT_EQ(-3, viewer.checkerShift);
    EXPECT_EQ("-3", ItemText(IDC_CHECKER_LABEL));
    std::vector<uint32_t> texels(64 * 64), expected(64 * 64);
    glGetTexImage(GL_TEXTURE_2D, 3, GL_RGBA, GL_UNSIGNED_INT_8_8_8_8, texels.data());
    FillCheckerLevel(expected.data(), 3, -3, Tinted);
    EXPECT_EQ(expected, texels);

    MoveSlider(IDC_DISTANCE_SLIDER, 300);
    EXPECT_EQ(300.0, viewer.scene.planeDistance);
    EXPECT_EQ("30.0", ItemText(IDC_DISTANCE_LABEL));
    MoveSlider(IDC_DISTANCE_SLIDER, 5);
    EXPECT_EQ("0.5", ItemText(IDC_DISTANCE_LABEL));

    MoveSlider(IDC_FACES_SLIDER, 3);
    EXPECT_EQ(3, viewer.scene.tunnelFaces);
    EXPECT_EQ("3", ItemText(IDC_FACES_LABEL));
    EXPECT_EQ(1, TakeFrameCount() > 0);
}

TEST_F(SettingsPanelTest, DraggedSliderAppliesOnItsScrollReport)
{
    // Without a repaint, the slider's own WM_HSCROLL carries the change.
    SendMessageA(Item(IDC_FACES_SLIDER), TBM_SETPOS, FALSE, 50);
    SendMessageA(testPanel, WM_HSCROLL, MAKEWPARAM(TB_THUMBTRACK, 50),
                 reinterpret_cast<LPARAM>(Item(IDC_FACES_SLIDER)));
    EXPECT_EQ(50, viewer.scene.tunnelFaces);
    EXPECT_EQ("50", ItemText(IDC_FACES_LABEL));
}

TEST_F(SettingsPanelTest, ScrollBarsFollowEveryCode)
{
    const struct {
        int id;
        int code;
        int thumb;
        int position;
        double value;
        std::string label;
    } rows[] = {
        {IDC_PLANE_ANGLE_SCROLL, SB_LINELEFT, 0, 0, 0.0, "0.0" + degree},
        {IDC_PLANE_ANGLE_SCROLL, SB_LINERIGHT, 0, 1, 1.0, "1.0" + degree},
        {IDC_PLANE_ANGLE_SCROLL, SB_PAGERIGHT, 0, 11, 11.0, "11.0" + degree},
        {IDC_PLANE_ANGLE_SCROLL, SB_PAGELEFT, 0, 1, 1.0, "1.0" + degree},
        {IDC_PLANE_ANGLE_SCROLL, SB_THUMBTRACK, 90, 90, 90.0, "90.0" + degree},
        {IDC_PLANE_ANGLE_SCROLL, SB_RIGHT, 0, 90, 90.0, "90.0" + degree},
        {IDC_PLANE_ANGLE_SCROLL, SB_THUMBPOSITION, 3, 90, 90.0, "90.0" + degree},
        {IDC_PLANE_ANGLE_SCROLL, SB_LEFT, 0, 89, 89.0, "89.0" + degree},
        {IDC_PLANE_ANGLE_SCROLL, SB_ENDSCROLL, 0, 89, 89.0, "89.0" + degree},
        {IDC_SCENE_ROTATION_SCROLL, SB_THUMBTRACK, 45, 45, 45.0, "45.0" + degree},
        {IDC_TEXTURE_ROTATION_SCROLL, SB_PAGERIGHT, 0, 10, 10.0, "10.0" + degree},
        {IDC_REPEAT_U_SCROLL, SB_THUMBTRACK, 5, 5, 0.5, "0.5"},
        {IDC_REPEAT_U_SCROLL, SB_LINELEFT, 0, 5, 0.5, "0.5"},
        {IDC_REPEAT_U_SCROLL, SB_THUMBTRACK, 200, 200, 20.0, "20.0"},
        {IDC_REPEAT_V_SCROLL, SB_LINERIGHT, 0, 11, 11 * 0.1, "1.1"},
    };
    for (const auto& row : rows) {
        Scroll(row.id, row.code, row.thumb);
        EXPECT_EQ(row.position, GetScrollPos(Item(row.id), SB_CTL)) << row.id << "/" << row.code;
        double field = 0.0;
        int labelId = 0;
        switch (row.id) {
        case IDC_PLANE_ANGLE_SCROLL: field = viewer.scene.planeAngle; labelId = IDC_PLANE_ANGLE_LABEL; break;
        case IDC_SCENE_ROTATION_SCROLL: field = viewer.scene.sceneRotation; labelId = IDC_SCENE_ROTATION_LABEL; break;
        case IDC_TEXTURE_ROTATION_SCROLL: field = viewer.scene.textureRotation; labelId = IDC_TEXTURE_ROTATION_LABEL; break;
        case IDC_REPEAT_U_SCROLL: field = viewer.scene.texScaleU; labelId = IDC_REPEAT_U_LABEL; break;
        default: field = viewer.scene.texScaleV; labelId = IDC_REPEAT_V_LABEL; break;
        }
        EXPECT_EQ(row.value, field) << row.id << "/" << row.code;
        EXPECT_EQ(row.label, ItemText(labelId)) << row.id << "/" << row.code;
        EXPECT_EQ(1, TakeFrameCount()) << row.id << "/" << row.code;  // also at a limit
    }
}

TEST_F(SettingsPanelTest, ScrollReportWithoutScrollBarChangesNothing)
{
    SendMessageA(testPanel, WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), 0);
    SendMessageA(testPanel, WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0),
                 reinterpret_cast<LPARAM>(Item(IDC_BROWSE_BUTTON)));
    EXPECT_EQ(0, TakeFrameCount());
    EXPECT_EQ(0.0, viewer.scene.planeAngle);
}

TEST_F(SettingsPanelTest, FilterListsSetTheTestTexturesFilters)
{
    const GLint minFilters[] = {GL_NEAREST, GL_LINEAR, GL_NEAREST_MIPMAP_NEAREST,
                                GL_LINEAR_MIPMAP_NEAREST, GL_NEAREST_MIPMAP_LINEAR,
                                GL_LINEAR_MIPMAP_LINEAR};
    for (int i = 0; i < 6; ++i) {
        SelectFilter(IDC_MIN_FILTER_LIST, i);
        EXPECT_EQ(static_cast<GLenum>(minFilters[i]), viewer.minFilter);
        EXPECT_EQ(minFilters[i], BoundTextureParameter(GL_TEXTURE_MIN_FILTER));
        EXPECT_EQ(1, TakeFrameCount());
    }
    SelectFilter(IDC_MAG_FILTER_LIST, 0);
    EXPECT_EQ(static_cast<GLenum>(GL_NEAREST), viewer.magFilter);
    EXPECT_EQ(GL_NEAREST, BoundTextureParameter(GL_TEXTURE_MAG_FILTER));
    EXPECT_EQ("NEAREST", ListSelectionText(IDC_MAG_FILTER_LIST));
}

// The focus starts on the first enabled control: on a driver without the
// optional extensions that is the minification list, whose focus
// notifications also redraw. Cases that count frames move it first.
void FocusAwayFromTheLists()
{
    SetFocus(Item(IDC_TUNNEL_RADIO));
    PumpMessages();
    TakeFrameCount();
}

TEST_F(SettingsPanelTest, RadiosChooseSceneAndMipmapColouring)
{
    FocusAwayFromTheLists();
    Click(IDC_PLANE_RADIO);
    EXPECT_TRUE(viewer.scene.plane);
    EXPECT_FALSE(IsChecked(IDC_TUNNEL_RADIO));
    EXPECT_EQ(1, TakeFrameCount());
    Click(IDC_TUNNEL_RADIO);
    EXPECT_FALSE(viewer.scene.plane);

    SelectFilter(IDC_MIN_FILTER_LIST, 2);
    Click(IDC_MIPMAP_FULL_RADIO);
    EXPECT_EQ(FullColored, viewer.mipmapMode);
    EXPECT_FALSE(IsChecked(IDC_MIPMAP_TINTED_RADIO));
    std::vector<uint32_t> level1(256 * 256);
    glGetTexImage(GL_TEXTURE_2D, 1, GL_RGBA, GL_UNSIGNED_INT_8_8_8_8, level1.data());
    EXPECT_EQ(std::vector<uint32_t>(256 * 256, 0xFE000000u), level1);
    // The rebuild keeps the checkerboard's filter.
    EXPECT_EQ(GL_NEAREST_MIPMAP_NEAREST, BoundTextureParameter(GL_TEXTURE_MIN_FILTER));

    Click(IDC_MIPMAP_NORMAL_RADIO);
    EXPECT_EQ(Normal, viewer.mipmapMode);
    glGetTexImage(GL_TEXTURE_2D, 1, GL_RGBA, GL_UNSIGNED_INT_8_8_8_8, level1.data());
    EXPECT_EQ(0xFEFEFE00u, level1[0]);
}

TEST_F(SettingsPanelTest, EnterAndEscapeOnlyRedraw)
{
    FocusAwayFromTheLists();
    for (WPARAM key : {VK_RETURN, VK_ESCAPE}) {
        SetFocus(Item(IDC_FACES_SLIDER));
        PostMessageA(Item(IDC_FACES_SLIDER), WM_KEYDOWN, key, 0);
        PumpMessages();
        EXPECT_TRUE(IsWindow(testPanel));
        EXPECT_TRUE(IsWindowVisible(testPanel));
        EXPECT_EQ(1, TakeFrameCount()) << key;
        EXPECT_EQ(200, viewer.scene.tunnelFaces);
    }
    SendMessageA(testPanel, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(IsWindowVisible(testPanel));
}

TEST_F(SettingsPanelTest, DoubleClickRollsUpToCaptionAndRestoresExactly)
{
    RECT before, clientBefore;
    GetWindowRect(testPanel, &before);
    GetClientRect(testPanel, &clientBefore);
    ASSERT_GT(clientBefore.bottom, 100);
    SendMessageA(testPanel, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
    EXPECT_TRUE(viewer.dialogCollapsed);
    RECT rolled, client;
    GetWindowRect(testPanel, &rolled);
    GetClientRect(testPanel, &client);
    EXPECT_EQ(before.left, rolled.left);
    EXPECT_EQ(before.top, rolled.top);
    EXPECT_EQ(before.right, rolled.right);
    // The caption bar and frame, unless the platform's least height for a
    // captioned window is more.
    const int nonClient = before.bottom - before.top - clientBefore.bottom;
    EXPECT_EQ(std::max(nonClient, GetSystemMetrics(SM_CYMIN)), rolled.bottom - rolled.top);
    EXPECT_GE(rolled.bottom - rolled.top, GetSystemMetrics(SM_CYCAPTION));
    EXPECT_EQ(rolled.bottom - rolled.top - nonClient, client.bottom);
    EXPECT_LT(client.bottom, 10);  // no control shows
    EXPECT_TRUE(IsWindowVisible(testPanel));

    SendMessageA(testPanel, WM_NCLBUTTONDBLCLK, HTBORDER, 0);
    EXPECT_FALSE(viewer.dialogCollapsed);
    RECT after;
    GetWindowRect(testPanel, &after);
    EXPECT_TRUE(EqualRect(&before, &after));
}

// Each case makes its own panel on a driver that lacks one extension.
class MissingExtensionTest : public testing::Test {
protected:
    void TearDown() override { ClosePanel(); }
};

TEST_F(MissingExtensionTest, SlidersOfMissingExtensionsAreDisabledAtZero)
{
    for (int missing = 0; missing < 2; ++missing) {
        ASSERT_NO_FATAL_FAILURE(OpenRenderWindow());
        (missing == 0 ? viewer.anisoSupported : viewer.lodBiasSupported) = false;
        testPanel = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS),
                                       viewer.mainWindow, SettingsDialogProc, 0);
        ASSERT_NE(nullptr, testPanel);
        viewer.settingsDialog = testPanel;
        PumpMessages();
        const int slider = missing == 0 ? IDC_ANISO_SLIDER : IDC_LODBIAS_SLIDER;
        const int other = missing == 0 ? IDC_LODBIAS_SLIDER : IDC_ANISO_SLIDER;
        EXPECT_TRUE(GetWindowLongA(Item(slider), GWL_STYLE) & WS_DISABLED);
        const bool otherOffered = DriverOffers(missing == 0 ? lodBiasExtension : anisoExtension);
        EXPECT_EQ(!otherOffered, (GetWindowLongA(Item(other), GWL_STYLE) & WS_DISABLED) != 0);
        EXPECT_EQ(0, SliderMin(slider));
        EXPECT_EQ(0, SliderMax(slider));
        EXPECT_EQ(0, SliderPos(slider));
        if (missing == 0) {
            EXPECT_EQ("1x", ItemText(IDC_ANISO_LABEL));
            EXPECT_EQ(1, viewer.maxAnisotropy);
            EXPECT_EQ(0, viewer.anisoSliderMax);
        } else {
            EXPECT_EQ("0.0", ItemText(IDC_LODBIAS_LABEL));
            EXPECT_EQ(0.0, viewer.lodBias);
            EXPECT_EQ(0.0, viewer.maxLodBias);
        }
        ClosePanel();
    }
}

TEST_F(MissingExtensionTest, SettlesWithoutAnyPaintNotification)
{
    ASSERT_NO_FATAL_FAILURE(OpenRenderWindow());
    testPanel = CreateDialogParamA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDD_SETTINGS),
                                   viewer.mainWindow, SettingsDialogProc, 0);
    ASSERT_NE(nullptr, testPanel);
    viewer.settingsDialog = testPanel;
    // Nothing paints: the sliders never send their custom-draw notification.
    RedrawWindow(testPanel, nullptr, nullptr, RDW_VALIDATE | RDW_ALLCHILDREN);
    EXPECT_EQ(0, viewer.scene.tunnelFaces);
    PumpMessages();
    EXPECT_EQ(8, viewer.checkerShift);
    EXPECT_EQ(20.0, viewer.scene.planeDistance);
    EXPECT_EQ(200, viewer.scene.tunnelFaces);
    EXPECT_EQ("8", ItemText(IDC_CHECKER_LABEL));
}

}  // namespace
