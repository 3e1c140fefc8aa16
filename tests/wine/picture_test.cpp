// Pictures read by the imaging component (PNG, TIFF, JPEG) on the same
// texture path as BMP, their failures, and files dropped on either window.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wincodec.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/viewer_state.h"
#include "common/bmp_writer.h"
#include "textures/bitmap_texture.h"
#include "textures/dib_reader.h"
#include "ui/resource.h"
#include "ui/settings_panel.h"
#include "wine/panel_support.h"
#include "wine/support.h"

namespace {

const int pictureWidth = 5;  // rows of 15 bytes: no 4-byte alignment to lean on
const int pictureHeight = 7;

// A smooth picture, so that JPEG's loss stays small; red grows to the right,
// green downwards, blue the other way: a flip or a channel swap is far off.
unsigned char Channel(int x, int y, int channel)
{
    const int values[] = {40 * x + 20, 30 * y + 20, 230 - 20 * x - 10 * y};
    return static_cast<unsigned char>(values[channel]);
}

std::string TempPath(const std::string& name)
{
    return TempFilePath("qv_picture_" + name);
}

std::string WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes)
{
    return WriteTempFile("qv_picture_" + name, bytes);
}

std::vector<uint8_t> ReadBytes(const std::string& path)
{
    const std::string text = FileText(path);
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::string WriteBmpPicture(const std::string& name)
{
    // The writer takes rows bottom first.
    std::vector<bmp::Rgb> rgb;
    for (int row = 0; row < pictureHeight; ++row)
        for (int x = 0; x < pictureWidth; ++x) {
            const int y = pictureHeight - 1 - row;
            rgb.push_back({Channel(x, y, 0), Channel(x, y, 1), Channel(x, y, 2)});
        }
    return WriteBytes(name, bmp::WriteRgb24(pictureWidth, pictureHeight, rgb));
}

// The picture written by the imaging component's encoder for `container`:
// 24-bit, or for GIF one palette entry per pixel (35 colours).
std::string WriteEncodedPicture(const std::string& name, const GUID& container,
                                int pictureWidth = ::pictureWidth)
{
    const std::string path = TempPath(name);
    const bool indexed = container == GUID_ContainerFormatGif;
    std::vector<unsigned char> bgr;
    std::vector<WICColor> colours;
    for (int y = 0; y < pictureHeight; ++y)
        for (int x = 0; x < pictureWidth; ++x) {
            if (indexed)
                bgr.push_back(static_cast<unsigned char>(colours.size()));
            colours.push_back(0xFF000000u | Channel(x, y, 0) << 16 | Channel(x, y, 1) << 8 | Channel(x, y, 2));
            for (int c = 2; c >= 0 && !indexed; --c)
                bgr.push_back(Channel(x, y, c));
        }
    const std::wstring widePath(path.begin(), path.end());
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    IWICImagingFactory* factory = nullptr;
    IWICStream* stream = nullptr;
    IWICBitmapEncoder* encoder = nullptr;
    IWICBitmapFrameEncode* frame = nullptr;
    IWICPalette* palette = nullptr;
    const WICPixelFormatGUID wanted = indexed ? GUID_WICPixelFormat8bppIndexed : GUID_WICPixelFormat24bppBGR;
    WICPixelFormatGUID format = wanted;
    const UINT stride = static_cast<UINT>(bgr.size() / pictureHeight);
    const bool written =
        SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))) &&
        SUCCEEDED(factory->CreateStream(&stream)) &&
        SUCCEEDED(stream->InitializeFromFilename(widePath.c_str(), GENERIC_WRITE)) &&
        SUCCEEDED(factory->CreateEncoder(container, nullptr, &encoder)) &&
        SUCCEEDED(encoder->Initialize(stream, WICBitmapEncoderNoCache)) &&
        SUCCEEDED(encoder->CreateNewFrame(&frame, nullptr)) && SUCCEEDED(frame->Initialize(nullptr)) &&
        SUCCEEDED(frame->SetSize(pictureWidth, pictureHeight)) && SUCCEEDED(frame->SetPixelFormat(&format)) &&
        format == wanted &&
        (!indexed || (SUCCEEDED(factory->CreatePalette(&palette)) &&
                      SUCCEEDED(palette->InitializeCustom(colours.data(), static_cast<UINT>(colours.size()))) &&
                      SUCCEEDED(frame->SetPalette(palette)))) &&
        SUCCEEDED(frame->WritePixels(pictureHeight, stride, static_cast<UINT>(bgr.size()), bgr.data())) &&
        SUCCEEDED(frame->Commit()) && SUCCEEDED(encoder->Commit());
    EXPECT_TRUE(written) << name;
    for (IUnknown* object : {static_cast<IUnknown*>(palette), static_cast<IUnknown*>(frame), static_cast<IUnknown*>(encoder),
                             static_cast<IUnknown*>(stream), static_cast<IUnknown*>(factory)})
        if (object != nullptr)
            object->Release();
    if (SUCCEEDED(com))
        CoUninitialize();
    return path;
}

