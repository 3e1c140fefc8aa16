// The real program, started as a user starts it and driven from this process
// by window messages, with screenshots of what a user sees.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "app/render_window.h"
#include "common/child_process.h"
#include "ui/resource.h"
#include "wine/program_support.h"
#include "wine/support.h"

namespace {

// The Unix path of a Windows path on the Z: drive.
std::string UnixPath(std::string path)
{
    if (path.size() > 2 && path[1] == ':')
        path = path.substr(2);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<unsigned char> rgb;  // rows top first
    unsigned char* At(int x, int y) { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// Screenshots come from the X server with ImageMagick's import, which Wine
// starts as a Unix process. A PNG of the given area is kept beside the test
// program for people; the PPM of the whole screen is read back here.
bool TakeScreenshot(const std::string& name, const RECT& area, Screenshot& shot)
{
    const std::string directory = TestDirectory() + "screenshots\\";
    CreateDirectoryA(directory.c_str(), nullptr);
    const std::string ppm = directory + name + ".ppm";
    DeleteFileA(ppm.c_str());
    const std::string unixDirectory = UnixPath(directory);
    char crop[64];
    std::snprintf(crop, sizeof(crop), "%ldx%ld+%ld+%ld", area.right - area.left,
                  area.bottom - area.top, area.left, area.top);
    // Written under another name and renamed, so a file that exists is whole.
    const std::string command = "import -window root -depth 8 " + unixDirectory + name +
                                ".tmp.ppm && convert " + unixDirectory + name + ".tmp.ppm -crop " +
                                crop + " +repage " + unixDirectory + name + ".png && mv " +
                                unixDirectory + name + ".tmp.ppm " + unixDirectory + name + ".ppm";
    std::string error;
    if (!RunShellCommand(command, ppm, 30000, &error)) {
        ADD_FAILURE() << error;
        return false;
    }
    std::ifstream file(ppm, std::ios::binary);
    std::string magic;
    int maxValue = 0;
    file >> magic >> shot.width >> shot.height >> maxValue;
    file.get();
    if (magic != "P6" || maxValue != 255) {
        ADD_FAILURE() << "unexpected PPM header " << magic << " " << maxValue;
        return false;
    }
    shot.rgb.resize(static_cast<size_t>(shot.width) * shot.height * 3);
    file.read(reinterpret_cast<char*>(shot.rgb.data()), static_cast<std::streamsize>(shot.rgb.size()));
    return static_cast<bool>(file);
}

struct ClientColours {
    std::set<unsigned> all;
    size_t tinted = 0;  // pixels whose channels differ clearly
    size_t pixels = 0;
};

// Colours inside the render window's client area on the screenshot.
ClientColours ClientAreaColours(HWND renderWindow, Screenshot& shot)
{
    POINT origin = {0, 0};
    ClientToScreen(renderWindow, &origin);
    ClientColours colours;
    for (int y = origin.y; y < origin.y + 600 && y < shot.height; y += 2)
        for (int x = origin.x; x < origin.x + 800 && x < shot.width; x += 2) {
            const unsigned char* p = shot.At(x, y);
            colours.all.insert(p[0] << 16 | p[1] << 8 | p[2]);
            colours.tinted += std::abs(p[0] - p[1]) > 40 || std::abs(p[1] - p[2]) > 40;
            ++colours.pixels;
        }
    return colours;
}

RECT BothWindows(const RunningProgram& program)
{
    RECT render, panel, both;
    GetWindowRect(program.renderWindow, &render);
    GetWindowRect(program.panel, &panel);
    UnionRect(&both, &render, &panel);
    InflateRect(&both, 4, 4);
    if (both.left < 0)
        both.left = 0;
    if (both.top < 0)
        both.top = 0;
    return both;
}

void ClickRadio(HWND panel, int id)
{
    SendMessageA(GetDlgItem(panel, id), BM_CLICK, 0, 0);
}

// Once the program answers, the frame of the last change has been drawn (a
// slow driver takes seconds for one); a moment more puts it on the screen.
void WaitForFrameOnScreen(const RunningProgram& program)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutA(program.renderWindow, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 60000, &result);
    // After a slow frame the changes are drawn at the next WM_PAINT, once the
    // queue is empty; the window stays invalid until that frame is shown.
    for (int waited = 0; GetUpdateRect(program.renderWindow, nullptr, FALSE) && waited < 60000; waited += 50)
        Sleep(50);
    Sleep(300);
}

TEST(Program, StartsSettlesAndExitsZeroWhenClosed)
{
    RunningProgram program;
    ASSERT_NO_FATAL_FAILURE(StartProgram(program));
    EXPECT_EQ(program.renderWindow, GetWindow(program.panel, GW_OWNER));
    RECT client;
    GetClientRect(program.renderWindow, &client);
    EXPECT_EQ(800, client.right);
    EXPECT_EQ(600, client.bottom);
    // The sliders' first notifications bring the working defaults.
    EXPECT_TRUE(WaitForSettledPanel(program.panel));
    EXPECT_EQ("10.5", WindowText(GetDlgItem(program.panel, IDC_REPEAT_U_LABEL)));
    // Across processes Wine answers CB_GETLBTEXT in UTF-16 even to the ANSI
    // call, so the list text is asked for in UTF-16.
    for (const auto& list : {std::make_pair(IDC_MIN_FILTER_LIST, L"LINEAR_MIPMAP_LINEAR"),
                             std::make_pair(IDC_MAG_FILTER_LIST, L"LINEAR")}) {
        HWND combo = GetDlgItem(program.panel, list.first);
        const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        wchar_t text[64] = {};
        SendMessageW(combo, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text));
        EXPECT_EQ(std::wstring(list.second), std::wstring(text));
    }

    HWND panel = program.panel;
    EXPECT_EQ(0u, CloseProgram(program));
    EXPECT_FALSE(IsWindow(panel));
}

TEST(Program, ScreensShowTunnelPlaneAndLevelColours)
{
    RunningProgram program;
    ASSERT_NO_FATAL_FAILURE(StartProgram(program));
    ASSERT_TRUE(WaitForSettledPanel(program.panel));
    WaitForFrameOnScreen(program);
    const RECT area = BothWindows(program);

    Screenshot shot;
    ASSERT_TRUE(TakeScreenshot("tunnel-tinted", area, shot));
    ClientColours tunnel = ClientAreaColours(program.renderWindow, shot);
    EXPECT_GT(tunnel.tinted, tunnel.pixels / 3) << "the tinted levels fill the tunnel";
    EXPECT_GT(tunnel.all.size(), 200u);

    ClickRadio(program.panel, IDC_PLANE_RADIO);
    SendMessageA(program.panel, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 75),
                 reinterpret_cast<LPARAM>(GetDlgItem(program.panel, IDC_PLANE_ANGLE_SCROLL)));
    WaitForFrameOnScreen(program);
    ASSERT_TRUE(TakeScreenshot("plane-tilted", area, shot));
    POINT origin = {0, 0};
    ClientToScreen(program.renderWindow, &origin);
    const unsigned char* top = shot.At(origin.x + 400, origin.y + 5);
    EXPECT_EQ(51, top[0]) << "the tilted plane leaves the grey clear colour at the top";
    EXPECT_EQ(51, top[1]);
    EXPECT_EQ(51, top[2]);
    const unsigned char* lower = shot.At(origin.x + 400, origin.y + 400);
    EXPECT_FALSE(lower[0] == 51 && lower[1] == 51 && lower[2] == 51);

