// The settings panel's template as linked into the program: read back from
// the resource section and compared field by field with the layout users and
// the panel's code rely on (ids, classes, texts, rectangles, style bits).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "ui/resource.h"
#include "ui/settings_panel.h"
#include "wine/panel_support.h"

namespace {

struct TemplateItem {
    uint32_t exStyle;
    uint32_t style;
    int16_t x, y, cx, cy;
    int id;
    std::wstring className;  // ordinals turned into the class names they stand for
    std::wstring text;
};

struct DialogTemplate {
    uint32_t exStyle;
    uint32_t style;
    int16_t x, y, cx, cy;
    std::wstring menu, className, caption, fontName;
    uint16_t pointSize, weight;
    uint8_t italic, charset;
    std::vector<TemplateItem> items;
};

// Reads a DLGTEMPLATEEX from a byte buffer; each read checks the bounds.
struct TemplateReader {
    const unsigned char* data;
    size_t size;
    size_t at = 0;
    bool ok = true;

    template <typename T>
    T Read()
    {
        T value{};
        if (at + sizeof(T) > size) {
            ok = false;
            return value;
        }
        std::memcpy(&value, data + at, sizeof(T));
        at += sizeof(T);
        return value;
    }
    std::wstring ReadString()
    {
        std::wstring text;
        for (wchar_t c = Read<wchar_t>(); ok && c != 0; c = Read<wchar_t>())
            text += c;
        return text;
    }
    // A string, or 0xFFFF and an ordinal, which comes back as "#ordinal".
    std::wstring ReadNameOrOrdinal()
    {
        const size_t start = at;
        if (Read<uint16_t>() == 0xFFFF)
            return L"#" + std::to_wstring(Read<uint16_t>());
        at = start;
        return ReadString();
    }
    void AlignToDword() { at = (at + 3) & ~static_cast<size_t>(3); }
};

std::wstring PredefinedClassName(const std::wstring& name)
{
    static const wchar_t* const ordinals[] = {L"BUTTON", L"EDIT",      L"STATIC",
                                              L"LISTBOX", L"SCROLLBAR", L"COMBOBOX"};
    for (int i = 0; i < 6; ++i)
        if (name == L"#" + std::to_wstring(0x80 + i))
            return ordinals[i];
    // Class names are case-blind; resource compilers may change their case.
    std::wstring upper = name;
    for (wchar_t& c : upper)
        c = static_cast<wchar_t>(towupper(c));
    return upper;
}

bool ReadDialogTemplate(DialogTemplate& dialog)
{
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(IDD_SETTINGS), MAKEINTRESOURCEA(5));
    if (resource == nullptr)
        return false;
    TemplateReader reader{static_cast<const unsigned char*>(
                              LockResource(LoadResource(nullptr, resource))),
                          SizeofResource(nullptr, resource)};
    if (reader.data == nullptr || reader.Read<uint16_t>() != 1 || reader.Read<uint16_t>() != 0xFFFF)
        return false;  // not an extended template
    reader.Read<uint32_t>();  // help id
    dialog.exStyle = reader.Read<uint32_t>();
    dialog.style = reader.Read<uint32_t>();
    const uint16_t count = reader.Read<uint16_t>();
    dialog.x = reader.Read<int16_t>();
    dialog.y = reader.Read<int16_t>();
    dialog.cx = reader.Read<int16_t>();
    dialog.cy = reader.Read<int16_t>();
    dialog.menu = reader.ReadNameOrOrdinal();
    dialog.className = reader.ReadNameOrOrdinal();
    dialog.caption = reader.ReadString();
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = reader.Read<uint16_t>();
        dialog.weight = reader.Read<uint16_t>();
        dialog.italic = reader.Read<uint8_t>();
        dialog.charset = reader.Read<uint8_t>();
        dialog.fontName = reader.ReadString();
    }
    for (uint16_t i = 0; i < count && reader.ok; ++i) {
        TemplateItem item;
        reader.AlignToDword();
        reader.Read<uint32_t>();  // help id
        item.exStyle = reader.Read<uint32_t>();
        item.style = reader.Read<uint32_t>();
        item.x = reader.Read<int16_t>();
        item.y = reader.Read<int16_t>();
        item.cx = reader.Read<int16_t>();
        item.cy = reader.Read<int16_t>();
        // Resource compilers write -1 as 0xFFFF or 0xFFFFFFFF: the low word counts.
        item.id = static_cast<int16_t>(reader.Read<uint32_t>() & 0xFFFF);
        item.className = PredefinedClassName(reader.ReadNameOrOrdinal());
        item.text = reader.ReadNameOrOrdinal();
        reader.at += reader.Read<uint16_t>();  // creation data
        dialog.items.push_back(item);
    }
    return reader.ok;
}

