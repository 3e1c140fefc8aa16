#include "ui/settings_panel.h"

#include <commctrl.h>
#include <commdlg.h>

#include "app/file_dialog.h"
#include "app/frame.h"
#include "app/path_capacity.h"
#include "app/user_report.h"
#include "app/viewer_state.h"
#include "app/gl_constants.h"
#include "render/scene_renderer.h"
#include "textures/bitmap_texture.h"
#include "textures/checker_texture.h"
#include "textures/dib_reader.h"
#include "ui/resource.h"
#include "ui/settings_values.h"

namespace {

// Posted to the panel from its initialisation: once the message loop runs, the
// sliders' values are applied whether or not the platform's sliders notify when
// they paint. The equality test makes a second application a no-op.
const UINT settleSlidersMessage = WM_APP + 1;

const int sliderIds[] = {IDC_ANISO_SLIDER,    IDC_LODBIAS_SLIDER, IDC_CHECKER_SLIDER,
                         IDC_DISTANCE_SLIDER, IDC_FACES_SLIDER,   IDC_STAGE_SLIDER};

LRESULT SendItem(HWND panel, int id, UINT message, WPARAM wParam, LPARAM lParam)
{
    return SendDlgItemMessageA(panel, id, message, wParam, lParam);
}

// Range and position of a slider, both with redraw.
void SetSlider(HWND panel, int id, int minimum, int maximum, int position)
{
    SendItem(panel, id, TBM_SETRANGE, TRUE, MAKELONG(minimum, maximum));
    SendItem(panel, id, TBM_SETPOS, TRUE, position);
}

// Range without redraw, position with redraw.
void SetScrollBar(HWND panel, int id, int minimum, int maximum, int position)
{
    HWND scrollBar = GetDlgItem(panel, id);
    SetScrollRange(scrollBar, SB_CTL, minimum, maximum, FALSE);
    SetScrollPos(scrollBar, SB_CTL, position, TRUE);
}

// Disables a control by its style bit.
void DisableControl(HWND panel, int id)
{
    HWND control = GetDlgItem(panel, id);
    SetWindowLongA(control, GWL_STYLE, GetWindowLongA(control, GWL_STYLE) | WS_DISABLED);
}

void SetCheck(HWND panel, int id, bool checked)
{
    SendItem(panel, id, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// Puts the chosen test texture on the active unit with the panel's filters.
void SelectTestTexture(bool bitmap)
{
    viewer.useBitmap = bitmap;
    glBindTexture(GL_TEXTURE_2D, viewer.textureNames[bitmap ? bitmapTexture : checkerTexture]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, static_cast<GLint>(viewer.minFilter));
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, static_cast<GLint>(viewer.magFilter));
    // Also without the extension: OpenGL then refuses it, harmlessly.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, viewer.maxAnisotropy);
}

void InitialiseSettings(HWND panel)
{
    viewer.maxAnisotropy = 1;
    viewer.anisoSliderMax = AnisoSliderMaxFor(viewer.anisoSupported ? viewer.anisotropyLimit : 1.0);
    SetSlider(panel, IDC_ANISO_SLIDER, 0, viewer.anisoSliderMax, 0);
    if (!viewer.anisoSupported)
        DisableControl(panel, IDC_ANISO_SLIDER);

    viewer.lodBias = 0.0;
    const double lodBiasLimit = viewer.lodBiasSupported ? LodBiasLimitFor(viewer.lodBiasLimit) : 0.0;
    viewer.maxLodBias = lodBiasLimit;
    const int lodHalfRange = LodBiasSliderHalfRange(lodBiasLimit);
    SetSlider(panel, IDC_LODBIAS_SLIDER, -lodHalfRange, lodHalfRange, 0);
    if (!viewer.lodBiasSupported)
        DisableControl(panel, IDC_LODBIAS_SLIDER);

    // These three sliders start away from the stored value; their first
    // notification brings the field to them.
    viewer.checkerShift = 0;
    SetSlider(panel, IDC_CHECKER_SLIDER, -8, 8, 8);
    viewer.scene.planeDistance = 0.0;
    SetSlider(panel, IDC_DISTANCE_SLIDER, 5, 300, 20);
    viewer.scene.tunnelFaces = 0;
    SetSlider(panel, IDC_FACES_SLIDER, 3, 400, 200);

    viewer.scene.planeAngle = 0.0;
    SetScrollBar(panel, IDC_PLANE_ANGLE_SCROLL, 0, 90, 0);
    viewer.scene.sceneRotation = 0.0;
    SetScrollBar(panel, IDC_SCENE_ROTATION_SCROLL, 0, 90, 0);
    viewer.scene.textureRotation = 0.0;
    SetScrollBar(panel, IDC_TEXTURE_ROTATION_SCROLL, 0, 90, 0);
    viewer.scene.texScaleU = 10.5;
    SetScrollBar(panel, IDC_REPEAT_U_SCROLL, 5, 200, 105);
    viewer.scene.texScaleV = 1.0;
    SetScrollBar(panel, IDC_REPEAT_V_SCROLL, 5, 200, 10);

    viewer.textureStage = 0;
    BindTextureStages();
    SetSlider(panel, IDC_STAGE_SLIDER, 0, viewer.textureUnitCount - 1, 0);

    viewer.minFilter = GL_LINEAR_MIPMAP_LINEAR;
    for (int i = 0; i < minFilterCount; ++i)
        SendItem(panel, IDC_MIN_FILTER_LIST, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(filterTable[i].text));
    SendItem(panel, IDC_MIN_FILTER_LIST, CB_SETCURSEL, 5, 0);
    viewer.magFilter = GL_LINEAR;
    for (int i = 0; i < magFilterCount; ++i)
        SendItem(panel, IDC_MAG_FILTER_LIST, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(filterTable[i].text));
    SendItem(panel, IDC_MAG_FILTER_LIST, CB_SETCURSEL, 1, 0);

    viewer.useBitmap = false;
    SetCheck(panel, IDC_CHECKER_RADIO, true);
    viewer.scene.plane = false;
    SetCheck(panel, IDC_TUNNEL_RADIO, true);
    viewer.mipmapMode = Tinted;
    SetCheck(panel, IDC_MIPMAP_TINTED_RADIO, true);

    PostMessageA(panel, settleSlidersMessage, 0, 0);
    RenderScene();
}

// A slider's value reaches its field, its label and OpenGL, unless the field
// already holds it: sliders notify on every paint.
void ApplySlider(HWND panel, int id)
{
    const int p = static_cast<int>(SendItem(panel, id, TBM_GETPOS, 0, 0));
    char label[32];
    switch (id) {
    case IDC_ANISO_SLIDER: {
        const int v = AnisotropyForPosition(p);
        if (v == viewer.maxAnisotropy)
            return;
        viewer.maxAnisotropy = v;
        SetDlgItemTextA(panel, IDC_ANISO_LABEL, FormatAnisotropyLabel(label, sizeof(label), v));
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, v);
        RenderScene();
        return;
    }
    case IDC_LODBIAS_SLIDER: {
        const double v = TenthsForPosition(p);
        if (v == viewer.lodBias)
            return;
        viewer.lodBias = v;
        SetDlgItemTextA(panel, IDC_LODBIAS_LABEL, FormatDecimalLabel(label, sizeof(label), v));
        glTexEnvf(GL_TEXTURE_FILTER_CONTROL_EXT, GL_TEXTURE_LOD_BIAS_EXT, static_cast<float>(v));
        RenderScene();
        return;
    }
    case IDC_CHECKER_SLIDER:
        if (p == viewer.checkerShift)
            return;
        viewer.checkerShift = p;
        SetDlgItemTextA(panel, IDC_CHECKER_LABEL, FormatIntegerLabel(label, sizeof(label), p));
        BuildCheckerTexture();
        // Moving the checkerboard slider always shows the checkerboard.
        SetCheck(panel, IDC_USE_BMP_RADIO, false);
        SetCheck(panel, IDC_CHECKER_RADIO, true);
        SendMessageA(panel, WM_COMMAND, IDC_CHECKER_RADIO, 0);
        return;
    case IDC_DISTANCE_SLIDER: {
        const double v = p;
        if (v == viewer.scene.planeDistance)
            return;
        viewer.scene.planeDistance = v;
        SetDlgItemTextA(panel, IDC_DISTANCE_LABEL,
                        FormatDecimalLabel(label, sizeof(label), TenthsForPosition(p)));
        RenderScene();
        return;
    }
    case IDC_FACES_SLIDER:
        if (p == viewer.scene.tunnelFaces)
            return;
        viewer.scene.tunnelFaces = p;
        SetDlgItemTextA(panel, IDC_FACES_LABEL, FormatIntegerLabel(label, sizeof(label), p));
        RenderScene();
        return;
    case IDC_STAGE_SLIDER:
        if (p == viewer.textureStage)
            return;
        viewer.textureStage = p;
        SetDlgItemTextA(panel, IDC_STAGE_LABEL, FormatIntegerLabel(label, sizeof(label), p));
        BindTextureStages();
        RenderScene();
        return;
    default:
        return;
    }
}

bool IsSlider(int id)
{
    for (int sliderId : sliderIds)
        if (sliderId == id)
            return true;
    return false;
}

// Lets the user pick a picture file and, when it loads, shows it as test texture.
void BrowseForBitmap(HWND panel)
{
    char path[pathCapacity] = {};
    // Pictures: what the imaging component decodes on every system since Vista.
    OPENFILENAMEA dialog =
        FileDialog(panel,
                   "Pictures\0*.bmp;*.dib;*.png;*.jpg;*.jpeg;*.jpe;*.jfif;*.gif;*.tif;*.tiff;*.ico\0"
                   "BMP\0*.bmp\0All\0*.*\0\0",
                   path, OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST);
    if (GetOpenFileNameA(&dialog))
        LoadBitmapAsBrowsed(panel, path);
    else
        RenderScene();
}

// New mip colouring: the shown texture is made again with it.
void RebuildMipmaps(HWND panel, MipmapMode mode)
{
    viewer.mipmapMode = mode;
    if (viewer.useBitmap) {
        char path[pathCapacity] = {};
        GetDlgItemTextA(panel, IDC_BROWSE_BUTTON, path, pathCapacity);
        if (!LoadBitmapTexture(path))
            TellPictureFailure();
        SelectTestTexture(true);
    } else {
        BuildCheckerTexture();
    }
    RenderScene();
}

}  // namespace

