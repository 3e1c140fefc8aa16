// Drives the real program from a second process with a seeded random sequence
// of everything a user can do, checking after every action that it answers and
// draws, and watching its memory and handles for growth.
//
//   quorvane_soak.exe [--minutes M] [--seed S] [--program PATH] [--growth-percent P]
//                     [--round N] [--trace 1] [--slow-aniso 1]
//
// The random part comes in rounds of N actions (20 per minute of the run, at
// least 100, unless told), each the
// same seeded sequence: the first rounds (a third of the run, at least two)
// fill the driver's caches for the states the later rounds visit again, so
// growth after them is a leak.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "common/bmp_writer.h"
#include "common/child_process.h"
#include "common/key_input.h"
#include "compare/file_input.h"
#include "soak/soak_target.h"
#include "ui/resource.h"

namespace {

const DWORD answerMs = 5000;   // every action must be answered and drawn within this
const DWORD dialogMs = 15000;  // file dialogs and loads under a loaded machine

struct Options {
    double minutes = 1.0;
    uint32_t seed = 0;
    bool seedGiven = false;
    std::string program;
    double growthPercent = 5.0;
    bool trace = false;  // print every action
    bool slowAniso = false;
    int roundActions = 0;  // 0: 20 per minute of the run, at least 100
};

// xorshift32: the same sequence from the same seed on every platform.
struct Random {
    uint32_t state;
    uint32_t Next()
    {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    int Below(int n) { return n <= 0 ? 0 : static_cast<int>(Next() % static_cast<uint32_t>(n)); }
    int Between(int low, int high) { return low + Below(high - low + 1); }
};

enum class PickKind { Good, Bad, TooLarge, Cancel };

struct Pick {
    PickKind kind;
    std::string path;
    std::string expectedBox;  // the box a bad or too-large file raises (a prefix)
};

struct Soak {
    SoakTarget target;
    Random random;
    std::vector<Pick> goodFiles, badFiles, largeFiles;
    bool bitmapLoaded = false;
    std::string detail;  // what the current action did, for a failure report
    std::vector<std::string> recent;  // the last actions before it
    bool trace = false;
    // llvmpipe's anisotropic filtering can take many seconds for one frame of
    // a steep tunnel (minutes without mipmaps): the slider stays at 1x unless
    // asked for, since that stalls the driver, not the program.
    bool slowAniso = false;
    long acceptedFiles = 0;  // file dialogs closed with OK, whatever the file
    long savedViews = 0;
    long replayedViews = 0;       // saved views replayed to the same frame
    bool errorViewShown = false;  // M shows the error map, which no record holds
    std::string program;          // the program's path, for the replays
    std::string error;
};

std::string ExitCode(const SoakTarget& target)
{
    DWORD code = 0;
    GetExitCodeProcess(target.process.hProcess, &code);
    char text[16];
    std::snprintf(text, sizeof(text), "0x%lX", static_cast<unsigned long>(code));
    return text;
}

// Under Wine a stuck program's threads can be shown with the debugger.
void PrintBacktrace(const SoakTarget& target)
{
    PROCESS_INFORMATION debugger = {};
    std::fflush(stdout);
    if (StartChildProcess("winedbg --auto " + std::to_string(target.process.dwProcessId), debugger))
        FinishChildProcess(debugger, 60000);
}

// A message that must be answered in time: a hang is a failure.
bool Send(Soak& soak, HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, answerMs,
                            &result))
        return true;
    if (!TargetAlive(soak.target)) {
        soak.error = "the program has ended (exit code " + ExitCode(soak.target) + ")";
        return false;
    }
    // Slow or stuck: a minute more tells which.
    const DWORD start = GetTickCount();
    const bool late = SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 60000, &result);
    soak.error = "message " + std::to_string(message) + " not answered within 5 s; " +
                 (late ? "answered " + std::to_string(5 + (GetTickCount() - start) / 1000) + " s later"
                       : "no answer after a minute more");
    if (!late)
        PrintBacktrace(soak.target);
    return false;
}

HWND Item(Soak& soak, int id)
{
    return GetDlgItem(soak.target.panel, id);
}