    ClickRadio(program.panel, IDC_TUNNEL_RADIO);
    ClickRadio(program.panel, IDC_MIPMAP_FULL_RADIO);
    HWND minList = GetDlgItem(program.panel, IDC_MIN_FILTER_LIST);
    SendMessageA(minList, CB_SETCURSEL, 2, 0);  // NEAREST_MIPMAP_NEAREST
    SendMessageA(program.panel, WM_COMMAND, MAKEWPARAM(IDC_MIN_FILTER_LIST, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(minList));
    HWND magList = GetDlgItem(program.panel, IDC_MAG_FILTER_LIST);
    SendMessageA(magList, CB_SETCURSEL, 0, 0);  // NEAREST: no blend of black and white
    SendMessageA(program.panel, WM_COMMAND, MAKEWPARAM(IDC_MAG_FILTER_LIST, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(magList));
    WaitForFrameOnScreen(program);
    ASSERT_TRUE(TakeScreenshot("tunnel-full-colored", area, shot));
    ClientColours flat = ClientAreaColours(program.renderWindow, shot);
    const std::set<unsigned> levelColours = {0xFE0000, 0x00FE00, 0x0000FE, 0xFE00FE,
                                             0x00FEFE, 0xFEFE00, 0x000000, 0xFEFEFE, 0x333333};
    size_t other = 0;
    for (unsigned colour : flat.all)
        other += levelColours.count(colour) == 0;
    EXPECT_EQ(0u, other) << "with nearest mipmaps every pixel is one level's colour";
    EXPECT_GE(flat.all.size(), 6u);

    EXPECT_EQ(0u, CloseProgram(program));
}

// A photo-like test card: a colour wheel of gradients with rings and fine
// stripes that show both blur and aliasing. 24-bit, bottom-up, with header.
std::string WriteTestCard(int side)
{
    const int rowBytes = (side * 3 + 3) & ~3;
    std::vector<unsigned char> bytes(54 + static_cast<size_t>(rowBytes) * side, 0);
    auto put32 = [&bytes](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            bytes[at + i] = static_cast<unsigned char>(v >> (8 * i));
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, static_cast<uint32_t>(bytes.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<uint32_t>(side));
    put32(22, static_cast<uint32_t>(side));
    bytes[26] = 1;
    bytes[28] = 24;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const double dx = x - side / 2.0, dy = y - side / 2.0;
            const double radius = std::sqrt(dx * dx + dy * dy) / side;
            const double angle = std::atan2(dy, dx);
            double r = 0.5 + 0.5 * std::cos(angle), g = 0.5 + 0.5 * std::cos(angle - 2.094),
                   b = 0.5 + 0.5 * std::cos(angle + 2.094);
            const double shade = (static_cast<int>(radius * 24) % 2) ? 1.0 : 0.75;
            if (x % 8 < 2 && y > side * 3 / 4)
                r = g = b = 1.0;  // fine stripes
            unsigned char* p = &bytes[54 + static_cast<size_t>(y) * rowBytes + x * 3];
            p[0] = static_cast<unsigned char>(255 * b * shade);
            p[1] = static_cast<unsigned char>(255 * g * shade);
            p[2] = static_cast<unsigned char>(255 * r * shade);
        }
    return WriteTempFile("quorvane-test-card.bmp", bytes);
}

// Answers the program's open-file dialog from this process.
bool ChooseFileInProgram(HWND panel, const std::string& path)
{
    PostMessageA(GetDlgItem(panel, IDC_BROWSE_BUTTON), BM_CLICK, 0, 0);
    for (int waited = 0; waited < 15000; waited += 100) {
        Sleep(100);
        HWND dialog = nullptr;
        while ((dialog = FindWindowExA(nullptr, dialog, "#32770", nullptr)) != nullptr) {
            if (GetWindow(dialog, GW_OWNER) != panel)
                continue;
            HWND nameBox = GetDlgItem(dialog, 0x47C);
            if (nameBox == nullptr)
                nameBox = GetDlgItem(dialog, 0x480);
            if (nameBox == nullptr)
                continue;
            SendMessageA(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
            PostMessageA(dialog, WM_COMMAND, IDOK, 0);
            return WaitForText(panel, IDC_BROWSE_BUTTON, path, 15000);
        }
    }
    return false;
}

TEST(Program, ShowsAChosenBmpOnThePlane)
{
    const std::string card = WriteTestCard(256);
    RunningProgram program;
    ASSERT_NO_FATAL_FAILURE(StartProgram(program));
    ASSERT_TRUE(WaitForSettledPanel(program.panel));
    ASSERT_TRUE(ChooseFileInProgram(program.panel, card));
    EXPECT_EQ(BST_CHECKED, SendMessageA(GetDlgItem(program.panel, IDC_USE_BMP_RADIO), BM_GETCHECK, 0, 0));
    ClickRadio(program.panel, IDC_PLANE_RADIO);
    // Moved with redraw, the distance slider reports through its repaint.
    SendMessageA(GetDlgItem(program.panel, IDC_DISTANCE_SLIDER), TBM_SETPOS, TRUE, 60);
    EXPECT_TRUE(WaitForText(program.panel, IDC_DISTANCE_LABEL, "6.0", 5000));
    SendMessageA(program.panel, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 70),
                 reinterpret_cast<LPARAM>(GetDlgItem(program.panel, IDC_PLANE_ANGLE_SCROLL)));
    SendMessageA(program.panel, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 20),
                 reinterpret_cast<LPARAM>(GetDlgItem(program.panel, IDC_REPEAT_U_SCROLL)));
    SendMessageA(program.panel, WM_HSCROLL, MAKEWPARAM(SB_THUMBTRACK, 20),
                 reinterpret_cast<LPARAM>(GetDlgItem(program.panel, IDC_REPEAT_V_SCROLL)));
    WaitForFrameOnScreen(program);
    Screenshot shot;
    ASSERT_TRUE(TakeScreenshot("plane-bmp", BothWindows(program), shot));
    ClientColours colours = ClientAreaColours(program.renderWindow, shot);
    EXPECT_GT(colours.all.size(), 1000u) << "the picture's gradients are on screen";
    EXPECT_EQ(0u, CloseProgram(program));
    DeleteFileA(card.c_str());
}

// The render window's client area on a screenshot, row after row.
std::vector<unsigned char> ClientPixels(HWND renderWindow, Screenshot& shot)
{
    POINT origin = {0, 0};
    ClientToScreen(renderWindow, &origin);
    std::vector<unsigned char> pixels;
    for (int y = origin.y; y < origin.y + 600 && y < shot.height; ++y)
        pixels.insert(pixels.end(), shot.At(origin.x, y), shot.At(origin.x, y) + 800 * 3);
    return pixels;
}

void MoveAnisoSlider(HWND panel, int position)
{
    HWND slider = GetDlgItem(panel, IDC_ANISO_SLIDER);
    SendMessageA(slider, TBM_SETPOS, TRUE, position);
    SendMessageA(panel, WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, position),
                 reinterpret_cast<LPARAM>(slider));
}

