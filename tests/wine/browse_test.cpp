// The panel's Browse flow with the platform's real open-file dialog.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <fstream>
#include <string>
#include <vector>

#include "app/viewer_state.h"
#include "common/bmp_writer.h"
#include "app/gl_constants.h"
#include "textures/dib_reader.h"
#include "ui/resource.h"
#include "wine/panel_support.h"
#include "wine/support.h"

namespace {

std::string WritePicture(const std::string& name, int width, int height)
{
    bmp::Format format;
    format.width = width;
    format.height = height;
    return WriteTempFile(name, bmp::WriteBmp(format).bytes);
}

class BrowseTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(OpenPanel());
        // Panel settings that a load must carry onto the new texture.
        SelectFilter(IDC_MIN_FILTER_LIST, 0);
        SelectFilter(IDC_MAG_FILTER_LIST, 0);
        SendMessageA(Item(IDC_ANISO_SLIDER), TBM_SETPOS, TRUE, 2);
        UpdateWindow(Item(IDC_ANISO_SLIDER));
        PumpMessages();
        // A driver without the extension keeps its slider disabled at 1x.
        ASSERT_EQ(DriverOffers(anisoExtension) ? 4 : 1, viewer.maxAnisotropy);
        picture = WritePicture("quorvane browse.bmp", 5, 7);
    }
    void TearDown() override
    {
        ClosePanel();
        DeleteFileA(picture.c_str());
    }

    // Loads `path` through the Browse button and the real file dialog.
    void Browse(const std::string& path, int expectedDialogs = 1)
    {
        FileDialogAnswerer answerer(path);
        Click(IDC_BROWSE_BUTTON);
        EXPECT_EQ(expectedDialogs, answerer.dialogsSeen);
        EXPECT_EQ(testPanel, answerer.owner);
    }

    void ExpectBitmapShownWithPanelSettings()
    {
        EXPECT_TRUE(viewer.useBitmap);
        EXPECT_EQ(viewer.textureNames[bitmapTexture], BoundTexture());
        EXPECT_EQ(GL_NEAREST, BoundTextureParameter(GL_TEXTURE_MIN_FILTER));
        EXPECT_EQ(GL_NEAREST, BoundTextureParameter(GL_TEXTURE_MAG_FILTER));
        if (DriverOffers(anisoExtension)) {
            EXPECT_EQ(4, BoundTextureParameter(GL_TEXTURE_MAX_ANISOTROPY_EXT));
        }
    }

    std::string picture;
};

TEST_F(BrowseTest, ChosenFileBecomesTheTestTextureWithThePanelsSettings)
{
    Browse(picture);
    EXPECT_EQ(picture, ItemText(IDC_BROWSE_BUTTON));
    EXPECT_TRUE(viewer.bitmapLoaded);
    EXPECT_TRUE(IsChecked(IDC_USE_BMP_RADIO));
    EXPECT_FALSE(IsChecked(IDC_CHECKER_RADIO));
    ExpectBitmapShownWithPanelSettings();
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(8, width);
    EXPECT_EQ(8, height);
    EXPECT_GE(TakeFrameCount(), 1);

    // Back to the checkerboard and to the bitmap again: no reload, no dialog.
    const GLuint loaded = viewer.textureNames[bitmapTexture];
    Click(IDC_CHECKER_RADIO);
    EXPECT_FALSE(viewer.useBitmap);
    EXPECT_EQ(viewer.textureNames[checkerTexture], BoundTexture());
    FileDialogAnswerer noDialog("");
    Click(IDC_USE_BMP_RADIO);
    EXPECT_EQ(0, noDialog.dialogsSeen);
    EXPECT_EQ(loaded, viewer.textureNames[bitmapTexture]);
    ExpectBitmapShownWithPanelSettings();
}

TEST_F(BrowseTest, CancelChangesNothing)
{
    const GLuint before = viewer.textureNames[bitmapTexture];
    Browse("");
    EXPECT_EQ("Browse...", ItemText(IDC_BROWSE_BUTTON));
    EXPECT_FALSE(viewer.bitmapLoaded);
    EXPECT_FALSE(viewer.useBitmap);
    EXPECT_EQ(before, viewer.textureNames[bitmapTexture]);
    EXPECT_TRUE(IsChecked(IDC_CHECKER_RADIO));
    EXPECT_EQ(viewer.textureNames[checkerTexture], BoundTexture());
    // At least the closing redraw; the render window also repaints while the
    // dialog is open.
    EXPECT_GE(TakeFrameCount(), 1);
}

TEST_F(BrowseTest, UseBmpBeforeAnyLoadOpensTheDialog)
{
    {
        // Cancelled: the radio stays checked, the checkerboard stays shown.
        FileDialogAnswerer answerer("");
        Click(IDC_USE_BMP_RADIO);
        EXPECT_EQ(1, answerer.dialogsSeen);
        EXPECT_TRUE(IsChecked(IDC_USE_BMP_RADIO));
        EXPECT_FALSE(viewer.useBitmap);
        EXPECT_EQ(viewer.textureNames[checkerTexture], BoundTexture());
    }
    FileDialogAnswerer answerer(picture);
    Click(IDC_USE_BMP_RADIO);
    EXPECT_EQ(1, answerer.dialogsSeen);
    EXPECT_TRUE(viewer.bitmapLoaded);
    EXPECT_EQ(picture, ItemText(IDC_BROWSE_BUTTON));
    ExpectBitmapShownWithPanelSettings();
}

