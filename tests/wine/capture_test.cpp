// Capturing and replaying a view: PNG files, the save dialog, and the real
// program run from the command line and through its panel.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <wincodec.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "app/viewer_state.h"
#include "capture/file_output.h"
#include "capture/view_capture.h"
#include "common/bmp_writer.h"
#include "common/flat_json.h"
#include "ui/resource.h"
#include "wine/panel_support.h"
#include "wine/program_support.h"
#include "wine/support.h"

namespace {

struct Picture {
    UINT width = 0;
    UINT height = 0;
    std::vector<unsigned char> rgb;  // top row first
};

// Decodes a PNG with the platform's codec into red, green, blue.
bool ReadPng(const std::string& path, Picture& picture)
{
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory* factory = nullptr;
    IWICBitmapDecoder* decoder = nullptr;
    IWICBitmapFrameDecode* frame = nullptr;
    IWICBitmapSource* converted = nullptr;
    std::vector<wchar_t> widePath(path.size() + 1);
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, widePath.data(), static_cast<int>(widePath.size()));
    bool read = SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                           IID_PPV_ARGS(&factory))) &&
                SUCCEEDED(factory->CreateDecoderFromFilename(widePath.data(), nullptr, GENERIC_READ,
                                                             WICDecodeMetadataCacheOnDemand, &decoder)) &&
                SUCCEEDED(decoder->GetFrame(0, &frame)) &&
                SUCCEEDED(WICConvertBitmapSource(GUID_WICPixelFormat24bppBGR, frame, &converted)) &&
                SUCCEEDED(converted->GetSize(&picture.width, &picture.height));
    if (read) {
        picture.rgb.resize(static_cast<size_t>(picture.width) * picture.height * 3);
        read = SUCCEEDED(converted->CopyPixels(nullptr, picture.width * 3,
                                               static_cast<UINT>(picture.rgb.size()), picture.rgb.data()));
        for (size_t i = 0; i + 2 < picture.rgb.size(); i += 3)
            std::swap(picture.rgb[i], picture.rgb[i + 2]);
    }
    for (IUnknown* held : {static_cast<IUnknown*>(converted), static_cast<IUnknown*>(frame),
                           static_cast<IUnknown*>(decoder), static_cast<IUnknown*>(factory)})
        if (held != nullptr)
            held->Release();
    CoUninitialize();
    return read;
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Names of the files in a folder; with `remove` they are deleted.
std::vector<std::string> FolderFiles(const std::string& folder, bool remove = false)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
            !(remove && DeleteFileA((folder + found.cFileName).c_str())))
            names.push_back(found.cFileName);
    if (search != INVALID_HANDLE_VALUE)
        FindClose(search);
    return names;
}

// An empty folder for one test's files, kept for people after the run.
std::string CaptureFolder(const std::string& name)
{
    const std::string folder = TestDirectory() + "captures\\" + name + "\\";
    CreateDirectoryA((TestDirectory() + "captures").c_str(), nullptr);
    CreateDirectoryA(folder.c_str(), nullptr);
    FolderFiles(folder, true);
    return folder;
}

TEST(Capture, PngKeepsEveryPixelItsRowsAndChannels)
{
    const std::string path = CaptureFolder("png") + "odd.png";
    // 5 x 3: rows of 15 bytes, not a multiple of 4; every byte different.
    std::vector<unsigned char> bottomUp(5 * 3 * 3);
    for (size_t i = 0; i < bottomUp.size(); ++i)
        bottomUp[i] = static_cast<unsigned char>(i * 5 + 1);
    std::ofstream(path) << "an older file";
    std::string reason;
    ASSERT_TRUE(WritePngFile(path.c_str(), 5, 3, bottomUp.data(), &reason)) << reason;
    Picture picture;
    ASSERT_TRUE(ReadPng(path, picture));
    ASSERT_EQ(5u * 3u, picture.width * picture.height);
    for (int row = 0; row < 3; ++row)
        for (int byte = 0; byte < 15; ++byte)
            EXPECT_EQ(bottomUp[(2 - row) * 15 + byte], picture.rgb[row * 15 + byte]) << row << " " << byte;
}