// Answers the open-file dialog that the last click raised, then waits for the
// outcome the picked file must have.
bool ChooseFile(Soak& soak, const Pick& pick)
{
    const std::string shownBefore = ControlText(soak.target.panel, IDC_BROWSE_BUTTON);
    HWND dialog = WaitForFileDialog(soak.target, dialogMs);
    if (dialog == nullptr) {
        soak.error = "no open-file dialog came up";
        return false;
    }
    AnswerFileDialog(dialog, pick.kind == PickKind::Cancel ? "" : pick.path);
    if (pick.kind != PickKind::Cancel)
        ++soak.acceptedFiles;
    for (DWORD waited = 0; IsWindow(dialog); waited += 20) {
        if (waited > dialogMs) {
            soak.error = "the open-file dialog did not close";
            return false;
        }
        Sleep(20);
    }
    switch (pick.kind) {
    case PickKind::Good:
        if (!WaitForControlText(soak.target.panel, IDC_BROWSE_BUTTON, pick.path, dialogMs)) {
            soak.error = "the picture did not load";
            return false;
        }
        soak.bitmapLoaded = true;
        return true;
    case PickKind::Bad:
    case PickKind::TooLarge: {
        const std::string box = WaitForMessageBox(soak.target, dialogMs);
        if (box.compare(0, pick.expectedBox.size(), pick.expectedBox) != 0 || box.empty()) {
            soak.error = "expected the box \"" + pick.expectedBox + "...\", saw \"" + box + "\"";
            return false;
        }
        break;
    }
    case PickKind::Cancel:
        break;
    }
    // A refused or cancelled file changes nothing.
    if (!Send(soak, soak.target.panel, WM_NULL, 0, 0))
        return false;
    const std::string shownAfter = ControlText(soak.target.panel, IDC_BROWSE_BUTTON);
    if (shownAfter != shownBefore) {
        soak.error = "the Browse button changed from \"" + shownBefore + "\" to \"" + shownAfter + "\"";
        return false;
    }
    return true;
}

const Pick& PickFile(Soak& soak)
{
    static const Pick cancel = {PickKind::Cancel, "", ""};
    switch (soak.random.Below(8)) {
    case 0:
    case 1:
        return soak.badFiles[soak.random.Below(static_cast<int>(soak.badFiles.size()))];
    case 2:
        return soak.largeFiles[soak.random.Below(static_cast<int>(soak.largeFiles.size()))];
    case 3:
        return cancel;
    default:
        return soak.goodFiles[soak.random.Below(static_cast<int>(soak.goodFiles.size()))];
    }
}

const char* PickName(PickKind kind)
{
    static const char* const names[] = {"good", "bad", "too large", "cancel"};
    return names[static_cast<int>(kind)];
}

// --- The actions ----------------------------------------------------------

bool MoveSlider(Soak& soak)
{
    static const int ids[] = {IDC_ANISO_SLIDER,    IDC_LODBIAS_SLIDER, IDC_CHECKER_SLIDER,
                              IDC_DISTANCE_SLIDER, IDC_FACES_SLIDER,   IDC_STAGE_SLIDER};
    const int id = ids[soak.random.Below(6)];
    HWND slider = Item(soak, id);
    // A disabled slider (a driver without the extension) cannot be moved by a user.
    if (!IsWindowEnabled(slider)) {
        soak.detail = "slider " + std::to_string(id) + " disabled, left alone";
        return true;
    }
    const int low = static_cast<int>(SendMessageA(slider, TBM_GETRANGEMIN, 0, 0));
    int high = static_cast<int>(SendMessageA(slider, TBM_GETRANGEMAX, 0, 0));
    if (id == IDC_ANISO_SLIDER && !soak.slowAniso)
        high = low;  // 1x only
    const int position = soak.random.Between(low, high);
    const int code = soak.random.Below(3) == 0 ? TB_ENDTRACK : TB_THUMBTRACK;
    soak.detail = "slider " + std::to_string(id) + " to " + std::to_string(position);
    return Send(soak, slider, TBM_SETPOS, TRUE, position) &&
           Send(soak, soak.target.panel, WM_HSCROLL, MAKEWPARAM(code, position),
                reinterpret_cast<LPARAM>(slider));
}

bool SelectFromList(Soak& soak)
{
    const int id = soak.random.Below(2) ? IDC_MIN_FILTER_LIST : IDC_MAG_FILTER_LIST;
    HWND list = Item(soak, id);
    const int index = soak.random.Below(static_cast<int>(SendMessageA(list, CB_GETCOUNT, 0, 0)));
    soak.detail = "list " + std::to_string(id) + " entry " + std::to_string(index);
    return Send(soak, list, CB_SETCURSEL, index, 0) &&
           Send(soak, soak.target.panel, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                reinterpret_cast<LPARAM>(list));
}