// Pixels of the map that are clearly blue or red: errors of a tenth of a level and more.
size_t ColouredPixels(const std::vector<unsigned char>& pixels)
{
    size_t coloured = 0;
    for (size_t i = 0; i + 2 < pixels.size(); i += 3)
        coloured += std::abs(pixels[i] - pixels[i + 2]) > 40;
    return coloured;
}

TEST(Program, MSwitchesBetweenThePictureAndTheErrorMap)
{
    RunningProgram program;
    ASSERT_NO_FATAL_FAILURE(StartProgram(program));
    ASSERT_TRUE(WaitForSettledPanel(program.panel));
    WaitForFrameOnScreen(program);
    const RECT area = BothWindows(program);
    Screenshot shot;
    ASSERT_TRUE(TakeScreenshot("picture-before-m", area, shot));
    const std::vector<unsigned char> picture = ClientPixels(program.renderWindow, shot);

    // M in the render window: the map of the same view.
    PostMessageA(program.renderWindow, WM_KEYDOWN, 'M', 0);
    Sleep(1000);
    WaitForFrameOnScreen(program);
    ASSERT_TRUE(TakeScreenshot("error-view", area, shot));
    const std::vector<unsigned char> map = ClientPixels(program.renderWindow, shot);
    ASSERT_EQ(picture.size(), map.size());
    const unsigned char* centre = &map[(300 * 800 + 400) * 3];
    EXPECT_EQ(40, centre[0]) << "the far opening has no value";
    size_t nearWhite = 0;
    for (size_t i = 0; i < map.size(); i += 3)
        nearWhite += map[i] > 220 && map[i + 1] > 220 && map[i + 2] > 220;
    EXPECT_GT(nearWhite, map.size() / 3 / 2) << "llvmpipe's trilinear levels are close to the rule";

    // A change while the map is on shows the new view's errors: at 16x the
    // driver's anisotropic level departs from the extension's formula.
    if (DriverOffers(anisoExtension)) {
        MoveAnisoSlider(program.panel, 4);
        Sleep(1000);
        WaitForFrameOnScreen(program);
        ASSERT_TRUE(TakeScreenshot("error-view-aniso", area, shot));
        EXPECT_GT(ColouredPixels(ClientPixels(program.renderWindow, shot)), ColouredPixels(map) + 10000);
        MoveAnisoSlider(program.panel, 0);
    }

    // M in the panel brings the picture back as it was.
    PostMessageA(GetDlgItem(program.panel, IDC_FACES_SLIDER), WM_KEYDOWN, 'M', 0);
    Sleep(1000);
    WaitForFrameOnScreen(program);
    ASSERT_TRUE(TakeScreenshot("picture-after-m", area, shot));
    EXPECT_TRUE(picture == ClientPixels(program.renderWindow, shot));
    EXPECT_EQ(0u, CloseProgram(program));
}