TEST(Capture, SaveFailureTellsThePathAndReasonAndWritesNothing)
{
    ASSERT_NO_FATAL_FAILURE(OpenPanel());
    const std::string folder = CaptureFolder("dialog");
    // The record's temporary name is taken by a folder: the picture goes too.
    CreateDirectoryA((folder + "blocked.json.partial").c_str(), nullptr);
    {
        FileDialogAnswerer answerer(folder + "blocked.png");
        MessageBoxCatcher catcher;
        SaveViewWithDialog(testPanel);
        EXPECT_EQ(testPanel, answerer.owner);
        ASSERT_EQ(1u, catcher.boxes.size());
        const std::string& text = catcher.boxes[0].text;
        EXPECT_EQ(0u, text.find("The view could not be saved.\n" + folder + "blocked.json: ")) << text;
        EXPECT_GT(text.size(), text.find(".json: ") + 8) << "the system's reason follows";
        EXPECT_EQ(testPanel, catcher.boxes[0].owner);
    }
    RemoveDirectoryA((folder + "blocked.json.partial").c_str());
    EXPECT_TRUE(FolderFiles(folder).empty());
    ClosePanel();
}

// Sends the running program's panel what a user's move of a control sends.
void Move(HWND panel, int id, int position)
{
    HWND control = GetDlgItem(panel, id);
    char className[64] = {};
    GetClassNameA(control, className, sizeof(className));
    if (lstrcmpiA(className, "ComboBox") == 0) {
        SendMessageA(control, CB_SETCURSEL, position, 0);
        SendMessageA(panel, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(control));
        return;
    }
    if (lstrcmpiA(className, "ScrollBar") != 0)
        SendMessageA(control, TBM_SETPOS, TRUE, position);
    SendMessageA(panel, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, position), reinterpret_cast<LPARAM>(control));
}

bool WaitForFile(const std::string& path, DWORD timeoutMs)
{
    for (DWORD waited = 0; waited < timeoutMs; waited += 100) {
        if (Exists(path))
            return true;
        Sleep(100);
    }
    return false;
}

// The record's settings as options, each value quoted.
std::string OptionsFromRecord(std::map<std::string, std::string>& record)
{
    const char* const keys[][2] = {
        {"scene", "--scene"}, {"distance", "--distance"}, {"angle", "--angle"},
        {"faces", "--faces"}, {"minFilter", "--min-filter"}, {"magFilter", "--mag-filter"},
        {"anisotropy", "--aniso"}, {"lodBias", "--lod-bias"}, {"texture", "--texture"},
        {"checker", "--checker"}, {"bmp", "--bmp"}, {"mipmaps", "--mipmaps"},
        {"repeatU", "--repeat-u"}, {"repeatV", "--repeat-v"}, {"stage", "--stage"},
        {"sceneRotation", "--scene-rotation"}, {"textureRotation", "--texture-rotation"}};
    std::string options;
    for (const auto& key : keys) {
        const std::string value = record[std::string("settings.") + key[0]];
        if (value != "null")
            options += std::string(key[1]) + " \"" + value + "\" ";
    }
    return options;
}

