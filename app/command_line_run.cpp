#include "app/command_line_run.h"

#include <commctrl.h>

#include "app/frame.h"
#include "app/path_capacity.h"
#include "app/standard_streams.h"
#include "app/user_report.h"
#include "app/viewer_state.h"
#include "capture/view_capture.h"
#include "measure/measure_report.h"
#include "render/scene_renderer.h"
#include "textures/dib_reader.h"
#include "ui/resource.h"
#include "ui/settings_panel.h"
#include "ui/settings_values.h"

namespace {

// Each control is moved as the user moves it, and its handler gets the
// message the user's move sends, so labels and frame follow as they would.
void MoveSlider(HWND panel, int id, int position)
{
    HWND slider = GetDlgItem(panel, id);
    SendMessageA(slider, TBM_SETPOS, TRUE, position);
    SendMessageA(panel, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position),
                 reinterpret_cast<LPARAM>(slider));
}

void MoveScrollBar(HWND panel, int id, int position)
{
    HWND scrollBar = GetDlgItem(panel, id);
    SetScrollPos(scrollBar, SB_CTL, position, TRUE);
    SendMessageA(panel, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position),
                 reinterpret_cast<LPARAM>(scrollBar));
}

void ChooseListItem(HWND panel, int id, int index)
{
    HWND list = GetDlgItem(panel, id);
    SendMessageA(list, CB_SETCURSEL, index, 0);
    SendMessageA(panel, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
}

// Checks group[index] and unchecks the rest, as a click on an automatic radio does.
template <size_t count>
void ChooseRadio(HWND panel, const int (&group)[count], int index)
{
    for (size_t i = 0; i < count; ++i)
        SendDlgItemMessageA(panel, group[i], BM_SETCHECK,
                            static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
    SendMessageA(panel, WM_COMMAND, MAKEWPARAM(group[index], BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(panel, group[index])));
}

const int sceneRadios[] = {IDC_PLANE_RADIO, IDC_TUNNEL_RADIO};
const int textureRadios[] = {IDC_CHECKER_RADIO, IDC_USE_BMP_RADIO};
const int mipmapRadios[] = {IDC_MIPMAP_NORMAL_RADIO, IDC_MIPMAP_TINTED_RADIO,
                            IDC_MIPMAP_FULL_RADIO};

// Loads the BMP as Browse does, from its full path as the file dialog gives it.
bool LoadBitmap(HWND panel, const std::string& given, std::string* reason)
{
    char path[pathCapacity] = {};
    const DWORD length = GetFullPathNameA(given.c_str(), pathCapacity, path, nullptr);
    if (length == 0 || length >= static_cast<DWORD>(pathCapacity)) {
        *reason = "cannot read " + given + ": the full path is too long";
        return false;
    }
    if (LoadBitmapAsBrowsed(panel, path))
        return true;
    std::string why = LastDibError();
    while (!why.empty() && (why.back() == '\n' || why.back() == '.'))
        why.pop_back();
    *reason = "cannot read " + std::string(path) + ": " +
              (why.empty() ? "the picture cannot be made into a texture" : why);
    return false;
}

bool ApplyOptions(HWND panel, const CaptureOptions& o, std::string* reason)
{
    if (o.scene)
        ChooseRadio(panel, sceneRadios, *o.scene);
    if (o.distance)
        MoveSlider(panel, IDC_DISTANCE_SLIDER, *o.distance);
    if (o.angle)
        MoveScrollBar(panel, IDC_PLANE_ANGLE_SCROLL, *o.angle);
    if (o.faces)
        MoveSlider(panel, IDC_FACES_SLIDER, *o.faces);
    if (o.repeatU)
        MoveScrollBar(panel, IDC_REPEAT_U_SCROLL, *o.repeatU);
    if (o.repeatV)
        MoveScrollBar(panel, IDC_REPEAT_V_SCROLL, *o.repeatV);
    if (o.sceneRotation)
        MoveScrollBar(panel, IDC_SCENE_ROTATION_SCROLL, *o.sceneRotation);
    if (o.textureRotation)
        MoveScrollBar(panel, IDC_TEXTURE_ROTATION_SCROLL, *o.textureRotation);
    if (o.minFilter)
        ChooseListItem(panel, IDC_MIN_FILTER_LIST, *o.minFilter);
    if (o.magFilter)
        ChooseListItem(panel, IDC_MAG_FILTER_LIST, *o.magFilter);
    if (o.aniso)
        MoveSlider(panel, IDC_ANISO_SLIDER, *o.aniso);
    // The LOD bias belongs to a unit: set after the stage, it acts on the
    // unit that carries the texture.
    if (o.stage)
        MoveSlider(panel, IDC_STAGE_SLIDER, *o.stage);
    if (o.lodBias)
        MoveSlider(panel, IDC_LODBIAS_SLIDER, *o.lodBias);
    // The mipmaps first, so a BMP loaded next is built with them; the
    // checkerboard slider shows the checkerboard, so it comes before the BMP.
    if (o.mipmaps)
        ChooseRadio(panel, mipmapRadios, *o.mipmaps);
    if (o.checker)
        MoveSlider(panel, IDC_CHECKER_SLIDER, *o.checker);
    if (o.bmp && !LoadBitmap(panel, *o.bmp, reason))
        return false;
    if (o.texture)
        ChooseRadio(panel, textureRadios, *o.texture);
    // Last, what the panel does not show: the colouring each texture was
    // built with (the radios above rebuild only the shown one), and the bias
    // each unit keeps.
    if (o.checkerMipmaps && *o.checkerMipmaps != viewer.checkerMipmaps)
        RebuildTextureColouring(panel, false, *o.checkerMipmaps);
    if (o.bmpMipmaps && viewer.bitmapLoaded && *o.bmpMipmaps != viewer.bitmapMipmaps &&
        !RebuildTextureColouring(panel, true, *o.bmpMipmaps)) {
        *reason = "cannot read " + *o.bmp + ": the picture cannot be made into a texture";
        return false;
    }
    if (o.unitLodBiases) {
        std::vector<double> biases;
        for (int tenths : *o.unitLodBiases)
            biases.push_back(TenthsForPosition(tenths));
        SetUnitLodBiases(biases);
        RenderScene();
    }
    return true;
}

DriverLimits CurrentDriverLimits()
{
    DriverLimits limits;
    limits.anisoSliderMax = viewer.anisoSliderMax;
    limits.lodBiasHalfRange = LodBiasSliderHalfRange(viewer.maxLodBias);
    limits.textureUnitCount = viewer.textureUnitCount;
    return limits;
}

// A terminal shows a person the run going on and a file keeps it as a log; a
// pipe is read by a program, which is told the closing failure line only.
bool ProgressGoesToStandardError()
{
    const DWORD type = GetFileType(GetStdHandle(STD_ERROR_HANDLE));
    return type == FILE_TYPE_CHAR || type == FILE_TYPE_DISK;
}

bool PrintMeasureStep(int step, int count, const char* name)
{
    WriteStandardStream(true, "quorvane: measuring " + std::to_string(step) + " of " +
                                  std::to_string(count) + ": " + name + "\n");
    return true;
}

int EndProgram(int exitCode)
{
    DestroyWindow(viewer.mainWindow);
    return exitCode;
}

// A batch run's closing line, and its exit code 1.
int EndWithFailure(const std::string& line)
{
    UserReport report;
    report.text = "quorvane: " + line;
    TellUser(report);
    return EndProgram(1);
}

}  // namespace

void ReportCommandLineError(const std::string& line)
{
    UserReport report;
    report.text = "quorvane: " + line;
    report.line = UserReport::AlwaysLine;
    TellUser(report);
}

int RunCommandLine(HWND panel, const CaptureOptions& options,
                   const std::vector<Expectation>& expectations)
{
    const bool screenshot = options.screenshot.has_value();
    const bool measure = options.measure.has_value();
    const std::string error = CheckDriverLimits(options, CurrentDriverLimits());
    if (!error.empty()) {
        ReportCommandLineError(error);
        return EndProgram(2);
    }
    std::string reason;
    // The report's folder is checked before anything runs for it.
    if (measure && !PrepareReportFolder(*options.measure, &reason))
        return EndWithFailure("cannot write " + *options.measure + ": " + reason);
    if (!ApplyOptions(panel, options, &reason) && viewer.batchRun)
        return EndWithFailure(reason);
    if (!screenshot && !measure)
        return -1;
    if (screenshot && !CaptureView(options.screenshot->c_str(), &reason))
        return EndWithFailure("cannot write " + reason);
    const MeasureProgress progress =
        ProgressGoesToStandardError() ? MeasureProgress(PrintMeasureStep) : MeasureProgress();
    std::string reportJson;
    if (measure && !WriteMeasureReport(*options.measure, &reason, progress, &reportJson))
        return EndWithFailure("cannot write " + reason);
    if (options.expect) {
        bool passed = true;
        if (!WriteExpectationOutcome(*options.measure, reportJson, expectations, &passed, &reason))
            return EndWithFailure("cannot write " + reason);
        if (!passed)
            return EndProgram(3);
    }
    return EndProgram(0);
}