// Sets the display scale that programs started from now on see (Wine reads
// LogPixels once, when a process starts) and puts the old setting back.
struct ScaledDisplay {
    explicit ScaledDisplay(DWORD dpi)
    {
        RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0,
                        KEY_QUERY_VALUE | KEY_SET_VALUE, nullptr, &key, nullptr);
        DWORD size = sizeof(oldDpi);
        hadValue = RegQueryValueExA(key, "LogPixels", nullptr, nullptr,
                                    reinterpret_cast<BYTE*>(&oldDpi), &size) == ERROR_SUCCESS;
        RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                       sizeof(dpi));
    }
    ~ScaledDisplay()
    {
        if (hadValue)
            RegSetValueExA(key, "LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&oldDpi),
                           sizeof(oldDpi));
        else
            RegDeleteValueA(key, "LogPixels");
        RegCloseKey(key);
    }
    HKEY key = nullptr;
    DWORD oldDpi = 0;
    bool hadValue = false;
};

struct ProgramLook {
    SIZE client, frame, panelClient;
    Screenshot shot;
    POINT clientOrigin;
    LONG panelLeft;
};

void LookAtSettledProgram(const char* name, ProgramLook& look)
{
    RunningProgram program;
    ASSERT_NO_FATAL_FAILURE(StartProgram(program));
    ASSERT_TRUE(WaitForSettledPanel(program.panel));
    Sleep(300);
    RECT rect;
    GetClientRect(program.renderWindow, &rect);
    look.client = {rect.right, rect.bottom};
    GetWindowRect(program.renderWindow, &rect);
    look.frame = {rect.right - rect.left, rect.bottom - rect.top};
    GetClientRect(program.panel, &rect);
    look.panelClient = {rect.right, rect.bottom};
    GetWindowRect(program.panel, &rect);
    look.panelLeft = rect.left;
    look.clientOrigin = {0, 0};
    ClientToScreen(program.renderWindow, &look.clientOrigin);
    ASSERT_TRUE(TakeScreenshot(name, BothWindows(program), look.shot));
    EXPECT_EQ(0u, CloseProgram(program));
}