TEST(CaptureProgram, CtrlSSavesAViewThatTheCommandLineReplays)
{
    // The views set the anisotropy and the LOD bias.
    SKIP_WITHOUT(anisoExtension);
    SKIP_WITHOUT(lodBiasExtension);
    const std::string folder = CaptureFolder("replay");
    RunningProgram program;
    ASSERT_NO_FATAL_FAILURE(StartProgram(program));
    ASSERT_TRUE(WaitForSettledPanel(program.panel));
    HWND panel = program.panel;
    SendMessageA(GetDlgItem(panel, IDC_PLANE_RADIO), BM_CLICK, 0, 0);
    SendMessageA(GetDlgItem(panel, IDC_MIPMAP_FULL_RADIO), BM_CLICK, 0, 0);
    // Filters NEAREST_MIPMAP_LINEAR and NEAREST, 4x; the LOD bias after the stage.
    const int moves[][2] = {{IDC_DISTANCE_SLIDER, 45},     {IDC_PLANE_ANGLE_SCROLL, 72},
                            {IDC_REPEAT_U_SCROLL, 25},     {IDC_REPEAT_V_SCROLL, 35},
                            {IDC_SCENE_ROTATION_SCROLL, 30}, {IDC_TEXTURE_ROTATION_SCROLL, 15},
                            {IDC_MIN_FILTER_LIST, 4},      {IDC_MAG_FILTER_LIST, 0},
                            {IDC_ANISO_SLIDER, 2},         {IDC_STAGE_SLIDER, 2},
                            {IDC_LODBIAS_SLIDER, 7},       {IDC_CHECKER_SLIDER, 3}};
    for (const auto& move : moves)
        Move(panel, move[0], move[1]);
    ASSERT_TRUE(WaitForText(panel, IDC_CHECKER_LABEL, "3", 5000));

    SetForegroundWindow(program.renderWindow);
    Sleep(200);
    PressCtrlS();
    const std::string saved = folder + "saved.png";
    const std::string proposed = AnswerSaveDialog(program.renderWindow, saved);
    EXPECT_TRUE(std::regex_match(proposed, std::regex("quorvane-[0-9]{8}-[0-9]{6}\\.png"))) << proposed;
    ASSERT_TRUE(WaitForFile(folder + "saved.json", 15000));
    EXPECT_EQ(0u, CloseProgram(program));

    std::map<std::string, std::string> record;
    ASSERT_TRUE(flat_json::Read(FileText(folder + "saved.json"), record));
    EXPECT_EQ("plane", record["settings.scene"]);
    EXPECT_EQ("4.5", record["settings.distance"]);
    EXPECT_EQ("0.7", record["settings.lodBias"]);
    EXPECT_EQ("4", record["settings.anisotropy"]);

    const FinishedRun replay =
        RunProgramToEnd(OptionsFromRecord(record) + "--screenshot \"" + folder + "replay.png\"");
    EXPECT_EQ(0u, replay.exitCode) << replay.err;
    EXPECT_EQ("", replay.err);
    EXPECT_EQ("", replay.boxes);
    std::map<std::string, std::string> replayed;
    ASSERT_TRUE(flat_json::Read(FileText(folder + "replay.json"), replayed));
    EXPECT_EQ(record, replayed);

    Picture panelPicture, replayPicture;
    ASSERT_TRUE(ReadPng(saved, panelPicture));
    ASSERT_TRUE(ReadPng(folder + "replay.png", replayPicture));
    EXPECT_EQ(800u * 600u, replayPicture.width * replayPicture.height);
    EXPECT_TRUE(panelPicture.rgb == replayPicture.rgb) << "the same frame, pixel for pixel";
    // The plane tilted away leaves the clear grey at the top, not at the bottom.
    const std::vector<unsigned char>& rgb = replayPicture.rgb;
    EXPECT_EQ(0x333333, rgb[0] << 16 | rgb[1] << 8 | rgb[2]);
    const size_t bottom = (599 * 800 + 400) * 3;
    EXPECT_NE(0x333333, rgb[bottom] << 16 | rgb[bottom + 1] << 8 | rgb[bottom + 2]);
}

