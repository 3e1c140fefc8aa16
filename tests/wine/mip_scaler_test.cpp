// The mip-chain scaler against the platform's gluScaleImage, byte for byte,
// for every level size the chain asks for; and the bitmap texture's levels in
// every colouring mode against the chain made with gluScaleImage.
#include <gtest/gtest.h>

#include <windows.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "app/viewer_state.h"
#include "common/bmp_writer.h"
#include "textures/bitmap_levels.h"
#include "textures/bitmap_texture.h"
#include "textures/mip_scaler.h"
#include "wine/support.h"

namespace {

enum Content { Random, White, Ramp };

struct PictureCase {
    int width, height;
    Content content;
};

std::vector<unsigned char> MakeBytes(int width, int height, Content content)
{
    std::vector<unsigned char> bytes(static_cast<size_t>(width) * height * 3);
    uint32_t state = 12345u + static_cast<uint32_t>(width) * 7919u + static_cast<uint32_t>(height);
    for (size_t i = 0; i < bytes.size(); ++i) {
        state = state * 1664525u + 1013904223u;
        if (content == Random)
            bytes[i] = static_cast<unsigned char>(state >> 24);
        else if (content == White)
            bytes[i] = static_cast<unsigned char>(255 - (state >> 31));
        else
            bytes[i] = static_cast<unsigned char>(i / 3 % width * 255 / (width > 1 ? width - 1 : 1));
    }
    return bytes;
}

// The reference: gluScaleImage with the pixel-store state the texture
// builder had set for it (rows tightly packed both ways).
std::vector<unsigned char> GluScaled(const std::vector<unsigned char>& picture, int width, int height,
                                     int outWidth, int outHeight)
{
    std::vector<unsigned char> out(static_cast<size_t>(outWidth) * outHeight * 3);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    EXPECT_EQ(0, gluScaleImage(GL_RGB, width, height, GL_UNSIGNED_BYTE, picture.data(), outWidth,
                               outHeight, GL_UNSIGNED_BYTE, out.data()));
    glPopClientAttrib();
    return out;
}

std::vector<unsigned char> OurScaled(const std::vector<unsigned char>& picture, int width, int height,
                                     int outWidth, int outHeight)
{
    const size_t bytes = static_cast<size_t>(outWidth) * outHeight * 3;
    std::vector<unsigned char> out(bytes + 8, 0xA5);
    EXPECT_TRUE(ScaleRgbImage(picture.data(), width, height, out.data(), outWidth, outHeight));
    EXPECT_EQ(std::vector<unsigned char>(8, 0xA5), std::vector<unsigned char>(out.begin() + bytes, out.end()))
        << "written past the level";
    out.resize(bytes);
    return out;
}

// Where two levels first differ, for the failure message.
std::string FirstDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b, int width)
{
    const size_t i = static_cast<size_t>(std::mismatch(a.begin(), a.end(), b.begin(), b.end()).first - a.begin());
    return i == a.size() ? "sizes differ"
                         : "texel (" + std::to_string(i / 3 % width) + ", " + std::to_string(i / 3 / width) + ")";
}

class MipScalerTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(OpenRenderWindow()); }
    void TearDown() override
    {
        for (const std::string& path : paths)
            DeleteFileA(path.c_str());
        CloseRenderWindow();
    }
    std::vector<std::string> paths;
};

TEST_F(MipScalerTest, EveryChainLevelMatchesGluScaleImage)
{
    const PictureCase cases[] = {
        {1, 1, Random},     {1, 7, Random},       {3, 5, Random},    {17, 300, Random},
        {640, 480, Random}, {1000, 1, Random},    {1023, 1025, Random}, {2048, 2048, Random},
        {1023, 1025, White}, {256, 256, White},   {300, 200, Ramp},  {2, 2, Random},
        {2, 1, Random},     {1, 2, White},
    };
    for (const PictureCase& c : cases) {
        const std::vector<unsigned char> picture = MakeBytes(c.width, c.height, c.content);
        BitmapLevelSize sizes[maxBitmapLevels];
        const int count = BitmapLevelSizes(c.width, c.height, sizes);
        ASSERT_GT(count, 0);
        for (int level = 0; level < count; ++level) {
            const int w = sizes[level].width, h = sizes[level].height;
            const std::vector<unsigned char> expected = GluScaled(picture, c.width, c.height, w, h);
            const std::vector<unsigned char> actual = OurScaled(picture, c.width, c.height, w, h);
            EXPECT_TRUE(expected == actual)
                << c.width << " x " << c.height << " (content " << c.content << ") to " << w << " x " << h
                << ": " << FirstDifference(expected, actual, w);
        }
    }
}

// A level of the bound texture, rows tightly packed.
std::vector<unsigned char> ReadLevel(int level, int width, int height)
{
    std::vector<unsigned char> texels(static_cast<size_t>(width) * height * 3);
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glGetTexImage(GL_TEXTURE_2D, level, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
    glPopClientAttrib();
    return texels;
}

TEST_F(MipScalerTest, EveryModeUploadsTheLevelsOfTheGluChain)
{
    const PictureCase cases[] = {{300, 200, Random}, {64, 64, Random}, {512, 256, Random}, {5, 7, White}};
    for (const PictureCase& c : cases) {
        const std::vector<unsigned char> picture = MakeBytes(c.width, c.height, c.content);
        std::vector<bmp::Rgb> pixels;
        for (size_t i = 0; i < picture.size(); i += 3)
            pixels.push_back({picture[i], picture[i + 1], picture[i + 2]});
        const std::vector<uint8_t> file = bmp::WriteRgb24(c.width, c.height, pixels);
        const std::string path = TestDirectory() + "qv_scaler_" + std::to_string(paths.size()) + ".bmp";
        WriteFileBytes(path, file);
        paths.push_back(path);

        BitmapLevelSize sizes[maxBitmapLevels];
        const int count = BitmapLevelSizes(c.width, c.height, sizes);
        for (MipmapMode mode : {Normal, Tinted, FullColored}) {
            viewer.mipmapMode = mode;
            ASSERT_TRUE(LoadBitmapTexture(path.c_str()));
            for (int level = 0; level < count; ++level) {
                const int w = sizes[level].width, h = sizes[level].height;
                std::vector<unsigned char> expected = GluScaled(picture, c.width, c.height, w, h);
                ColorBitmapLevel(expected.data(), w, h, level, mode);
                EXPECT_TRUE(expected == ReadLevel(level, w, h))
                    << c.width << " x " << c.height << ", mode " << mode << ", level " << level;
            }
        }
    }
}

}  // namespace
