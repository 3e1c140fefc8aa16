#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/level_chains.h"
#include "textures/bitmap_levels.h"

namespace {

std::string Chain(int width, int height)
{
    BitmapLevelSize sizes[maxBitmapLevels];
    const int count = BitmapLevelSizes(width, height, sizes);
    std::string text;
    for (int i = 0; i < count; ++i)
        text += (i ? " " : "") + std::to_string(sizes[i].width) + "x" + std::to_string(sizes[i].height);
    return text;
}

TEST(BitmapLevelSizes, ChainsRunFromPowerOfTwoSidesDownToOneByOne)
{
    for (const LevelChainCase& c : levelChainCases)
        EXPECT_EQ(c.chain, Chain(c.width, c.height)) << c.width << " x " << c.height;
}

TEST(BitmapLevelSizes, LargestSidesFillTheTableAndLargerOnesAreRefused)
{
    BitmapLevelSize sizes[maxBitmapLevels];
    EXPECT_EQ(31, BitmapLevelSizes(1 << 30, 1, sizes));
    EXPECT_EQ(1 << 30, sizes[0].width);
    EXPECT_EQ(1, sizes[30].width);
    EXPECT_EQ(31, BitmapLevelSizes((1 << 29) + 1, 3, sizes));
    EXPECT_EQ(0, BitmapLevelSizes((1 << 30) + 1, 1, sizes));
    EXPECT_EQ(0, BitmapLevelSizes(0x7FFFFFFF, 1, sizes));
    EXPECT_EQ(0, BitmapLevelSizes(0, 5, sizes));
    EXPECT_EQ(0, BitmapLevelSizes(5, -1, sizes));
}

TEST(BlendHalf, HalvesBothBeforeAdding)
{
    struct Case {
        unsigned char texel, tint, result;
    };
    const Case cases[] = {{255, 255, 254}, {1, 1, 0}, {200, 0, 100}, {201, 255, 227}, {0, 255, 127}};
    for (const Case& c : cases) {
        unsigned char texel[3] = {c.texel, 0, c.texel};
        const unsigned char tint[3] = {c.tint, c.tint, 0};
        BlendHalf(texel, tint);
        EXPECT_EQ(c.result, texel[0]) << int(c.texel) << " with " << int(c.tint);
        EXPECT_EQ(c.tint >> 1, texel[1]);
        EXPECT_EQ(c.texel >> 1, texel[2]);
    }
}

TEST(BitmapLevelTint, CyclesThroughSixColoursFromLevelOne)
{
    const std::vector<std::vector<int>> colours = {
        {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 0, 255}, {0, 255, 255}, {255, 255, 0}};
    for (int level = 1; level <= 20; ++level) {
        EXPECT_EQ((level - 1) % 6, BitmapTintIndex(level)) << level;
        const unsigned char* t = BitmapLevelTint(level);
        EXPECT_EQ(colours[(level - 1) % 6], (std::vector<int>{t[0], t[1], t[2]})) << level;
    }
    EXPECT_EQ(0, BitmapTintIndex(7));
    EXPECT_EQ(2, BitmapTintIndex(9));  // the 1 x 1 level of a 300 x 200 picture is blue
    EXPECT_EQ(5, BitmapTintIndex(12));
}

// A 3 x 2 level of white, black and grey texels, coloured in each mode.
TEST(ColorBitmapLevel, ColoursEveryTexelOfLevelsAboveTheBase)
{
    const std::vector<unsigned char> scaled = {255, 255, 255, 0, 0, 0, 128, 64, 32,
                                               255, 255, 255, 0, 0, 0, 128, 64, 32};
    struct Case {
        int level;
        MipmapMode mode;
        std::vector<unsigned char> first3;  // white, black, grey after colouring
    };
    const Case cases[] = {
        {0, Tinted, {255, 255, 255, 0, 0, 0, 128, 64, 32}},  // level 0 never
        {0, FullColored, {255, 255, 255, 0, 0, 0, 128, 64, 32}},
        {3, Normal, {255, 255, 255, 0, 0, 0, 128, 64, 32}},
        {1, Tinted, {254, 127, 127, 127, 0, 0, 191, 32, 16}},  // red
        {8, Tinted, {127, 254, 127, 0, 127, 0, 64, 159, 16}},  // green again
        {1, FullColored, {255, 0, 0, 255, 0, 0, 255, 0, 0}},   // red
        {2, FullColored, {0, 255, 0, 0, 255, 0, 0, 255, 0}},
        {9, FullColored, {0, 0, 255, 0, 0, 255, 0, 0, 255}},
        {6, FullColored, {255, 255, 0, 255, 255, 0, 255, 255, 0}},
    };
    for (const Case& c : cases) {
        std::vector<unsigned char> texels = scaled;
        ColorBitmapLevel(texels.data(), 3, 2, c.level, c.mode);
        std::vector<unsigned char> expected = c.first3;
        expected.insert(expected.end(), c.first3.begin(), c.first3.end());
        EXPECT_EQ(expected, texels) << "level " << c.level << " mode " << c.mode;
    }
}

TEST(ColorBitmapLevel, TouchesNothingPastTheLevel)
{
    std::vector<unsigned char> block(3 * 4 * 4, 7);
    ColorBitmapLevel(block.data(), 2, 1, 1, FullColored);
    EXPECT_EQ((std::vector<unsigned char>{255, 0, 0, 255, 0, 0, 7}),
              std::vector<unsigned char>(block.begin(), block.begin() + 7));
}

}  // namespace