TEST(CaptureProgram, OptionsSetThePanelAsAUserWould)
{
    // The views set the anisotropy and the LOD bias.
    SKIP_WITHOUT(anisoExtension);
    SKIP_WITHOUT(lodBiasExtension);
    const std::string folder = CaptureFolder("panel");
    WriteFileBytes(folder + "card.bmp", bmp::WriteBmp(bmp::Format{}).bytes);
    RunningProgram program;
    // The BMP after the checkerboard slider, which would show the checkerboard.
    ASSERT_NO_FATAL_FAILURE(StartProgram(
        program, "--bmp \"" + folder + ".\\card.bmp\" --scene plane --distance 12.5 --angle 30 --faces 50 "
                 "--repeat-u 3.5 --lod-bias -1.0 --aniso 8x --checker -2 --texture-rotation 45.0 --stage 1"));
    const struct {
        int id;
        const char* text;
    } labels[] = {{IDC_DISTANCE_LABEL, "12.5"}, {IDC_PLANE_ANGLE_LABEL, "30.0\xB0"},
                  {IDC_FACES_LABEL, "50"},      {IDC_REPEAT_U_LABEL, "3.5"},
                  {IDC_REPEAT_V_LABEL, "1.0"},  {IDC_LODBIAS_LABEL, "-1.0"},
                  {IDC_ANISO_LABEL, "8x"},      {IDC_CHECKER_LABEL, "-2"},
                  {IDC_STAGE_LABEL, "1"},       {IDC_TEXTURE_ROTATION_LABEL, "45.0\xB0"}};
    for (const auto& label : labels)
        EXPECT_TRUE(WaitForText(program.panel, label.id, label.text, 15000)) << label.text;
    EXPECT_TRUE(WaitForText(program.panel, IDC_BROWSE_BUTTON, folder + "card.bmp", 15000));
    EXPECT_EQ(BST_CHECKED, SendMessageA(GetDlgItem(program.panel, IDC_USE_BMP_RADIO), BM_GETCHECK, 0, 0));
    EXPECT_EQ(BST_CHECKED, SendMessageA(GetDlgItem(program.panel, IDC_PLANE_RADIO), BM_GETCHECK, 0, 0));
    EXPECT_EQ(BST_UNCHECKED, SendMessageA(GetDlgItem(program.panel, IDC_TUNNEL_RADIO), BM_GETCHECK, 0, 0));
    EXPECT_EQ(50, SendMessageA(GetDlgItem(program.panel, IDC_FACES_SLIDER), TBM_GETPOS, 0, 0));

    // Ctrl+S in the panel; the record names the BMP.
    SetForegroundWindow(program.panel);
    Sleep(200);
    PressCtrlS();
    EXPECT_NE("", AnswerSaveDialog(program.panel, folder + "panel.png"));
    ASSERT_TRUE(WaitForFile(folder + "panel.json", 15000));
    EXPECT_EQ(0u, CloseProgram(program));
    std::map<std::string, std::string> record;
    ASSERT_TRUE(flat_json::Read(FileText(folder + "panel.json"), record));
    EXPECT_EQ(folder + "card.bmp", record["settings.bmp"]);
    EXPECT_EQ("bmp", record["settings.texture"]);
}

TEST(CaptureProgram, BadOptionsEndWithCodeTwo)
{
    const std::string folder = CaptureFolder("bad");
    const std::string shot = " --screenshot \"" + folder + "x.png\"";
    const struct {
        std::string arguments;
        const char* line;  // how standard error's one line begins
        bool box;
        bool beforeWindows;
    } rows[] = {
        {"--distance 31" + shot,
         "quorvane: --distance 31: out of range; allowed values: 0.5 .. 30.0 in steps of 0.1\n", false, true},
        {"--bogus 1", "quorvane: --bogus: unknown option; allowed options: --scene, --distance, ", true, true},
        {"--faces", "quorvane: --faces: missing value; allowed values: 3 .. 400\n", true, true},
        {"--aniso 1024" + shot,
         DriverOffers(anisoExtension) ? "quorvane: --aniso 1024: beyond this driver; allowed values: 1, 2, "
                                      : "quorvane: --aniso 1024: beyond this driver; allowed values: 1\n",
         false, false},
        {"--stage 99", "quorvane: --stage 99: beyond this driver; allowed values: 0 .. ", true, false},
    };
    for (const auto& row : rows) {
        const FinishedRun run = RunProgramToEnd(row.arguments);
        EXPECT_EQ(2u, run.exitCode) << row.arguments;
        EXPECT_EQ(0u, run.err.find(row.line)) << run.err;
        EXPECT_EQ(run.err.size() - 1, run.err.find('\n')) << run.err;
        EXPECT_EQ(row.box ? run.err : "", run.boxes);
        if (row.beforeWindows) {
            EXPECT_FALSE(run.windowSeen) << row.arguments;
        }
    }
    EXPECT_TRUE(FolderFiles(folder).empty());

    const FinishedRun help = RunProgramToEnd("--help");
    EXPECT_EQ(0u, help.exitCode);
    EXPECT_NE(std::string::npos, help.out.find("\n  --screenshot FILE.png "));
    EXPECT_EQ("", help.err);
    EXPECT_FALSE(help.windowSeen);
}

