#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "textures/texture_limit.h"

namespace {

TEST(TextureLimit, PowerOfTwoSidesAgainstTheDriversLargestSide)
{
    const struct {
        int width, height, limit;
        bool fits;
    } rows[] = {
        {16384, 1, 16384, true},    {16385, 1, 16384, false}, {1, 16385, 16384, false},
        {8193, 8193, 16384, true},  {16384, 16384, 16384, true}, {3, 3, 4, true},
        {3, 3, 2, false},           {5, 7, 0, true},          {INT_MAX, 1, 16384, false},
        {1, INT_MAX, 1 << 30, false}, {1, 1, 1, true},         {2, 1, 1, false},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.fits, PictureFitsTextureLimit(row.width, row.height, row.limit))
            << row.width << " x " << row.height << " against " << row.limit;
}

TEST(TextureLimit, MessageNamesThePictureAndTheLimit)
{
    char text[160];
    EXPECT_EQ(std::string("The picture is 16385 x 1 pixels; this driver's textures are at most "
                          "16384 pixels on a side."),
              FormatTooLargeMessage(text, sizeof(text), 16385, 1, 16384));
    // A short buffer is cut, not overrun.
    char shortText[12];
    EXPECT_EQ(std::string("The picture"), FormatTooLargeMessage(shortText, sizeof(shortText), 1, 2, 3));
}

}  // namespace