TEST_F(BrowseTest, BadFileIsReportedAndLeavesEverythingAsItWas)
{
    Browse(picture);
    const GLuint loaded = viewer.textureNames[bitmapTexture];
    Click(IDC_CHECKER_RADIO);

    // A header of 108 bytes is not one the reader knows.
    std::vector<uint8_t> bytes = bmp::WriteBmp(bmp::Format{}).bytes;
    bmp::PutU32(bytes, 14, 108);
    const std::string bad = WriteTempFile("quorvane bad.bmp", bytes);
    MessageBoxCatcher catcher;
    Browse(bad);
    DeleteFileA(bad.c_str());
    ASSERT_EQ(1u, catcher.boxes.size());
    EXPECT_EQ("Unknown DIB file format.", catcher.boxes[0].text);
    EXPECT_EQ("Error", catcher.boxes[0].caption);
    EXPECT_EQ(picture, ItemText(IDC_BROWSE_BUTTON));
    EXPECT_EQ(loaded, viewer.textureNames[bitmapTexture]);
    EXPECT_FALSE(viewer.useBitmap);
    EXPECT_TRUE(IsChecked(IDC_CHECKER_RADIO));
    EXPECT_EQ(viewer.textureNames[checkerTexture], BoundTexture());
}

TEST_F(BrowseTest, MipmapChangeReloadsFromTheButtonsPathAndKeepsFilters)
{
    Browse(picture);
    Click(IDC_MIPMAP_FULL_RADIO);
    EXPECT_EQ(FullColored, viewer.mipmapMode);
    ExpectBitmapShownWithPanelSettings();
    std::vector<unsigned char> level1(4 * 4 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, 1, GL_RGB, GL_UNSIGNED_BYTE, level1.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    for (size_t i = 0; i < level1.size(); i += 3) {
        EXPECT_EQ(255, level1[i]);
        EXPECT_EQ(0, level1[i + 1]);
        EXPECT_EQ(0, level1[i + 2]);
    }

    // The file has gone: the old texture stays, with the panel's settings.
    const GLuint before = viewer.textureNames[bitmapTexture];
    DeleteFileA(picture.c_str());
    MessageBoxCatcher catcher;
    Click(IDC_MIPMAP_NORMAL_RADIO);
    ASSERT_EQ(1u, catcher.boxes.size());
    EXPECT_EQ("Failed to open DIB file " + picture + ".\n", catcher.boxes[0].text);
    EXPECT_EQ(Normal, viewer.mipmapMode);
    EXPECT_EQ(before, viewer.textureNames[bitmapTexture]);
    ExpectBitmapShownWithPanelSettings();
}

TEST_F(BrowseTest, CheckerSliderSwitchesBackToTheCheckerboard)
{
    Browse(picture);
    SendMessageA(Item(IDC_CHECKER_SLIDER), TBM_SETPOS, TRUE, 2);
    UpdateWindow(Item(IDC_CHECKER_SLIDER));
    PumpMessages();
    EXPECT_EQ(2, viewer.checkerShift);
    EXPECT_FALSE(viewer.useBitmap);
    EXPECT_TRUE(IsChecked(IDC_CHECKER_RADIO));
    EXPECT_FALSE(IsChecked(IDC_USE_BMP_RADIO));
    EXPECT_EQ(viewer.textureNames[checkerTexture], BoundTexture());
    EXPECT_EQ(GL_NEAREST, BoundTextureParameter(GL_TEXTURE_MIN_FILTER));
    if (DriverOffers(anisoExtension)) {
        EXPECT_EQ(4, BoundTextureParameter(GL_TEXTURE_MAX_ANISOTROPY_EXT));
    }
}

}  // namespace

namespace {

TEST_F(BrowseTest, PictureLargerThanTheDriversTexturesIsRefusedAndTheShownOneStays)
{
    ASSERT_GE(viewer.maxTextureSize, 64);
    const int limit = viewer.maxTextureSize;
    // The largest side that fits loads (a one-row picture keeps it cheap).
    const std::string widest = WritePicture("quorvane widest.bmp", limit, 1);
    Browse(widest);
    DeleteFileA(widest.c_str());
    EXPECT_EQ(widest, ItemText(IDC_BROWSE_BUTTON));
    Browse(picture);
    const GLuint shown = viewer.textureNames[bitmapTexture];
    TakeFrameCount();

    const std::string tooWide = WritePicture("quorvane too wide.bmp", limit + 1, 1);
    MessageBoxCatcher catcher;
    Browse(tooWide);
    DeleteFileA(tooWide.c_str());
    ASSERT_EQ(1u, catcher.boxes.size());
    EXPECT_EQ("The picture is " + std::to_string(limit + 1) +
                  " x 1 pixels; this driver's textures are at most " + std::to_string(limit) +
                  " pixels on a side.",
              catcher.boxes[0].text);
    EXPECT_EQ("Error", catcher.boxes[0].caption);
    // Kept like a reader's failure, for a batch run to tell without the box.
    EXPECT_EQ(catcher.boxes[0].text, LastDibError());
    EXPECT_EQ(picture, ItemText(IDC_BROWSE_BUTTON));
    EXPECT_TRUE(IsChecked(IDC_USE_BMP_RADIO));
    EXPECT_EQ(shown, viewer.textureNames[bitmapTexture]);
    ExpectBitmapShownWithPanelSettings();
    GLint width = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    EXPECT_EQ(8, width);
    EXPECT_GE(TakeFrameCount(), 1);
}

}  // namespace
