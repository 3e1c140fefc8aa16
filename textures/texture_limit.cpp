#include "textures/texture_limit.h"

#include <cstdint>
#include <cstdio>

#include "textures/power_of_two.h"

bool PictureFitsTextureLimit(int pictureWidth, int pictureHeight, int maxTextureSide)
{
    if (maxTextureSide <= 0)
        return true;
    return PowerOfTwoNotBelow(pictureWidth) <= maxTextureSide &&
           PowerOfTwoNotBelow(pictureHeight) <= maxTextureSide;
}

const char* FormatTooLargeMessage(char* text, size_t capacity, int pictureWidth,
                                  int pictureHeight, int maxTextureSide)
{
    std::snprintf(text, capacity,
                  "The picture is %d x %d pixels; this driver's textures are at most %d pixels "
                  "on a side.",
                  pictureWidth, pictureHeight, maxTextureSide);
    return text;
}