bool ClickRadio(Soak& soak)
{
    static const int ids[] = {IDC_USE_BMP_RADIO,       IDC_CHECKER_RADIO,
                              IDC_MIPMAP_NORMAL_RADIO, IDC_MIPMAP_TINTED_RADIO,
                              IDC_MIPMAP_FULL_RADIO,   IDC_PLANE_RADIO,
                              IDC_TUNNEL_RADIO};
    const int id = ids[soak.random.Below(7)];
    soak.detail = "radio " + std::to_string(id);
    if (id == IDC_USE_BMP_RADIO && !soak.bitmapLoaded) {
        // Before any picture has loaded this radio opens the file dialog.
        const Pick& pick = PickFile(soak);
        soak.detail += std::string(" opens the dialog, ") + PickName(pick.kind) + " " + pick.path;
        PostMessageA(Item(soak, id), BM_CLICK, 0, 0);
        return ChooseFile(soak, pick);
    }
    return Send(soak, Item(soak, id), BM_CLICK, 0, 0);
}

bool Scroll(Soak& soak)
{
    static const int ids[] = {IDC_PLANE_ANGLE_SCROLL, IDC_SCENE_ROTATION_SCROLL,
                              IDC_TEXTURE_ROTATION_SCROLL, IDC_REPEAT_U_SCROLL,
                              IDC_REPEAT_V_SCROLL};
    static const int codes[] = {SB_LINELEFT,      SB_LINERIGHT,  SB_PAGELEFT,
                                SB_PAGERIGHT,     SB_THUMBPOSITION, SB_THUMBTRACK,
                                SB_LEFT,          SB_RIGHT,      SB_ENDSCROLL};
    const int id = ids[soak.random.Below(5)];
    const int code = codes[soak.random.Below(9)];
    // Thumb positions also outside the bars' ranges: the bar clamps them.
    const int thumb = soak.random.Between(0, 250);
    soak.detail = "scroll bar " + std::to_string(id) + " code " + std::to_string(code) +
                  " thumb " + std::to_string(thumb);
    return Send(soak, soak.target.panel, WM_HSCROLL, MAKEWPARAM(code, thumb),
                reinterpret_cast<LPARAM>(Item(soak, id)));
}

bool BrowseFor(Soak& soak, const Pick& pick)
{
    soak.detail = std::string("Browse, ") + PickName(pick.kind) + " " + pick.path;
    PostMessageA(Item(soak, IDC_BROWSE_BUTTON), BM_CLICK, 0, 0);
    return ChooseFile(soak, pick);
}

bool Browse(Soak& soak)
{
    return BrowseFor(soak, PickFile(soak));
}

bool RollUpOrRestore(Soak& soak)
{
    soak.detail = "caption double-click";
    return Send(soak, soak.target.panel, WM_NCLBUTTONDBLCLK, HTCAPTION, 0);
}

// Keys go through the program's message loop, as typed keys do.
bool PressKey(Soak& soak, HWND window, WPARAM key, bool control)
{
    if (control)
        PostMessageA(window, WM_KEYDOWN, VK_CONTROL, 1);
    PostMessageA(window, WM_KEYDOWN, key, 1);
    PostMessageA(window, WM_KEYUP, key, 0xC0000001);
    if (control)
        PostMessageA(window, WM_KEYUP, VK_CONTROL, 0xC0000001);
    return Send(soak, window, WM_NULL, 0, 0);
}

bool EnterOrEscape(Soak& soak)
{
    const bool enter = soak.random.Below(2) == 0;
    soak.detail = enter ? "Enter" : "Escape";
    return PressKey(soak, soak.target.panel, enter ? VK_RETURN : VK_ESCAPE, false);
}

