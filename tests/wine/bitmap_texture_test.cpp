// The bitmap texture on llvmpipe: level sizes, level contents per colouring
// mode, tight rows for odd widths, the fresh texture object and its filters,
// a failed read leaving the old texture alone, and the pixel-store state.
#include <gtest/gtest.h>

#include <windows.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/viewer_state.h"
#include "common/bmp_writer.h"
#include "common/level_chains.h"
#include "textures/bitmap_texture.h"
#include "textures/dib_reader.h"
#include "wine/support.h"

namespace {

using bmp::Rgb;
typedef std::function<Rgb(int x, int y)> PictureFunction;

std::vector<Rgb> MakePicture(int width, int height, const PictureFunction& colour)
{
    std::vector<Rgb> picture;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            picture.push_back(colour(x, y));
    return picture;
}

// Tightly packed bytes of a picture, bottom row first.
std::vector<unsigned char> Bytes(const std::vector<Rgb>& picture)
{
    std::vector<unsigned char> bytes;
    for (const Rgb& c : picture) {
        bytes.push_back(c.r);
        bytes.push_back(c.g);
        bytes.push_back(c.b);
    }
    return bytes;
}

int LevelParameter(int level, GLenum parameter)
{
    GLint value = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, level, parameter, &value);
    return value;
}

int TextureParameter(GLenum parameter)
{
    GLint value = -1;
    glGetTexParameteriv(GL_TEXTURE_2D, parameter, &value);
    return value;
}

int Integer(GLenum name)
{
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
}

// Level sizes of the bound texture, "256x128 128x64 ...".
std::string LevelSizes()
{
    std::string text;
    for (int level = 0; level < 32; ++level) {
        const int width = LevelParameter(level, GL_TEXTURE_WIDTH);
        if (width == 0)
            break;
        text += (level ? " " : "") + std::to_string(width) + "x" +
                std::to_string(LevelParameter(level, GL_TEXTURE_HEIGHT));
    }
    return text;
}

// A level of the bound texture read back with rows tightly packed; the pack
// alignment is put back to the default afterwards.
std::vector<unsigned char> ReadLevel(int level)
{
    const size_t bytes = static_cast<size_t>(LevelParameter(level, GL_TEXTURE_WIDTH)) *
                         LevelParameter(level, GL_TEXTURE_HEIGHT) * 3;
    std::vector<unsigned char> texels(bytes + 16, 0xCD);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    // Nothing written past the level.
    EXPECT_EQ(std::vector<unsigned char>(16, 0xCD),
              std::vector<unsigned char>(texels.begin() + bytes, texels.end()));
    texels.resize(bytes);
    return texels;
}

std::vector<unsigned char> Flat(int texels, unsigned char r, unsigned char g, unsigned char b)
{
    std::vector<unsigned char> bytes;
    for (int i = 0; i < texels; ++i) {
        bytes.push_back(r);
        bytes.push_back(g);
        bytes.push_back(b);
    }
    return bytes;
}

class BitmapTextureTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(OpenRenderWindow()); }

    void TearDown() override
    {
        for (const std::string& path : paths)
            DeleteFileA(path.c_str());
        CloseRenderWindow();
    }

    std::string WritePicture(int width, int height, const PictureFunction& colour)
    {
        return WriteBytes(bmp::WriteRgb24(width, height, MakePicture(width, height, colour)));
    }

    std::string WriteBytes(const std::vector<uint8_t>& bytes)
    {
        const std::string path =
            WriteTempFile("qv_bitmap_" + std::to_string(paths.size()) + ".bmp", bytes);
        paths.push_back(path);
        return path;
    }

    std::vector<std::string> paths;
};

Rgb White(int, int)
{
    return {255, 255, 255};
}

TEST_F(BitmapTextureTest, LevelSizesRunDownToOneByOne)
{
    for (const LevelChainCase& c : levelChainCases) {
        const std::string path = WritePicture(c.width, c.height, White);
        ASSERT_TRUE(LoadBitmapTexture(path.c_str())) << path;
        EXPECT_EQ(c.chain, LevelSizes()) << c.width << " x " << c.height;
    }
}