const uint32_t childVisible = WS_CHILD | WS_VISIBLE;
const uint32_t trackbarStyle = childVisible | WS_TABSTOP | TBS_NOTICKS;
const uint32_t listStyle = childVisible | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST;
const uint32_t scrollStyle = childVisible | SBS_HORZ;
const uint32_t leftStatic = childVisible | WS_GROUP | SS_LEFT;
const uint32_t rightStatic = childVisible | WS_GROUP | SS_RIGHT;
const uint32_t radioStyle = childVisible | BS_AUTORADIOBUTTON;
const uint32_t groupBox = childVisible | BS_GROUPBOX;

const wchar_t* const trackbar = L"MSCTLS_TRACKBAR32";

// Template order is also Z-order and tab order, and it makes the radio groups.
const struct {
    int id;
    const wchar_t* className;
    const wchar_t* text;
    int16_t x, y, cx, cy;
    uint32_t style;
    uint32_t exStyle;
} expectedItems[] = {
    {IDC_ANISO_SLIDER, trackbar, L"", 6, 12, 200, 15, trackbarStyle, 0},
    {IDC_LODBIAS_SLIDER, trackbar, L"", 6, 42, 200, 15, trackbarStyle, 0},
    {IDC_MIN_FILTER_LIST, L"COMBOBOX", L"", 78, 60, 120, 71, listStyle, 0},
    {IDC_MAG_FILTER_LIST, L"COMBOBOX", L"", 78, 78, 120, 65, listStyle, 0},
    {IDC_BROWSE_BUTTON, L"BUTTON", L"Browse...", 66, 106, 130, 14,
     childVisible | WS_TABSTOP | BS_PUSHBUTTON, 0},
    {IDC_USE_BMP_RADIO, L"BUTTON", L"Use BMP:", 16, 111, 48, 10,
     radioStyle | WS_GROUP | WS_TABSTOP, 0},
    {IDC_CHECKER_RADIO, L"BUTTON", L"Use Checkerboard Texture:", 16, 126, 103, 10,
     radioStyle | WS_TABSTOP, 0},
    {IDC_CHECKER_SLIDER, trackbar, L"", 26, 142, 170, 15, trackbarStyle, 0},
    {IDC_MIPMAP_NORMAL_RADIO, L"BUTTON", L"Normal", 48, 162, 38, 10, radioStyle | WS_GROUP, 0},
    {IDC_MIPMAP_TINTED_RADIO, L"BUTTON", L"Tinted", 90, 162, 36, 10, radioStyle, 0},
    {IDC_MIPMAP_FULL_RADIO, L"BUTTON", L"Full Colored", 126, 162, 53, 10, radioStyle, 0},
    {IDC_PLANE_RADIO, L"BUTTON", L"Plane", 10, 250, 34, 10, radioStyle | WS_GROUP, 0},
    {IDC_DISTANCE_SLIDER, trackbar, L"", 24, 263, 170, 15, trackbarStyle, 0},
    {IDC_PLANE_ANGLE_SCROLL, L"SCROLLBAR", L"", 26, 287, 165, 11, scrollStyle, 0},
    {IDC_TUNNEL_RADIO, L"BUTTON", L"Tunnel", 10, 303, 38, 10, radioStyle, 0},
    {IDC_FACES_SLIDER, trackbar, L"", 26, 318, 170, 15, trackbarStyle, 0},
    {IDC_SCENE_ROTATION_SCROLL, L"SCROLLBAR", L"", 6, 351, 185, 11, scrollStyle, 0},
    {IDC_TEXTURE_ROTATION_SCROLL, L"SCROLLBAR", L"", 6, 376, 185, 11, scrollStyle, 0},
    {-1, L"STATIC", L"Max. Aniso", 12, 0, 100, 8, leftStatic, 0},
    {-1, L"STATIC", L"LOD Bias", 12, 30, 31, 8, leftStatic, 0},
    {IDC_ANISO_LABEL, L"STATIC", L"1x", 174, 0, 18, 8, rightStatic, 0},
    {IDC_LODBIAS_LABEL, L"STATIC", L"0.0", 162, 30, 29, 8, rightStatic, 0},
    {-1, L"STATIC", L"Scene Rotation around Z Axis", 6, 342, 96, 8, leftStatic, 0},
    {IDC_SCENE_ROTATION_LABEL, L"STATIC", L"0\u00B0", 156, 342, 29, 8, rightStatic, 0},
    {-1, L"STATIC", L"Texture Rotation", 6, 366, 54, 8, leftStatic, 0},
    {IDC_TEXTURE_ROTATION_LABEL, L"STATIC", L"0\u00B0", 156, 366, 29, 8, rightStatic, 0},
    {-1, L"STATIC", L"Minification Filter", 12, 60, 53, 8, leftStatic, 0},
    {-1, L"STATIC", L"Magnification Filter", 12, 78, 60, 8, leftStatic, 0},
    {IDC_CHECKER_LABEL, L"STATIC", L"0", 151, 131, 13, 8, rightStatic, 0},
    {-1, L"STATIC", L"Distance", 54, 251, 45, 8, leftStatic, 0},
    {IDC_DISTANCE_LABEL, L"STATIC", L"2.0", 168, 251, 21, 8, rightStatic, 0},
    {-1, L"BUTTON", L"Textures", 6, 96, 198, 138, groupBox, 0},
    {-1, L"STATIC", L"Mipmaps:", 12, 162, 31, 8, leftStatic, 0},
    {-1, L"BUTTON", L"Objects", 6, 240, 198, 96, groupBox, 0},
    {-1, L"STATIC", L"Faces", 56, 308, 45, 8, leftStatic, 0},
    {IDC_FACES_LABEL, L"STATIC", L"200", 170, 308, 18, 8, rightStatic, 0},
    {-1, L"STATIC", L"Angle", 50, 278, 19, 8, leftStatic, 0},
    {IDC_PLANE_ANGLE_LABEL, L"STATIC", L"0\u00B0", 156, 278, 29, 8, rightStatic, 0},
    {IDC_REPEAT_U_SCROLL, L"SCROLLBAR", L"", 24, 174, 150, 11, scrollStyle, 0},
    {IDC_REPEAT_V_SCROLL, L"SCROLLBAR", L"", 24, 186, 150, 11, scrollStyle, 0},
    {-1, L"STATIC", L"U", 12, 174, 8, 8, leftStatic, 0},
    {-1, L"STATIC", L"V", 12, 186, 8, 8, leftStatic, 0},
    {IDC_REPEAT_U_LABEL, L"STATIC", L"10.5", 180, 174, 18, 8, leftStatic, WS_EX_RIGHT},
    {IDC_REPEAT_V_LABEL, L"STATIC", L"1.0", 180, 186, 18, 8, leftStatic, WS_EX_RIGHT},
    {IDC_STAGE_SLIDER, trackbar, L"", 24, 216, 161, 14, trackbarStyle, 0},
    {-1, L"STATIC", L"Texture Stage", 12, 204, 46, 8, leftStatic, 0},
    {IDC_STAGE_LABEL, L"STATIC", L"0", 162, 204, 15, 8, leftStatic, 0},
};