// The saved view, replayed from its record by a second run of the program,
// must come out as the same frame; on a difference the files are kept.
bool ReplayMatches(Soak& soak, const std::string& base)
{
    const std::string replay = base + "-replay.png";
    DWORD exitCode = 0;
    if (!RunTargetToEnd(soak.program, "--replay \"" + base + ".json\" --screenshot \"" + replay + "\"",
                        120000, exitCode, soak.error))
        return false;
    if (exitCode != 0) {
        soak.error = "the replay of " + base + ".json ended with exit code " + std::to_string(exitCode);
        return false;
    }
    SheetImage saved, replayed;
    std::string why;
    if (!ReadPngFile(base + ".png", &saved, &why) || !ReadPngFile(replay, &replayed, &why)) {
        soak.error = "cannot read the saved or replayed frame of " + base + ": " + why;
        return false;
    }
    if (saved.rgb != replayed.rgb) {
        long differing = 0;
        for (size_t i = 0; i + 2 < saved.rgb.size() && saved.rgb.size() == replayed.rgb.size(); i += 3)
            differing += std::equal(&saved.rgb[i], &saved.rgb[i] + 3, &replayed.rgb[i]) ? 0 : 1;
        soak.error = "the replay of " + base + ".json differs from the saved frame in " +
                     std::to_string(differing) + " pixels (both kept)";
        return false;
    }
    DeleteFileA(replay.c_str());
    DeleteFileA((base + "-replay.json").c_str());
    ++soak.replayedViews;
    return true;
}

// Ctrl+S saves the view through a save dialog: a real key to the foreground
// window, as the program reads the key state. Saved files are checked and
// removed; a cancelled dialog saves nothing.
bool SaveView(Soak& soak)
{
    HWND window = soak.random.Below(2) ? soak.target.renderWindow : soak.target.panel;
    const bool cancel = soak.random.Below(4) == 0;
    soak.detail = std::string("Ctrl+S in the ") + (window == soak.target.panel ? "panel" : "render window") +
                  (cancel ? ", cancelled" : "");
    for (int tries = 0; GetForegroundWindow() != window; ++tries) {
        if (tries == 50) {
            soak.error = "the window does not come to the foreground";
            return false;
        }
        SetForegroundWindow(window);
        Sleep(20);
    }
    PressCtrlS();
    HWND dialog = WaitForFileDialog(soak.target, dialogMs);
    if (dialog == nullptr) {
        soak.error = "Ctrl+S opened no save dialog";
        return false;
    }
    char directory[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    const std::string base = std::string(directory) + "quorvane-soak-" +
                             std::to_string(GetCurrentProcessId()) + "-view" +
                             std::to_string(++soak.savedViews);
    AnswerFileDialog(dialog, cancel ? "" : base + ".png");
    for (DWORD waited = 0; IsWindow(dialog); waited += 20) {
        if (waited > dialogMs) {
            soak.error = "the save dialog did not close";
            return false;
        }
        Sleep(20);
    }
    // Answered once the save is done.
    if (!Send(soak, soak.target.renderWindow, WM_NULL, 0, 0) || cancel)
        return !soak.error.size();
    ++soak.acceptedFiles;
    for (const char* extension : {".png", ".json"}) {
        const std::string path = base + extension;
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
            soak.error = "Ctrl+S wrote no " + path;
            return false;
        }
    }
    // The error map is no view a record holds.
    if (!soak.errorViewShown && !ReplayMatches(soak, base))
        return false;
    for (const char* extension : {".png", ".json"})
        DeleteFileA((base + extension).c_str());
    return true;
}

// M shows the error map of the view in place of the picture, and M again
// brings the picture back; everything else goes on while the map is shown.
bool ToggleErrorView(Soak& soak)
{
    HWND window = soak.random.Below(2) ? soak.target.renderWindow : soak.target.panel;
    soak.detail = std::string("M in the ") + (window == soak.target.panel ? "panel" : "render window");
    soak.errorViewShown = !soak.errorViewShown;
    return PressKey(soak, window, 'M', false);
}

struct Action {
    const char* name;
    int weight;
    bool (*run)(Soak&);
};

// New user actions go here; the weights are relative frequencies. Browse is
// rare because each one waits for a dialog.
const Action actions[] = {
    {"slider", 30, MoveSlider},
    {"list", 12, SelectFromList},
    {"radio", 18, ClickRadio},
    {"scroll", 25, Scroll},
    {"browse", 4, Browse},
    {"rollup", 4, RollUpOrRestore},
    {"key", 7, EnterOrEscape},
    {"save", 2, SaveView},
    {"errorview", 3, ToggleErrorView},
};