TEST_F(BitmapTextureTest, ModesColourEveryLevelButTheBase)
{
    struct Case {
        MipmapMode mode;
        Rgb picture;
        int level;
        std::vector<unsigned char> texel;
    };
    const Case cases[] = {
        {Normal, {255, 255, 255}, 0, {255, 255, 255}},
        {Normal, {255, 255, 255}, 1, {255, 255, 255}},
        {Normal, {255, 255, 255}, 9, {255, 255, 255}},
        {Tinted, {255, 255, 255}, 0, {255, 255, 255}},
        {Tinted, {255, 255, 255}, 1, {254, 127, 127}},
        {Tinted, {255, 255, 255}, 2, {127, 254, 127}},
        {Tinted, {255, 255, 255}, 9, {127, 127, 254}},
        {Tinted, {0, 0, 0}, 1, {127, 0, 0}},
        {FullColored, {255, 255, 255}, 0, {255, 255, 255}},
        {FullColored, {255, 255, 255}, 1, {255, 0, 0}},
        {FullColored, {255, 255, 255}, 2, {0, 255, 0}},
        {FullColored, {255, 255, 255}, 4, {255, 0, 255}},
        {FullColored, {255, 255, 255}, 7, {255, 0, 0}},
        {FullColored, {255, 255, 255}, 9, {0, 0, 255}},
    };
    for (const Case& c : cases) {
        viewer.mipmapMode = c.mode;
        const Rgb colour = c.picture;
        const std::string path = WritePicture(300, 200, [colour](int, int) { return colour; });
        ASSERT_TRUE(LoadBitmapTexture(path.c_str()));
        const int texels = LevelParameter(c.level, GL_TEXTURE_WIDTH) *
                           LevelParameter(c.level, GL_TEXTURE_HEIGHT);
        EXPECT_EQ(Flat(texels, c.texel[0], c.texel[1], c.texel[2]), ReadLevel(c.level))
            << "mode " << c.mode << ", level " << c.level;
    }
}

// Pictures whose width is not a multiple of 4: each level must be the
// scaler's picture of tight rows, and rows of one colour stay rows of one
// colour (a wrong row stride shears them).
TEST_F(BitmapTextureTest, OddWidthsAreScaledFromTightRowsWithoutShear)
{
    struct Case {
        int width, height;
        const char* what;
        PictureFunction colour;
    };
    const Case cases[] = {
        {3, 3, "3 x 3 distinct",
         [](int x, int y) { return Rgb{uint8_t(x * 90 + 10), uint8_t(y * 100 + 20), uint8_t(x * y * 40)}; }},
        {5, 7, "5 x 7 distinct",
         [](int x, int y) { return Rgb{uint8_t(x * 50 + 5), uint8_t(y * 35 + 9), uint8_t(200 - x * y * 5)}; }},
        {3, 3, "3 x 3 rows", [](int, int y) { return Rgb{uint8_t(y * 120), uint8_t(250 - y * 120), 60}; }},
        {5, 7, "5 x 7 rows", [](int, int y) { return Rgb{uint8_t(y * 40), 7, uint8_t(255 - y * 40)}; }},
        {5, 7, "5 x 7 columns", [](int x, int) { return Rgb{90, uint8_t(x * 60), uint8_t(x * 30)}; }},
    };
    viewer.mipmapMode = Normal;
    for (const Case& c : cases) {
        const std::vector<Rgb> picture = MakePicture(c.width, c.height, c.colour);
        const std::string path = WriteBytes(bmp::WriteRgb24(c.width, c.height, picture));
        ASSERT_TRUE(LoadBitmapTexture(path.c_str())) << c.what;

        const std::vector<unsigned char> source = Bytes(picture);
        for (int level = 0; LevelParameter(level, GL_TEXTURE_WIDTH) != 0; ++level) {
            const int w = LevelParameter(level, GL_TEXTURE_WIDTH);
            const int h = LevelParameter(level, GL_TEXTURE_HEIGHT);
            std::vector<unsigned char> expected(static_cast<size_t>(w) * h * 3);
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
            glPixelStorei(GL_PACK_ALIGNMENT, 1);
            gluScaleImage(GL_RGB, c.width, c.height, GL_UNSIGNED_BYTE, source.data(), w, h,
                          GL_UNSIGNED_BYTE, expected.data());
            glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
            glPixelStorei(GL_PACK_ALIGNMENT, 4);
            const std::vector<unsigned char> texels = ReadLevel(level);
            EXPECT_EQ(expected, texels) << c.what << ", level " << level;

            if (level != 0)
                continue;
            const bool rows = std::string(c.what).find("rows") != std::string::npos;
            const bool columns = std::string(c.what).find("columns") != std::string::npos;
            for (int y = 0; y < h; ++y) {
                for (int x = 0; x < w; ++x) {
                    const unsigned char* t = &texels[(static_cast<size_t>(y) * w + x) * 3];
                    const unsigned char* ref = rows ? &texels[static_cast<size_t>(y) * w * 3]
                                                    : &texels[static_cast<size_t>(x) * 3];
                    if (rows || columns) {
                        EXPECT_EQ(std::vector<unsigned char>(ref, ref + 3),
                                  std::vector<unsigned char>(t, t + 3))
                            << c.what << " at (" << x << ", " << y << ")";
                    }
                }
            }
        }
    }
}