bool RebuildTextureColouring(HWND panel, bool bitmap, int mipmapMode)
{
    const MipmapMode radios = viewer.mipmapMode;
    viewer.mipmapMode = static_cast<MipmapMode>(mipmapMode);
    bool built = true;
    if (bitmap) {
        char path[pathCapacity] = {};
        GetDlgItemTextA(panel, IDC_BROWSE_BUTTON, path, pathCapacity);
        built = LoadBitmapTexture(path);
    } else {
        BuildCheckerTexture();
    }
    viewer.mipmapMode = radios;
    // Building binds the texture built; the shown one goes back on its unit.
    SelectTestTexture(viewer.useBitmap);
    RenderScene();
    return built;
}

namespace {

void ApplyFilterList(HWND panel, int id, GLenum pname, GLenum& field)
{
    const LRESULT index = SendItem(panel, id, CB_GETCURSEL, 0, 0);
    // A list always holds a selection; a stray CB_ERR must not index the table.
    const int limit = id == IDC_MIN_FILTER_LIST ? minFilterCount : magFilterCount;
    if (index >= 0 && index < limit) {
        field = filterTable[index].filter;
        glTexParameteri(GL_TEXTURE_2D, pname, static_cast<GLint>(field));
    }
    RenderScene();
}

void HandleCommand(HWND panel, int id)
{
    switch (id) {
    case IDC_MIN_FILTER_LIST:
        ApplyFilterList(panel, id, GL_TEXTURE_MIN_FILTER, viewer.minFilter);
        break;
    case IDC_MAG_FILTER_LIST:
        ApplyFilterList(panel, id, GL_TEXTURE_MAG_FILTER, viewer.magFilter);
        break;
    case IDC_USE_BMP_RADIO:
        if (viewer.bitmapLoaded)
            SelectTestTexture(true);
        else
            SendMessageA(panel, WM_COMMAND, IDC_BROWSE_BUTTON, 0);
        RenderScene();
        break;
    case IDC_BROWSE_BUTTON:
        BrowseForBitmap(panel);
        break;
    case IDC_CHECKER_RADIO:
        SelectTestTexture(false);
        RenderScene();
        break;
    case IDC_MIPMAP_NORMAL_RADIO:
        RebuildMipmaps(panel, Normal);
        break;
    case IDC_MIPMAP_TINTED_RADIO:
        RebuildMipmaps(panel, Tinted);
        break;
    case IDC_MIPMAP_FULL_RADIO:
        RebuildMipmaps(panel, FullColored);
        break;
    case IDC_PLANE_RADIO:
        viewer.scene.plane = true;
        RenderScene();
        break;
    case IDC_TUNNEL_RADIO:
        viewer.scene.plane = false;
        RenderScene();
        break;
    default:  // IDOK and IDCANCEL among them: Enter, Escape, a close request
        RenderScene();
        break;
    }
}

// Scroll bars: move by the code, let the bar clamp, then store and redraw.
void HandleScroll(HWND panel, HWND scrollBar, int code, int thumbPosition)
{
    const int id = scrollBar != nullptr ? GetDlgCtrlID(scrollBar) : 0;
    double* field = nullptr;
    bool tenths = false;
    int labelId = 0;
    switch (id) {
    case IDC_PLANE_ANGLE_SCROLL:
        field = &viewer.scene.planeAngle;
        labelId = IDC_PLANE_ANGLE_LABEL;
        break;
    case IDC_SCENE_ROTATION_SCROLL:
        field = &viewer.scene.sceneRotation;
        labelId = IDC_SCENE_ROTATION_LABEL;
        break;
    case IDC_TEXTURE_ROTATION_SCROLL:
        field = &viewer.scene.textureRotation;
        labelId = IDC_TEXTURE_ROTATION_LABEL;
        break;
    case IDC_REPEAT_U_SCROLL:
        field = &viewer.scene.texScaleU;
        labelId = IDC_REPEAT_U_LABEL;
        tenths = true;
        break;
    case IDC_REPEAT_V_SCROLL:
        field = &viewer.scene.texScaleV;
        labelId = IDC_REPEAT_V_LABEL;
        tenths = true;
        break;
    default:
        // Sliders report their movement here too; while one is dragged its
        // value applies at once, whatever the platform's paint notifications.
        if (IsSlider(id))
            ApplySlider(panel, id);
        return;
    }
    const int current = GetScrollPos(scrollBar, SB_CTL);
    SetScrollPos(scrollBar, SB_CTL, ScrollPositionAfter(code, current, thumbPosition), TRUE);
    const int p = GetScrollPos(scrollBar, SB_CTL);
    char label[32];
    if (tenths) {
        *field = TenthsForPosition(p);
        SetDlgItemTextA(panel, labelId, FormatDecimalLabel(label, sizeof(label), *field));
    } else {
        *field = p;
        SetDlgItemTextA(panel, labelId, FormatDegreeLabel(label, sizeof(label), *field));
    }
    RenderScene();
}

// Rolls the panel up to its caption bar and frame, or back to the saved size.
void ToggleRollUp(HWND panel)
{
    if (!viewer.dialogCollapsed) {
        GetWindowRect(panel, &viewer.dialogRect);
        // Keep exactly the caption bar and frame: the window's height less its
        // client area. A height the window manager is left to raise is not
        // raised everywhere, and a panel 0 pixels high could not come back.
        RECT client;
        GetClientRect(panel, &client);
        const int frameHeight =
            viewer.dialogRect.bottom - viewer.dialogRect.top - (client.bottom - client.top);
        SetWindowPos(panel, nullptr, 0, 0, viewer.dialogRect.right - viewer.dialogRect.left,
                     frameHeight, SWP_NOMOVE | SWP_NOZORDER);
        viewer.dialogCollapsed = true;
    } else {
        SetWindowPos(panel, nullptr, 0, 0, viewer.dialogRect.right - viewer.dialogRect.left,
                     viewer.dialogRect.bottom - viewer.dialogRect.top, SWP_NOMOVE | SWP_NOZORDER);
        viewer.dialogCollapsed = false;
    }
}

}  // namespace