const Action& ChooseAction(Random& random)
{
    int total = 0;
    for (const Action& action : actions)
        total += action.weight;
    int pick = random.Below(total);
    for (const Action& action : actions) {
        if (pick < action.weight)
            return action;
        pick -= action.weight;
    }
    return actions[0];
}

// After every action: no box left open (the expected ones were closed by the
// action itself), an answer and a frame within 5 s.
bool CheckAfterAction(Soak& soak)
{
    if (soak.trace)
        std::printf("soak: did %s\n", soak.detail.c_str());
    std::vector<TargetDialog> open = TargetDialogs(soak.target);
    if (!open.empty()) {
        soak.error = std::string("unexpected ") + (open[0].messageBox ? "message box" : "dialog") +
                     " \"" + open[0].text + "\"";
        return false;
    }
    return AnswersAndDraws(soak.target, answerMs, soak.error);
}

// Before the random part every file is chosen once and every other kind of
// action done a few times, so that the warm-up has seen the program's paths
// (the file dialog's libraries, compiled shaders) before growth counts.
bool Tour(Soak& soak, long& actionCount)
{
    std::vector<Pick> picks = soak.goodFiles;
    picks.insert(picks.end(), soak.badFiles.begin(), soak.badFiles.end());
    picks.insert(picks.end(), soak.largeFiles.begin(), soak.largeFiles.end());
    picks.push_back({PickKind::Cancel, "", ""});
    picks.push_back(soak.goodFiles[0]);
    for (const Pick& pick : picks) {
        ++actionCount;
        if (!BrowseFor(soak, pick) || !CheckAfterAction(soak))
            return false;
    }
    for (int round = 0; round < 40; ++round) {
        ++actionCount;
        const Action& action = actions[round % (sizeof(actions) / sizeof(actions[0]))];
        if (action.run != Browse && (!action.run(soak) || !CheckAfterAction(soak)))
            return false;
    }
    return true;
}

// --- Files ----------------------------------------------------------------

std::string WriteTempFile(const std::string& name, const std::vector<uint8_t>& bytes)
{
    char directory[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    const std::string path = std::string(directory) + "quorvane-soak-" +
                             std::to_string(GetCurrentProcessId()) + "-" + name + ".bmp";
    std::ofstream file(path, std::ios::binary);
    file.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return path;
}

void WriteFiles(Soak& soak)
{
    const struct {
        const char* name;
        bmp::Format format;
    } good[] = {
        {"card", bmp::MakeFormat(300, 200, 24, true)},
        {"small", bmp::MakeFormat(67, 41, 24, true)},
        {"one", bmp::MakeFormat(1, 1, 24, true)},
        {"rle8", bmp::MakeFormat(13, 4, 8, true, false, bmp::Encoding::Rle8)},
        {"core4", bmp::MakeFormat(5, 2, 4, false, true)},
        {"wide", bmp::MakeFormat(512, 1, 32, true)},
    };
    for (const auto& file : good)
        soak.goodFiles.push_back({PickKind::Good, WriteTempFile(file.name, bmp::WriteBmp(file.format).bytes), ""});

    std::vector<uint8_t> unknownHeader = bmp::WriteBmp(bmp::Format{}).bytes;
    bmp::PutU32(unknownHeader, 14, 108);
    soak.badFiles.push_back({PickKind::Bad, WriteTempFile("header108", unknownHeader),
                             "Unknown DIB file format."});
    std::vector<uint8_t> cut = bmp::WriteBmp(bmp::MakeFormat(16, 16, 24, true)).bytes;
    cut.resize(cut.size() / 2);
    soak.badFiles.push_back({PickKind::Bad, WriteTempFile("cut", cut), "Image file conversion error."});

    soak.largeFiles.push_back({PickKind::TooLarge,
                               WriteTempFile("too-wide", bmp::WriteBmp(bmp::MakeFormat(16385, 1, 24, true)).bytes),
                               "The picture is 16385 x 1 pixels; this driver's textures are at most "});
}

void DeleteFiles(const Soak& soak)
{
    for (const auto* files : {&soak.goodFiles, &soak.badFiles, &soak.largeFiles})
        for (const Pick& pick : *files)
            DeleteFileA(pick.path.c_str());
}

// --- The run --------------------------------------------------------------

std::string DefaultProgram()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string directory(path);
    return directory.substr(0, directory.find_last_of("\\/") + 1) + "quorvane.exe";
}