TEST_F(BitmapTextureTest, NewObjectHasOnlyTheMinificationFilterSetAndIsBound)
{
    const GLuint old = viewer.textureNames[bitmapTexture];
    ASSERT_NE(0u, old);
    glBindTexture(GL_TEXTURE_2D, old);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP);
    glBindTexture(GL_TEXTURE_2D, viewer.textureNames[checkerTexture]);

    const std::string path = WritePicture(4, 4, White);
    ASSERT_TRUE(LoadBitmapTexture(path.c_str()));
    const GLuint name = viewer.textureNames[bitmapTexture];
    EXPECT_EQ(static_cast<int>(name), Integer(GL_TEXTURE_BINDING_2D));
    EXPECT_EQ(GL_LINEAR_MIPMAP_LINEAR, TextureParameter(GL_TEXTURE_MIN_FILTER));
    EXPECT_EQ(GL_LINEAR, TextureParameter(GL_TEXTURE_MAG_FILTER));
    EXPECT_EQ(GL_REPEAT, TextureParameter(GL_TEXTURE_WRAP_S));
    EXPECT_TRUE(glIsTexture(name));
    // The name may come back, but then it names a new object (see above).
    if (name != old) {
        EXPECT_FALSE(glIsTexture(old));
    }
    EXPECT_TRUE(glIsTexture(viewer.textureNames[checkerTexture]));
    EXPECT_TRUE(glIsTexture(viewer.textureNames[whiteTexture]));
}

TEST_F(BitmapTextureTest, FailedReadLeavesTheOldTextureAndBindingAlone)
{
    viewer.mipmapMode = FullColored;
    const std::string good = WritePicture(6, 3, [](int x, int y) {
        return Rgb{uint8_t(x * 40), uint8_t(y * 80), 33};
    });
    ASSERT_TRUE(LoadBitmapTexture(good.c_str()));
    const GLuint name = viewer.textureNames[bitmapTexture];
    const std::string sizes = LevelSizes();
    std::vector<std::vector<unsigned char>> levels;
    for (int level = 0; level < 4; ++level)
        levels.push_back(ReadLevel(level));
    ASSERT_EQ("8x4 4x2 2x1 1x1", sizes);

    std::vector<uint8_t> unknown = bmp::WriteRgb24(2, 2, MakePicture(2, 2, White));
    bmp::PutU32(unknown, 14, 108);
    char directory[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    const std::string missing = std::string(directory) + "qv_bitmap_missing.bmp";
    const struct {
        std::string path;
        std::string message;
    } failures[] = {
        {missing, "Failed to open DIB file " + missing + ".\n"},
        {WriteBytes(unknown), "Unknown DIB file format."},
    };
    for (const auto& failure : failures) {
        glBindTexture(GL_TEXTURE_2D, viewer.textureNames[checkerTexture]);
        MessageBoxCatcher catcher;
        EXPECT_FALSE(LoadBitmapTexture(failure.path.c_str()));
        EXPECT_EQ(failure.message, LastDibError());
        EXPECT_TRUE(catcher.boxes.empty());
        EXPECT_EQ(name, viewer.textureNames[bitmapTexture]);
        // No OpenGL call was made: the checkerboard is still bound.
        EXPECT_EQ(static_cast<int>(viewer.textureNames[checkerTexture]), Integer(GL_TEXTURE_BINDING_2D));
        glBindTexture(GL_TEXTURE_2D, name);
        EXPECT_EQ(sizes, LevelSizes());
        for (int level = 0; level < 4; ++level)
            EXPECT_EQ(levels[level], ReadLevel(level)) << "level " << level;
    }
}

TEST_F(BitmapTextureTest, PixelStoreAlignmentsAreAsBeforeAfterwards)
{
    const std::string path = WritePicture(5, 3, White);
    ASSERT_EQ(4, Integer(GL_UNPACK_ALIGNMENT));
    ASSERT_EQ(4, Integer(GL_PACK_ALIGNMENT));
    ASSERT_TRUE(LoadBitmapTexture(path.c_str()));
    EXPECT_EQ(4, Integer(GL_UNPACK_ALIGNMENT));
    EXPECT_EQ(4, Integer(GL_PACK_ALIGNMENT));

    glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    glPixelStorei(GL_PACK_ALIGNMENT, 8);
    ASSERT_TRUE(LoadBitmapTexture(path.c_str()));
    EXPECT_EQ(2, Integer(GL_UNPACK_ALIGNMENT));
    EXPECT_EQ(8, Integer(GL_PACK_ALIGNMENT));
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
}

}  // namespace
