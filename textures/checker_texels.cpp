#include "textures/checker_texels.h"

#include <algorithm>

namespace {

// Grey, then the level colours at half intensity; alpha is 0 throughout.
const uint32_t checkerColorTable[checkerLevelCount] = {
    0x7F7F7F00u, 0x7F000000u, 0x007F0000u, 0x00007F00u, 0x7F007F00u,
    0x007F7F00u, 0x7F7F0000u, 0x7F000000u, 0x007F0000u, 0x00007F00u,
};

}  // namespace

int CheckerLevelSide(int level)
{
    return checkerBaseSide >> level;
}

int CheckerSquareExponent(int checkerShift, int level)
{
    if (checkerShift >= 0)
        return std::max(0, std::min(checkerShift, 8 - level));
    return std::max(0, -checkerShift - level);
}

void FillCheckerLevel(uint32_t* texels, int level, int checkerShift, MipmapMode mipmapMode)
{
    const int side = CheckerLevelSide(level);
    const int s = CheckerSquareExponent(checkerShift, level);
    const uint32_t mode = static_cast<uint32_t>(mipmapMode);
    const uint32_t tint = checkerColorTable[mode != 0 ? level : 0];
    for (int y = 0; y < side; ++y) {
        uint32_t* row = texels + static_cast<size_t>(y) * side;
        for (int x = 0; x < side; ++x) {
            const uint32_t on = static_cast<uint32_t>(((x >> s) + (y >> s) + 1) & 1);
            // No byte of these sums carries into its neighbour.
            if (level == 0)
                row[x] = on * 2u * checkerColorTable[0];
            else
                row[x] = on * (2u - mode) * 0x7F7F7F00u + mode * tint;
        }
    }
}