TEST(Program, At144DpiTheFrameKeepsItsPixelsAndThePanelScales)
{
    ProgramLook plain, scaled;
    ASSERT_NO_FATAL_FAILURE(LookAtSettledProgram("tunnel-tinted-96dpi", plain));
    {
        ScaledDisplay display(144);
        ASSERT_NO_FATAL_FAILURE(LookAtSettledProgram("tunnel-tinted-144dpi", scaled));
    }
    EXPECT_EQ(800, scaled.client.cx);
    EXPECT_EQ(600, scaled.client.cy);
    EXPECT_GT(scaled.frame.cy, plain.frame.cy) << "the caption grows with the scale";
    // The panel is laid out in dialog units of its font, which grows with the scale.
    EXPECT_NEAR(1.5, static_cast<double>(scaled.panelClient.cx) / plain.panelClient.cx, 0.12);
    EXPECT_NEAR(1.5, static_cast<double>(scaled.panelClient.cy) / plain.panelClient.cy, 0.12);

    // The frame is the same, pixel for pixel, wherever the larger panel leaves it visible.
    size_t compared = 0, differing = 0;
    for (int y = 0; y < 600; ++y)
        for (int x = 0; x < 800 && scaled.clientOrigin.x + x < scaled.panelLeft; ++x) {
            const unsigned char* a = plain.shot.At(plain.clientOrigin.x + x, plain.clientOrigin.y + y);
            const unsigned char* b = scaled.shot.At(scaled.clientOrigin.x + x, scaled.clientOrigin.y + y);
            differing += a[0] != b[0] || a[1] != b[1] || a[2] != b[2];
            ++compared;
        }
    EXPECT_GT(compared, 600u * 600u);
    EXPECT_EQ(0u, differing);
}

}  // namespace
