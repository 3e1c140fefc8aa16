#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "textures/checker_texels.h"

namespace {

std::vector<uint32_t> Level(int level, int shift, int mode)
{
    const int side = CheckerLevelSide(level);
    std::vector<uint32_t> texels(static_cast<size_t>(side) * side, 0xDEADBEEFu);
    FillCheckerLevel(texels.data(), level, shift, static_cast<MipmapMode>(mode));
    return texels;
}

uint32_t At(const std::vector<uint32_t>& texels, int level, int x, int y)
{
    return texels[static_cast<size_t>(y) * CheckerLevelSide(level) + x];
}

TEST(CheckerTexels, LevelSidesHalveFrom512To1)
{
    const int sides[checkerLevelCount] = {512, 256, 128, 64, 32, 16, 8, 4, 2, 1};
    for (int level = 0; level < checkerLevelCount; ++level)
        EXPECT_EQ(sides[level], CheckerLevelSide(level)) << level;
}

TEST(CheckerTexels, SquareExponentPerShiftAndLevel)
{
    struct Row {
        int shift;
        int s[checkerLevelCount];
    };
    const Row rows[] = {
        {-8, {8, 7, 6, 5, 4, 3, 2, 1, 0, 0}}, {-3, {3, 2, 1, 0, 0, 0, 0, 0, 0, 0}},
        {0, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},  {1, {1, 1, 1, 1, 1, 1, 1, 1, 0, 0}},
        {3, {3, 3, 3, 3, 3, 3, 2, 1, 0, 0}},  {8, {8, 7, 6, 5, 4, 3, 2, 1, 0, 0}},
        {-1, {1, 0, 0, 0, 0, 0, 0, 0, 0, 0}}, {5, {5, 5, 5, 5, 4, 3, 2, 1, 0, 0}},
    };
    for (const Row& row : rows)
        for (int level = 0; level < checkerLevelCount; ++level)
            EXPECT_EQ(row.s[level], CheckerSquareExponent(row.shift, level))
                << "shift " << row.shift << " level " << level;
}

// On and off colours per level, as R, G, B bytes packed red-high.
TEST(CheckerTexels, OnAndOffColoursPerLevelAndMode)
{
    struct Row {
        int level;
        int mode;
        uint32_t on;
        uint32_t off;
    };
    const Row rows[] = {
        {0, 0, 0xFEFEFE00u, 0x00000000u}, {0, 1, 0xFEFEFE00u, 0x00000000u},
        {0, 2, 0xFEFEFE00u, 0x00000000u}, {1, 0, 0xFEFEFE00u, 0x00000000u},
        {5, 0, 0xFEFEFE00u, 0x00000000u}, {8, 0, 0xFEFEFE00u, 0x00000000u},
        {1, 1, 0xFE7F7F00u, 0x7F000000u}, {2, 1, 0x7FFE7F00u, 0x007F0000u},
        {3, 1, 0x7F7FFE00u, 0x00007F00u}, {4, 1, 0xFE7FFE00u, 0x7F007F00u},
        {5, 1, 0x7FFEFE00u, 0x007F7F00u}, {6, 1, 0xFEFE7F00u, 0x7F7F0000u},
        {7, 1, 0xFE7F7F00u, 0x7F000000u}, {8, 1, 0x7FFE7F00u, 0x007F0000u},
        {1, 2, 0xFE000000u, 0xFE000000u}, {2, 2, 0x00FE0000u, 0x00FE0000u},
        {3, 2, 0x0000FE00u, 0x0000FE00u}, {4, 2, 0xFE00FE00u, 0xFE00FE00u},
        {5, 2, 0x00FEFE00u, 0x00FEFE00u}, {6, 2, 0xFEFE0000u, 0xFEFE0000u},
        {7, 2, 0xFE000000u, 0xFE000000u}, {8, 2, 0x00FE0000u, 0x00FE0000u},
    };
    for (const Row& row : rows) {
        // Shift 0: one-texel squares, so (0,0) is on and (1,0) off.
        const std::vector<uint32_t> texels = Level(row.level, 0, row.mode);
        EXPECT_EQ(row.on, At(texels, row.level, 0, 0)) << row.level << "/" << row.mode;
        EXPECT_EQ(row.off, At(texels, row.level, 1, 0)) << row.level << "/" << row.mode;
        EXPECT_EQ(row.off, At(texels, row.level, 0, 1)) << row.level << "/" << row.mode;
        EXPECT_EQ(row.on, At(texels, row.level, 1, 1)) << row.level << "/" << row.mode;
    }
}

TEST(CheckerTexels, SingleTexelLevelIsAlwaysOn)
{
    const uint32_t expected[3] = {0xFEFEFE00u, 0x7F7FFE00u, 0x0000FE00u};
    for (int mode = 0; mode < 3; ++mode)
        for (int shift = -8; shift <= 8; ++shift)
            EXPECT_EQ(expected[mode], Level(9, shift, mode)[0]) << mode << " " << shift;
}

TEST(CheckerTexels, EveryTexelHasZeroAlphaAndNoByteAbove254)
{
    for (int mode = 0; mode < 3; ++mode)
        for (int shift = -8; shift <= 8; ++shift)
            for (int level = 0; level < checkerLevelCount; ++level) {
                const std::vector<uint32_t> texels = Level(level, shift, mode);
                size_t bad = 0;
                for (uint32_t t : texels) {
                    if ((t & 0xFFu) != 0 || (t >> 24) > 254 || ((t >> 16) & 0xFF) > 254 ||
                        ((t >> 8) & 0xFF) > 254)
                        ++bad;
                }
                EXPECT_EQ(0u, bad) << mode << " " << shift << " " << level;
            }
}

TEST(CheckerTexels, FullColoredLevelsAreFlatButLevelZeroIsTheBoard)
{
    for (int shift : {-8, 0, 3, 8}) {
        for (int level = 1; level < checkerLevelCount; ++level) {
            const std::vector<uint32_t> texels = Level(level, shift, 2);
            for (uint32_t t : texels)
                ASSERT_EQ(texels[0], t) << shift << " " << level;
        }
        const std::vector<uint32_t> base = Level(0, shift, 2);
        EXPECT_EQ(0xFEFEFE00u, base[0]);
        EXPECT_EQ(0u, At(base, 0, 511, 0)) << shift;  // the last square of row 0 is off
    }
}

TEST(CheckerTexels, ShiftEightAndMinusEightAreIdentical)
{
    for (int mode = 0; mode < 3; ++mode)
        for (int level = 0; level < checkerLevelCount; ++level)
            EXPECT_EQ(Level(level, 8, mode), Level(level, -8, mode)) << mode << " " << level;
}

TEST(CheckerTexels, OriginIsOnAtEveryLevel)
{
    for (int shift = -8; shift <= 8; ++shift)
        for (int level = 0; level < checkerLevelCount; ++level)
            EXPECT_NE(0u, Level(level, shift, 0)[0] >> 8) << shift << " " << level;
}

// Square edges in texels, on the rows and columns that a wrong row stride or a
// swapped x and y would break.
TEST(CheckerTexels, SquaresSitWhereTheExponentPutsThem)
{
    struct Probe {
        int shift, level, x, y;
        bool on;
    };
    const Probe probes[] = {
        {0, 0, 0, 0, true},    {0, 0, 1, 0, false},    {0, 0, 0, 1, false},
        {0, 0, 511, 511, true}, {0, 0, 510, 511, false}, {3, 0, 7, 0, true},
        {3, 0, 8, 0, false},   {3, 0, 0, 8, false},    {3, 0, 8, 8, true},
        {3, 0, 7, 15, false},  {3, 6, 3, 0, true},     {3, 6, 4, 0, false},
        {3, 7, 1, 1, true},    {3, 7, 2, 1, false},    {3, 8, 1, 0, false},
        {-3, 2, 1, 0, true},   {-3, 2, 2, 0, false},   {-3, 3, 1, 0, false},
        {-3, 3, 1, 63, true},  {8, 0, 255, 255, true}, {8, 0, 256, 0, false},
        {8, 0, 256, 256, true}, {8, 0, 0, 256, false}, {1, 3, 2, 1, false},
    };
    for (const Probe& p : probes) {
        const std::vector<uint32_t> texels = Level(p.level, p.shift, 0);
        EXPECT_EQ(p.on ? 0xFEFEFE00u : 0u, At(texels, p.level, p.x, p.y))
            << "shift " << p.shift << " level " << p.level << " at " << p.x << "," << p.y;
    }
}

TEST(CheckerTexels, HalfOfEveryMultiSquareLevelIsOn)
{
    for (int shift : {-8, -3, 0, 3, 8})
        for (int level = 0; level < 9; ++level) {
            const std::vector<uint32_t> texels = Level(level, shift, 0);
            size_t on = 0;
            for (uint32_t t : texels)
                on += t != 0;
            EXPECT_EQ(texels.size() / 2, on) << shift << " " << level;
        }
}

}  // namespace
