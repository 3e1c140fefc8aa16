#include "textures/bitmap_levels.h"

#include <cstddef>
#include <cstring>

#include "textures/power_of_two.h"

namespace {

const int tintCount = 6;

// The checkerboard's cycle of level colours, at 255.
const unsigned char levelTints[tintCount][3] = {
    {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 0, 255}, {0, 255, 255}, {255, 255, 0},
};

const int largestSide = 1 << 30;

int NextLevelSide(int side)
{
    return side / 2 > 1 ? side / 2 : 1;
}

}  // namespace

int BitmapLevelSizes(int pictureWidth, int pictureHeight, BitmapLevelSize sizes[maxBitmapLevels])
{
    if (pictureWidth <= 0 || pictureHeight <= 0 || pictureWidth > largestSide ||
        pictureHeight > largestSide)
        return 0;
    int width = static_cast<int>(PowerOfTwoNotBelow(pictureWidth));
    int height = static_cast<int>(PowerOfTwoNotBelow(pictureHeight));
    int count = 0;
    for (;;) {
        sizes[count++] = {width, height};
        if (width == 1 && height == 1)
            return count;
        width = NextLevelSide(width);
        height = NextLevelSide(height);
    }
}

int BitmapTintIndex(int level)
{
    return (level - 1) % tintCount;
}

const unsigned char* BitmapLevelTint(int level)
{
    return levelTints[BitmapTintIndex(level)];
}

void BlendHalf(unsigned char* texel, const unsigned char* tint)
{
    for (int c = 0; c < 3; ++c)
        texel[c] = static_cast<unsigned char>((texel[c] >> 1) + (tint[c] >> 1));
}

void ColorBitmapLevel(unsigned char* texels, int width, int height, int level, MipmapMode mode)
{
    if (level < 1 || (mode != Tinted && mode != FullColored))
        return;
    const unsigned char* tint = BitmapLevelTint(level);
    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    for (size_t i = 0; i < count; ++i) {
        unsigned char* texel = texels + 3 * i;
        if (mode == Tinted)
            BlendHalf(texel, tint);
        else
            std::memcpy(texel, tint, 3);
    }
}