std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (wchar_t c : text)
        narrow += c < 0x80 ? static_cast<char>(c) : '?';
    return narrow;
}

TEST(DialogTemplateTest, PanelTemplateHasItsCaptionFontPlaceAndStyle)
{
    DialogTemplate dialog;
    ASSERT_TRUE(ReadDialogTemplate(dialog));
    EXPECT_EQ(0x10C002C0u, dialog.style);
    EXPECT_EQ(0u, dialog.exStyle);
    EXPECT_EQ(500, dialog.x);
    EXPECT_EQ(80, dialog.y);
    EXPECT_EQ(208, dialog.cx);
    EXPECT_EQ(393, dialog.cy);
    EXPECT_EQ(L"", dialog.menu);
    EXPECT_EQ(L"", dialog.className);
    EXPECT_EQ(L"Settings", dialog.caption);
    EXPECT_EQ(L"MS Sans Serif", dialog.fontName);
    EXPECT_EQ(8, dialog.pointSize);
    EXPECT_EQ(0, dialog.weight);
    EXPECT_EQ(0, dialog.italic);
    EXPECT_EQ(0, dialog.charset);
}

TEST(DialogTemplateTest, ControlsComeInOrderWithTheirIdsClassesTextsRectanglesAndStyles)
{
    DialogTemplate dialog;
    ASSERT_TRUE(ReadDialogTemplate(dialog));
    const size_t expectedCount = sizeof(expectedItems) / sizeof(expectedItems[0]);
    ASSERT_EQ(47u, expectedCount);
    ASSERT_EQ(expectedCount, dialog.items.size());
    for (size_t i = 0; i < expectedCount; ++i) {
        const auto& want = expectedItems[i];
        const TemplateItem& got = dialog.items[i];
        SCOPED_TRACE("control #" + std::to_string(i + 1) + " \"" + Narrow(want.text) + "\"");
        EXPECT_EQ(want.id, got.id);
        EXPECT_EQ(want.className, got.className);
        EXPECT_EQ(want.text, got.text);
        EXPECT_EQ(want.x, got.x);
        EXPECT_EQ(want.y, got.y);
        EXPECT_EQ(want.cx, got.cx);
        EXPECT_EQ(want.cy, got.cy);
        EXPECT_EQ(want.style, got.style) << std::hex << (want.style ^ got.style);
        EXPECT_EQ(want.exStyle, got.exStyle);
    }
}