void TellPictureFailure()
{
    // Without a reason (no memory for the levels) nothing is said, as ever.
    if (LastDibError()[0] == '\0')
        return;
    UserReport report;
    report.text = LastDibError();
    report.owner = GetFocus();
    report.caption = "Error";
    // A batch run's closing line names the file and this reason.
    report.line = UserReport::NoLine;
    TellUser(report);
}

bool LoadBitmapAsBrowsed(HWND panel, const char* path)
{
    const bool loaded = LoadBitmapTexture(path);
    if (loaded) {
        viewer.bitmapLoaded = true;
        SetCheck(panel, IDC_USE_BMP_RADIO, true);
        SetCheck(panel, IDC_CHECKER_RADIO, false);
        SendMessageA(panel, WM_COMMAND, IDC_USE_BMP_RADIO, 0);
        // The button keeps the path for later rebuilds.
        SetDlgItemTextA(panel, IDC_BROWSE_BUTTON, path);
    } else {
        TellPictureFailure();
    }
    RenderScene();
    return loaded;
}

INT_PTR CALLBACK SettingsDialogProc(HWND panel, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        InitialiseSettings(panel);
        return TRUE;
    case WM_NOTIFY:
        ApplySlider(panel, static_cast<int>(wParam));
        return TRUE;
    case WM_COMMAND:
        HandleCommand(panel, LOWORD(wParam));
        return TRUE;
    case WM_HSCROLL:
        HandleScroll(panel, reinterpret_cast<HWND>(lParam), LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_NCLBUTTONDBLCLK:
        ToggleRollUp(panel);
        return TRUE;
    case WM_DROPFILES:
        // Dropped on the panel or the render window alike: the window loads it.
        SendMessageA(viewer.mainWindow, WM_DROPFILES, wParam, lParam);
        return TRUE;
    case WM_DESTROY:
        // The message loop must not hand messages to a panel that is gone.
        if (viewer.settingsDialog == panel)
            viewer.settingsDialog = nullptr;
        return FALSE;
    case settleSlidersMessage:
        for (int id : sliderIds)
            ApplySlider(panel, id);
        return TRUE;
    default:
        return FALSE;
    }
}
