#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "textures/bitmap_levels.h"
#include "textures/mip_scaler.h"

namespace {

// "index:weight index:weight | ..." per output sample.
std::string Taps(int inSize, int outSize)
{
    const AxisTaps taps = ScaleAxisTaps(inSize, outSize);
    std::string text;
    for (int i = 0; i < outSize; ++i) {
        text += i ? " | " : "";
        for (int k = taps.first[i]; k < taps.first[i + 1]; ++k)
            text += (k > taps.first[i] ? " " : "") + std::to_string(taps.index[k]) + ":" +
                    std::to_string(taps.weight[k]).substr(0, 5);
    }
    return text;
}

TEST(ScaleAxisTaps, BoxesWithFractionalEdgesWrapRoundWhenEnlarging)
{
    const struct {
        int in, out;
        const char* taps;
    } cases[] = {
        {4, 4, "0:1.000 | 1:1.000 | 2:1.000 | 3:1.000"},
        {4, 2, "0:1.000 1:1.000 | 2:1.000 3:1.000"},
        {3, 2, "0:1.000 1:0.500 | 1:0.500 2:1.000"},
        {5, 1, "0:1.000 1:1.000 2:1.000 3:1.000 4:1.000"},
        // Enlarged boxes are one texel wide and wrap at both ends.
        {1, 2, "0:0.250 0:0.750 | 0:0.750 0:0.250"},
        {3, 4, "2:0.125 0:0.875 | 0:0.375 1:0.625 | 1:0.625 2:0.375 | 2:0.875 0:0.125"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.taps, Taps(c.in, c.out)) << c.in << " to " << c.out;
}

typedef std::vector<unsigned char> Bytes;

Bytes Scaled(const Bytes& in, int width, int height, int outWidth, int outHeight)
{
    Bytes out(static_cast<size_t>(outWidth) * outHeight * 3 + 4, 0xEE);
    EXPECT_TRUE(ScaleRgbImage(in.data(), width, height, out.data(), outWidth, outHeight));
    EXPECT_EQ(Bytes(4, 0xEE), Bytes(out.end() - 4, out.end())) << "written past the end";
    out.resize(out.size() - 4);
    return out;
}

TEST(ScaleRgbImage, SmallCasesByHand)
{
    const struct {
        const char* what;
        int width, height, outWidth, outHeight;
        Bytes in, out;
    } cases[] = {
        // Halving rounds the mean of 16-bit samples, not of bytes: a byte sum
        // of 2 gives 0 (bytes would give 1), 6 gives 1 (bytes: 2), 4 gives 1.
        {"halving", 2, 2, 1, 1, {1, 0, 2, 1, 3, 2, 0, 1, 0, 0, 2, 0}, {0, 1, 1}},
        // Widened first: 255, 255, 254 give 255, where bytes would give 254.
        {"one row of three", 3, 1, 1, 1, {0, 255, 9, 0, 255, 9, 1, 254, 9}, {0, 255, 9}},
        {"same size", 2, 1, 2, 1, {1, 2, 3, 4, 5, 6}, {1, 2, 3, 4, 5, 6}},
        // Enlarged: a quarter of the far end's texel comes in at each end.
        {"enlarged row", 2, 1, 4, 1, {0, 10, 7, 255, 10, 7}, {64, 10, 7, 64, 10, 7, 191, 10, 7, 191, 10, 7}},
        {"enlarged texel", 1, 1, 2, 2, {200, 3, 77}, {200, 3, 77, 200, 3, 77, 200, 3, 77, 200, 3, 77}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.out, Scaled(c.in, c.width, c.height, c.outWidth, c.outHeight)) << c.what;
}

// Large enough for worker threads: every output row must be there, from its
// own input rows.
TEST(ScaleRgbImage, LargeLevelsKeepEveryBlockInItsPlace)
{
    // 16 x 16 blocks of one colour each reduce to one texel each: their sums
    // stay below 2^24, so the mean is exact.
    const int side = 512, blocks = side / 16;
    Bytes in(static_cast<size_t>(side) * side * 3);
    Bytes expected;
    for (int by = 0; by < blocks; ++by)
        for (int bx = 0; bx < blocks; ++bx)
            expected.insert(expected.end(), {static_cast<unsigned char>(bx * 8), static_cast<unsigned char>(by * 8),
                                             static_cast<unsigned char>((bx + by) * 4)});
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            for (int c = 0; c < 3; ++c)
                in[(static_cast<size_t>(y) * side + x) * 3 + c] = expected[((y / 16) * blocks + x / 16) * 3 + c];
    EXPECT_EQ(expected, Scaled(in, side, side, blocks, blocks));

    // Uneven boxes over one colour give that colour everywhere.
    const Bytes flat(600 * 300 * 3, 173);
    EXPECT_EQ(Bytes(256 * 128 * 3, 173), Scaled(flat, 600, 300, 256, 128));
}

TEST(ScaleRgbImage, RefusesEmptySides)
{
    unsigned char texel[3] = {1, 2, 3};
    EXPECT_FALSE(ScaleRgbImage(texel, 0, 1, texel, 1, 1));
    EXPECT_FALSE(ScaleRgbImage(texel, 1, 1, texel, 1, 0));
    EXPECT_EQ(1, texel[0]);
}

}  // namespace

namespace {

// Levels are handed over in order, each as the scaler makes it at its size,
// level 0 as the picture itself when it comes back unchanged, and with two
// blocks never in the block the next level is being scaled into.
TEST(ScaleLevels, HandsOverEveryLevelInOrder)
{
    const int width = 64, height = 32;
    Bytes picture(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < picture.size(); ++i)
        picture[i] = static_cast<unsigned char>(i * 7 % 251);
    BitmapLevelSize sizes[maxBitmapLevels];
    const int count = BitmapLevelSizes(width, height, sizes);
    for (bool twoBlocks : {true, false}) {
        for (bool scaleUpper : {true, false}) {
            Bytes base(picture.size(), 0), upper(picture.size() / 4, 0);
            std::vector<int> order;
            ScaleLevels(picture.data(), width, height, sizes, count, scaleUpper, base.data(),
                        twoBlocks ? upper.data() : nullptr, [&](int level, unsigned char* texels) {
                            order.push_back(level);
                            const int w = sizes[level].width, h = sizes[level].height;
                            if (level == 0)
                                EXPECT_EQ(picture.data(), texels);
                            else if (scaleUpper)
                                EXPECT_EQ(Scaled(picture, width, height, w, h),
                                          Bytes(texels, texels + static_cast<size_t>(w) * h * 3))
                                    << "level " << level;
                            // Colour the levels above 0, as the texture
                            // builder does: no later level may see it.
                            if (level > 0)
                                std::fill(texels, texels + static_cast<size_t>(w) * h * 3, 0x5A);
                        });
            EXPECT_EQ((std::vector<int>{0, 1, 2, 3, 4, 5, 6}), order);
        }
    }
}

}  // namespace