TEST(CaptureProgram, UnreadableBmpOrUnwritableShotEndWithCodeOneAndNoFile)
{
    const std::string folder = CaptureFolder("unreadable");
    const FinishedRun missing = RunProgramToEnd("--bmp \"" + folder + "missing.bmp\" --screenshot \"" +
                                                folder + "shot.png\"");
    EXPECT_EQ(1u, missing.exitCode);
    EXPECT_EQ("quorvane: cannot read " + folder + "missing.bmp: Failed to open DIB file " + folder +
                  "missing.bmp\n",
              missing.err);
    EXPECT_EQ("", missing.boxes);

    const std::string nowhere = folder + "no such folder\\shot.png";
    const FinishedRun unwritable = RunProgramToEnd("--screenshot \"" + nowhere + "\"");
    EXPECT_EQ(1u, unwritable.exitCode);
    EXPECT_EQ(0u, unwritable.err.find("quorvane: cannot write " + nowhere + ": ")) << unwritable.err;
    EXPECT_GT(unwritable.err.size(), nowhere.size() + 27) << "the system's reason follows";
    EXPECT_EQ("", unwritable.boxes);
    EXPECT_TRUE(FolderFiles(folder).empty());
}

}  // namespace

TEST(CaptureProgram, TwoRecordsCompareFrameByFrame)
{
    const std::string folder = CaptureFolder("compared");
    for (const char* shot : {"--checker 4 --screenshot \"%sa.png\"", "--checker 4 --screenshot \"%sb.png\"",
                             "--checker 4 --min-filter NEAREST --screenshot \"%sc.png\""}) {
        char arguments[600];
        std::snprintf(arguments, sizeof(arguments), shot, folder.c_str());
        ASSERT_EQ(0u, RunProgramToEnd(arguments).exitCode) << arguments;
    }
    const auto compare = [&](const char* a, const char* b, const char* out) {
        return RunProgramToEnd("--compare \"" + folder + a + "\" \"" + folder + b + "\" --out \"" +
                               folder + out + "\"");
    };
    std::map<std::string, std::string> c;
    EXPECT_EQ(0u, compare("a.png", "b.png", "same").exitCode);
    ASSERT_TRUE(flat_json::Read(FileText(folder + "same\\compare.json"), c));
    EXPECT_EQ("true", c["sameView"]);
    EXPECT_EQ("0", c["differingPixels"]);
    EXPECT_EQ("[]", c["differingSettings"]);

    const FinishedRun run = compare("a.png", "c.png", "other");
    EXPECT_EQ(0u, run.exitCode) << run.err;
    EXPECT_FALSE(run.windowSeen);
    ASSERT_TRUE(flat_json::Read(FileText(folder + "other\\compare.json"), c));
    EXPECT_EQ("false", c["sameView"]);
    EXPECT_GT(std::atoi(c["differingPixels"].c_str()), 1000);
    EXPECT_GT(std::atoi(c["largestDifference"].c_str()), 0);
    EXPECT_EQ("settings.minFilter", c["differingSettings.0.name"]);
    EXPECT_EQ("NEAREST", c["differingSettings.0.b"]);
    EXPECT_EQ("[]", c["differingDriver"]);

    // Inputs that cannot be compared: one line naming the file, no output.
    const struct {
        const char* a;
        const char* b;
        std::string err;
    } refused[] = {
        {"a.png", "missing.png", "quorvane: " + folder + "missing.png: "},
        {"a.png", "same", "quorvane: " + folder + "same: a report, while " + folder + "a.png is a capture record\n"},
        {"a.json", "a.json", "quorvane: " + folder + "a.json: not a report of this format (no lod.meanAbsError)\n"},
    };
    for (const auto& row : refused) {
        const FinishedRun bad = compare(row.a, row.b, "refused");
        EXPECT_EQ(2u, bad.exitCode) << row.b;
        EXPECT_EQ(0u, bad.err.find(row.err)) << bad.err;
        EXPECT_EQ("", bad.boxes);
        EXPECT_FALSE(Exists(folder + "refused"));
    }
}