// Every level of the bitmap texture, tightly packed, one after the other.
std::vector<unsigned char> TextureLevels()
{
    glBindTexture(GL_TEXTURE_2D, viewer.textureNames[bitmapTexture]);
    std::vector<unsigned char> texels;
    GLint width = 0, height = 0;
    for (int level = 0; glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width), width > 0; ++level) {
        glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_HEIGHT, &height);
        std::vector<unsigned char> one(static_cast<size_t>(width) * height * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, level, GL_RGB, GL_UNSIGNED_BYTE, one.data());
        glPixelStorei(GL_PACK_ALIGNMENT, 4);
        texels.insert(texels.end(), one.begin(), one.end());
    }
    return texels;
}

int LargestDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b)
{
    int largest = a.size() == b.size() ? 0 : 1000;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        largest = std::max(largest, std::abs(a[i] - b[i]));
    return largest;
}

// An HDROP as the shell makes it: the DROPFILES header, then the 8-bit paths,
// each ended, and one more terminator.
HDROP MakeDrop(const std::vector<std::string>& paths)
{
    std::string list;
    for (const std::string& path : paths)
        list += path + '\0';
    list += '\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size());
    DROPFILES* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    std::memcpy(header + 1, list.data(), list.size());
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

class PictureTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(OpenPanel()); }
    void TearDown() override
    {
        ClosePanel();
        for (const std::string& path : paths)
            DeleteFileA(path.c_str());
    }
    std::string Keep(const std::string& path)
    {
        paths.push_back(path);
        return path;
    }
    std::vector<std::string> paths;
};

TEST_F(PictureTest, PngTiffGifAndJpegMakeTheTextureOfTheSameBmp)
{
    const std::string bmpPath = Keep(WriteBmpPicture("same.bmp"));
    ASSERT_TRUE(LoadBitmapTexture(bmpPath.c_str()));
    const std::vector<unsigned char> expected = TextureLevels();
    ASSERT_EQ((64u + 16 + 4 + 1) * 3, expected.size());  // 8x8 down to 1x1

    const struct {
        const char* name;
        GUID container;
        int tolerance;  // JPEG loses a little
    } formats[] = {
        {"same.png", GUID_ContainerFormatPng, 0},
        {"same.tif", GUID_ContainerFormatTiff, 0},
        {"same.gif", GUID_ContainerFormatGif, 0},
        {"same.jpg", GUID_ContainerFormatJpeg, 24},
    };
    for (const auto& format : formats) {
        const std::string path = Keep(WriteEncodedPicture(format.name, format.container));
        MessageBoxCatcher catcher;
        const GLuint before = viewer.textureNames[bitmapTexture];
        ASSERT_TRUE(LoadBitmapAsBrowsed(testPanel, path.c_str())) << format.name << ": " << LastDibError();
        EXPECT_EQ(std::string(), LastDibError());
        EXPECT_TRUE(catcher.boxes.empty());
        EXPECT_NE(before, viewer.textureNames[bitmapTexture]);
        EXPECT_EQ(path, ItemText(IDC_BROWSE_BUTTON));
        EXPECT_LE(LargestDifference(expected, TextureLevels()), format.tolerance) << format.name;
        // Every handle on the file has been let go.
        EXPECT_TRUE(DeleteFileA(path.c_str())) << format.name << " still open";
    }
}