bool ParseOptions(int argc, char** argv, Options& options)
{
    options.program = DefaultProgram();
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const char* value = argv[i + 1];
        if (name == "--minutes")
            options.minutes = std::atof(value);
        else if (name == "--seed") {
            options.seed = static_cast<uint32_t>(std::strtoul(value, nullptr, 10));
            options.seedGiven = true;
        } else if (name == "--program")
            options.program = value;
        else if (name == "--growth-percent")
            options.growthPercent = std::atof(value);
        else if (name == "--round")
            options.roundActions = std::max(10, std::atoi(value));
        else if (name == "--slow-aniso")
            options.slowAniso = std::atoi(value) != 0;
        else if (name == "--trace")
            options.trace = std::atoi(value) != 0;
        else
            return false;
    }
    if (argc % 2 == 0)
        return false;
    if (options.roundActions == 0)
        options.roundActions = std::max(100, static_cast<int>(options.minutes * 20));
    if (!options.seedGiven)
        options.seed = GetTickCount() ^ (GetCurrentProcessId() << 16);
    if (options.seed == 0)
        options.seed = 1;  // xorshift stays at 0
    return options.minutes > 0;
}

double Megabytes(SIZE_T bytes)
{
    return bytes / (1024.0 * 1024.0);
}

void PrintSample(const char* label, const MemorySample& s, long actionCount)
{
    std::printf("soak: %-9s %7.1f s %7ld actions  private %7.1f MB  working set %7.1f MB  handles %lu\n",
                label, s.seconds, actionCount, Megabytes(s.privateBytes), Megabytes(s.workingSet),
                static_cast<unsigned long>(s.handles));
    std::fflush(stdout);
}

// Growth after the warm-up: the smallest of the last samples against the
// largest of the warm-up rounds, so that a transient peak (a picture being
// scaled) is no leak. The driver's caches may still fill once after the
// warm-up (a texture and filter it had not met yet), so memory counts as a
// leak only if it also kept climbing over the second half of the running
// part: a steady leak grows in both halves, a cache filled once does not.
// Wine's file dialog itself keeps about two handles per accepted file
// (GetOpenFileNameA alone shows it), so that many are allowed for.
bool IsPowerOfTwo(DWORD n)
{
    return n != 0 && (n & (n - 1)) == 0;
}

bool CheckGrowth(const std::vector<MemorySample>& samples, size_t warmupCount,
                 long acceptedAfterWarmup, double percent, std::string& error)
{
    if (warmupCount == 0 || samples.size() < warmupCount + 3) {
        error = "too few memory samples after the warm-up to judge growth; run longer";
        return false;
    }
    MemorySample peak = samples[0], end = samples.back(), middle = samples[warmupCount - 1];
    for (size_t i = 0; i < warmupCount; ++i) {
        peak.privateBytes = std::max(peak.privateBytes, samples[i].privateBytes);
        peak.workingSet = std::max(peak.workingSet, samples[i].workingSet);
        peak.handles = std::max(peak.handles, samples[i].handles);
    }
    for (size_t i = samples.size() - 3; i < samples.size(); ++i) {
        end.privateBytes = std::min(end.privateBytes, samples[i].privateBytes);
        end.workingSet = std::min(end.workingSet, samples[i].workingSet);
        end.handles = std::min(end.handles, samples[i].handles);
    }
    for (size_t i = warmupCount; i < (warmupCount + samples.size()) / 2; ++i) {
        middle.privateBytes = std::max(middle.privateBytes, samples[i].privateBytes);
        middle.workingSet = std::max(middle.workingSet, samples[i].workingSet);
    }
    const double factor = 1.0 + percent / 100.0;
    char text[256];
    std::snprintf(text, sizeof(text),
                  "warm-up peak: private %.1f MB, working set %.1f MB, %lu handles",
                  Megabytes(peak.privateBytes), Megabytes(peak.workingSet),
                  static_cast<unsigned long>(peak.handles));
    std::printf("soak: %s\n", text);
    const double lateFactor = 1.0 + percent / 200.0;
    if (end.privateBytes > peak.privateBytes * factor &&
        end.privateBytes > middle.privateBytes * lateFactor) {
        std::snprintf(text, sizeof(text), "private memory grew from %.1f MB to %.1f MB (%.1f MB halfway)",
                      Megabytes(peak.privateBytes), Megabytes(end.privateBytes),
                      Megabytes(middle.privateBytes));
        error = text;
        return false;
    }
    if (end.workingSet > peak.workingSet * factor &&
        end.workingSet > middle.workingSet * lateFactor) {
        std::snprintf(text, sizeof(text), "working set grew from %.1f MB to %.1f MB (%.1f MB halfway)",
                      Megabytes(peak.workingSet), Megabytes(end.workingSet),
                      Megabytes(middle.workingSet));
        error = text;
        return false;
    }
    double handleLimit = peak.handles * factor + 2 + 2 * acceptedAfterWarmup;
    // Wine reports the size of the process's handle table, which doubles as it
    // fills: there the limit goes up to the table size that holds it.
    if (IsPowerOfTwo(peak.handles) && IsPowerOfTwo(end.handles)) {
        double tableSize = peak.handles;
        while (tableSize < handleLimit)
            tableSize *= 2;
        handleLimit = tableSize;
    }
    if (end.handles > handleLimit) {
        error = "handles grew from " + std::to_string(peak.handles) + " to " +
                std::to_string(end.handles) + " with " + std::to_string(acceptedAfterWarmup) +
                " files accepted";
        return false;
    }
    return true;
}