TEST(CaptureProgram, ViewsThePanelDoesNotShowReplayFromTheRecord)
{
    SKIP_WITHOUT(lodBiasExtension);
    const std::string folder = CaptureFolder("hidden");
    WriteFileBytes(folder + "card.bmp", bmp::WriteBmp(bmp::Format{}).bytes);
    RunningProgram program;
    ASSERT_NO_FATAL_FAILURE(StartProgram(program, "--bmp \"" + folder + "card.bmp\""));
    ASSERT_TRUE(WaitForSettledPanel(program.panel));
    // The options apply after the panel has settled: the BMP is loaded last.
    ASSERT_TRUE(WaitForText(program.panel, IDC_BROWSE_BUTTON, folder + "card.bmp", 15000));
    HWND panel = program.panel;
    // The bias on unit 0, then the texture to unit 1, whose bias is still 0.0
    // while the slider shows 1.0; Full rebuilds the shown BMP only, so the
    // checkerboard shown next keeps its tinted levels under a Full radio.
    Move(panel, IDC_LODBIAS_SLIDER, 10);
    Move(panel, IDC_STAGE_SLIDER, 1);
    SendMessageA(GetDlgItem(panel, IDC_MIPMAP_FULL_RADIO), BM_CLICK, 0, 0);
    SendMessageA(GetDlgItem(panel, IDC_CHECKER_RADIO), BM_CLICK, 0, 0);
    SetForegroundWindow(program.renderWindow);
    Sleep(200);
    PressCtrlS();
    AnswerSaveDialog(program.renderWindow, folder + "saved.png");
    ASSERT_TRUE(WaitForFile(folder + "saved.json", 15000));
    EXPECT_EQ(0u, CloseProgram(program));

    std::map<std::string, std::string> record;
    ASSERT_TRUE(flat_json::Read(FileText(folder + "saved.json"), record));
    EXPECT_EQ("1.0 1 1.0 0.0 full tinted full checkerboard",
              record["settings.lodBias"] + " " + record["settings.stage"] + " " +
                  record["settings.unitLodBiases.0"] + " " + record["settings.unitLodBiases.1"] + " " +
                  record["settings.mipmaps"] + " " + record["settings.checkerMipmaps"] + " " +
                  record["settings.bmpMipmaps"] + " " + record["settings.texture"]);

    const FinishedRun replay = RunProgramToEnd("--replay \"" + folder + "saved.json\" --screenshot \"" +
                                               folder + "replay.png\"");
    EXPECT_EQ(0u, replay.exitCode) << replay.err;
    EXPECT_EQ("", replay.err);
    std::map<std::string, std::string> replayed;
    ASSERT_TRUE(flat_json::Read(FileText(folder + "replay.json"), replayed));
    EXPECT_EQ(record, replayed);
    Picture saved, replayedPicture, panelOnly;
    ASSERT_TRUE(ReadPng(folder + "saved.png", saved));
    ASSERT_TRUE(ReadPng(folder + "replay.png", replayedPicture));
    EXPECT_TRUE(saved.rgb == replayedPicture.rgb) << "the same frame, pixel for pixel";

    // The panel's settings alone make another frame: what the record gained matters.
    ASSERT_EQ(0u, RunProgramToEnd(OptionsFromRecord(record) + "--screenshot \"" + folder + "panel.png\"")
                      .exitCode);
    ASSERT_TRUE(ReadPng(folder + "panel.png", panelOnly));
    EXPECT_FALSE(saved.rgb == panelOnly.rgb);

    // A record that is not one ends the run before any window, naming it.
    std::ofstream(folder + "broken.json", std::ios::binary) << "{\"settings\": {\"faces\": \"many\"}}";
    const FinishedRun broken = RunProgramToEnd("--replay \"" + folder + "broken.json\" --screenshot \"" +
                                               folder + "never.png\"");
    EXPECT_EQ(2u, broken.exitCode);
    EXPECT_EQ("quorvane: " + folder + "broken.json: settings.faces: not a value of this setting\n", broken.err);
    EXPECT_FALSE(broken.windowSeen);
    EXPECT_FALSE(Exists(folder + "never.png"));
}