TEST_F(PictureTest, FailuresNameTheFileAndKeepTheShownTexture)
{
    const std::string good = Keep(WriteEncodedPicture("good.png", GUID_ContainerFormatPng));
    ASSERT_TRUE(LoadBitmapAsBrowsed(testPanel, good.c_str()));
    const GLuint shown = viewer.textureNames[bitmapTexture];
    const std::vector<unsigned char> levels = TextureLevels();

    std::vector<uint8_t> cut = ReadBytes(good);
    cut.resize(cut.size() / 2);
    std::vector<uint8_t> damaged = ReadBytes(good);
    for (size_t i = 40; i < damaged.size() - 12; ++i)
        damaged[i] = static_cast<uint8_t>(i * 7);
    const std::string folder = TempPath("folder.png");
    CreateDirectoryA(folder.c_str(), nullptr);
    const struct {
        std::string path;
        const char* reason;  // null: any reason the system gives
    } failures[] = {
        {Keep(WriteBytes("cut.png", cut)), nullptr},
        {Keep(WriteBytes("damaged.png", damaged)), nullptr},
        {Keep(WriteBytes("text.png", {'h', 'e', 'l', 'l', 'o'})), "not a picture format this system can read."},
        {TempPath("missing.jpg"), nullptr},
        {folder, "it is a folder."},
    };
    for (const auto& failure : failures) {
        MessageBoxCatcher catcher;
        EXPECT_FALSE(LoadBitmapAsBrowsed(testPanel, failure.path.c_str())) << failure.path;
        ASSERT_EQ(1u, catcher.boxes.size()) << failure.path;
        const std::string start = "Cannot read the picture " + failure.path + ": ";
        const std::string& text = catcher.boxes[0].text;
        EXPECT_EQ(0u, text.find(start)) << text;
        EXPECT_GT(text.size(), start.size() + 3) << text;
        if (failure.reason != nullptr) {
            EXPECT_EQ(start + failure.reason, text);
        }
        EXPECT_EQ("Error", catcher.boxes[0].caption);
        EXPECT_EQ(shown, viewer.textureNames[bitmapTexture]);
        EXPECT_EQ(good, ItemText(IDC_BROWSE_BUTTON));
        EXPECT_EQ(levels, TextureLevels());
    }
    RemoveDirectoryA(folder.c_str());

    // Too large for the driver: the BMP's words.
    const int wide = viewer.maxTextureSize + 1;
    MessageBoxCatcher catcher;
    EXPECT_FALSE(LoadBitmapAsBrowsed(testPanel, Keep(WriteEncodedPicture("wide.png", GUID_ContainerFormatPng, wide)).c_str()));
    EXPECT_EQ(std::vector<std::string>{"The picture is " + std::to_string(wide) +
                                       " x 7 pixels; this driver's textures are at most " +
                                       std::to_string(wide - 1) + " pixels on a side."},
              BoxTexts(catcher));
    EXPECT_EQ(shown, viewer.textureNames[bitmapTexture]);
    // A failed decoding let go of its file too.
    EXPECT_TRUE(DeleteFileA(failures[0].path.c_str()));
    EXPECT_TRUE(DeleteFileA(failures[1].path.c_str()));
}

TEST_F(PictureTest, DropOnEitherWindowLoadsTheFirstFileAsBrowseDoes)
{
    const std::string png = Keep(WriteEncodedPicture("drop.png", GUID_ContainerFormatPng));
    const std::string bmpPath = Keep(WriteBmpPicture("drop.bmp"));
    const std::string folder = TempPath("drop folder");
    CreateDirectoryA(folder.c_str(), nullptr);
    const struct {
        bool onPanel;
        std::vector<std::string> files;
        const char* shown;  // the button's path afterwards
        std::string box;    // empty: none
    } drops[] = {
        {false, {png}, png.c_str(), ""},
        {true, {bmpPath}, bmpPath.c_str(), ""},
        {true, {png, bmpPath, folder}, png.c_str(),
         "3 files were dropped; only the first is shown:\n" + png},
        {false, {bmpPath, png}, bmpPath.c_str(),
         "2 files were dropped; only the first is shown:\n" + bmpPath},
        {false, {folder, png}, bmpPath.c_str(), "Cannot read the picture " + folder + ": it is a folder."},
        {true, {folder}, bmpPath.c_str(), "Cannot read the picture " + folder + ": it is a folder."},
    };
    for (const auto& drop : drops) {
        const std::string what = (drop.onPanel ? "panel: " : "window: ") + drop.files[0];
        MessageBoxCatcher catcher;
        // The other radio first: a drop that loads shows the picture.
        Click(IDC_CHECKER_RADIO);
        SendMessageA(drop.onPanel ? testPanel : viewer.mainWindow, WM_DROPFILES,
                     reinterpret_cast<WPARAM>(MakeDrop(drop.files)), 0);
        PumpMessages();
        EXPECT_EQ(drop.shown, ItemText(IDC_BROWSE_BUTTON)) << what;
        EXPECT_EQ(drop.box.empty() || drop.box.find("dropped") != std::string::npos, viewer.useBitmap) << what;
        EXPECT_EQ(drop.box.empty() ? std::vector<std::string>{} : std::vector<std::string>{drop.box},
                  BoxTexts(catcher)) << what;
    }
    RemoveDirectoryA(folder.c_str());
}

}  // namespace