// The live panel: a click changes only its own radio group.
TEST(DialogTemplateTest, EachRadioGroupChecksOnItsOwn)
{
    ASSERT_NO_FATAL_FAILURE(OpenPanel());
    const int groups[][3] = {{IDC_USE_BMP_RADIO, IDC_CHECKER_RADIO, 0},
                             {IDC_MIPMAP_NORMAL_RADIO, IDC_MIPMAP_TINTED_RADIO, IDC_MIPMAP_FULL_RADIO},
                             {IDC_PLANE_RADIO, IDC_TUNNEL_RADIO, 0}};
    const int clicks[] = {IDC_PLANE_RADIO, IDC_MIPMAP_FULL_RADIO, IDC_MIPMAP_NORMAL_RADIO,
                          IDC_TUNNEL_RADIO};
    // Start-up: checkerboard, Tinted, Tunnel.
    int checked[3] = {IDC_CHECKER_RADIO, IDC_MIPMAP_TINTED_RADIO, IDC_TUNNEL_RADIO};
    for (int click : clicks) {
        Click(click);
        for (int g = 0; g < 3; ++g) {
            for (int id : groups[g])
                if (id == click)
                    checked[g] = click;
            for (int id : groups[g]) {
                if (id == 0)
                    continue;
                EXPECT_EQ(id == checked[g], IsChecked(id)) << "after " << click << ": " << id;
            }
        }
    }
    ClosePanel();
}

}  // namespace