// What the panel shows, so that a failure can be set up again by hand.
void PrintPanelState(HWND panel)
{
    static const int labels[] = {IDC_ANISO_LABEL,         IDC_LODBIAS_LABEL,
                                 IDC_CHECKER_LABEL,       IDC_DISTANCE_LABEL,
                                 IDC_FACES_LABEL,         IDC_STAGE_LABEL,
                                 IDC_PLANE_ANGLE_LABEL,   IDC_SCENE_ROTATION_LABEL,
                                 IDC_TEXTURE_ROTATION_LABEL, IDC_REPEAT_U_LABEL,
                                 IDC_REPEAT_V_LABEL,      IDC_BROWSE_BUTTON};
    std::printf("soak: panel:");
    for (int id : labels)
        std::printf(" %d=\"%s\"", id, ControlText(panel, id).c_str());
    for (int id : {IDC_MIN_FILTER_LIST, IDC_MAG_FILTER_LIST})
        std::printf(" %d=entry %ld", id,
                    static_cast<long>(SendMessageA(GetDlgItem(panel, id), CB_GETCURSEL, 0, 0)));
    std::printf(" checked:");
    for (int id = IDC_USE_BMP_RADIO; id <= IDC_TUNNEL_RADIO; ++id)
        if (id != IDC_BROWSE_BUTTON &&
            SendMessageA(GetDlgItem(panel, id), BM_GETCHECK, 0, 0) == BST_CHECKED)
            std::printf(" %d", id);
    std::printf("\n");
}

int Fail(Soak& soak, const Options& options, long actionCount, const char* actionName)
{
    std::printf("soak: FAILED at action %ld (%s: %s): %s\n", actionCount, actionName,
                soak.detail.c_str(), soak.error.c_str());
    PrintPanelState(soak.target.panel);
    for (const std::string& line : soak.recent)
        std::printf("soak: before it: %s\n", line.c_str());
    std::printf("soak: replay with: scripts/soak %g %lu\n", options.minutes,
                static_cast<unsigned long>(options.seed));
    std::fflush(stdout);
    // Leave no box open and no program behind.
    for (const TargetDialog& dialog : TargetDialogs(soak.target))
        std::printf("soak: open dialog: \"%s\"\n", dialog.text.c_str());
    if (soak.target.process.hProcess != nullptr) {
        TerminateProcess(soak.target.process.hProcess, 99);
        CloseHandle(soak.target.process.hThread);
        CloseHandle(soak.target.process.hProcess);
    }
    DeleteFiles(soak);
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!ParseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: quorvane_soak [--minutes M] [--seed S] [--program PATH] "
                     "[--growth-percent P] [--round N] [--trace 1] [--slow-aniso 1]\n");
        return 2;
    }
    std::printf("soak: seed %lu, %g minutes, program %s\n",
                static_cast<unsigned long>(options.seed), options.minutes, options.program.c_str());
    if (!options.slowAniso)
        std::printf("soak: the anisotropy slider stays at 1x (--slow-aniso 1 moves it too)\n");
    std::fflush(stdout);

    Soak soak;
    soak.random.state = options.seed;
    soak.trace = options.trace;
    soak.slowAniso = options.slowAniso;
    WriteFiles(soak);
    soak.program = options.program;
    if (!StartTarget(options.program, soak.target, soak.error))
        return Fail(soak, options, 0, "start");

    const double totalSeconds = options.minutes * 60.0;
    const double sampleEvery = std::max(1.0, totalSeconds / 600.0);
    const double reportEvery = totalSeconds > 600.0 ? 300.0 : 15.0;
    const DWORD startTicks = GetTickCount();
    auto elapsed = [startTicks]() { return (GetTickCount() - startTicks) / 1000.0; };

    std::vector<MemorySample> samples;
    MemorySample sample = {};
    if (!SampleMemory(soak.target, 0.0, sample)) {
        soak.error = "the program's memory and handle counts cannot be read";
        return Fail(soak, options, 0, "sample");
    }
    samples.push_back(sample);
    PrintSample("start", sample, 0);
    size_t warmupCount = 0;
    double nextSample = sampleEvery, nextReport = reportEvery;
    std::map<std::string, long> counts;
    long actionCount = 0;
    DWORD slowestMs = 0;
    std::string slowest;
    if (!Tour(soak, actionCount))
        return Fail(soak, options, actionCount, "tour");
    // Warm-up: whole rounds, at least two and half of the run; the driver's
    // caches fill over the first rounds and then stay.
    int round = 0, inRound = 0;
    bool warmingUp = true;
    long acceptedAtWarmup = 0;

    while (elapsed() < totalSeconds) {
        if (inRound == options.roundActions) {
            // The same sequence again; the first round was the warm-up.
            inRound = 0;
            ++round;
            if (warmingUp && round >= 2 && elapsed() >= totalSeconds / 2.0) {
                warmingUp = false;
                acceptedAtWarmup = soak.acceptedFiles;
            }
            soak.random.state = options.seed;
        }
        ++inRound;
        const Action& action = ChooseAction(soak.random);
        ++actionCount;
        ++counts[action.name];
        soak.detail.clear();
        const DWORD actionStart = GetTickCount();
        if (!action.run(soak) || !CheckAfterAction(soak))
            return Fail(soak, options, actionCount, action.name);
        const DWORD took = GetTickCount() - actionStart;
        soak.recent.push_back(std::string(action.name) + ": " + soak.detail);

        if (soak.recent.size() > 5)
            soak.recent.erase(soak.recent.begin());
        if (took > slowestMs) {
            slowestMs = took;
            slowest = std::string(action.name) + ": " + soak.detail;
        }

        const double now = elapsed();
        if (now >= nextSample) {
            nextSample += sampleEvery;
            if (!SampleMemory(soak.target, now, sample)) {
                soak.error = "the program's memory and handle counts cannot be read";
                return Fail(soak, options, actionCount, action.name);
            }
            samples.push_back(sample);
            if (warmingUp)
                warmupCount = samples.size();
            if (now >= nextReport) {
                nextReport += reportEvery;
                PrintSample(warmingUp ? "warm-up" : "running", sample, actionCount);
            } else if (soak.trace) {
                PrintSample("sample", sample, actionCount);
            }
        }
    }

    PrintSample("end", samples.back(), actionCount);
    std::printf("soak: %ld actions:", actionCount);
    for (const auto& count : counts)
        std::printf(" %s %ld", count.first.c_str(), count.second);
    std::printf("\n");
    std::printf("soak: slowest random action %lu ms (%s)\n", static_cast<unsigned long>(slowestMs),
                slowest.c_str());
    std::printf("soak: %d rounds of %d actions, %ld files accepted, %ld saved views replayed to the same frame\n",
                round + 1, options.roundActions, soak.acceptedFiles, soak.replayedViews);
    if (!CheckGrowth(samples, warmupCount, soak.acceptedFiles - acceptedAtWarmup,
                     options.growthPercent, soak.error))
        return Fail(soak, options, actionCount, "growth");
    std::string closeError;
    if (!CloseTarget(soak.target, closeError)) {
        soak.error = closeError;
        return Fail(soak, options, actionCount, "close");
    }
    DeleteFiles(soak);
    std::printf("soak: passed, seed %lu\n", static_cast<unsigned long>(options.seed));
    return 0;
}
