// Powers of two of texture sides and mip chains; no platform needed.
#pragma once

#include <algorithm>
#include <cstdint>

// The smallest power of two not below `side` (1 for sides up to 1), in 64
// bits so that no int side overflows while doubling.
inline int64_t PowerOfTwoNotBelow(int64_t side)
{
    int64_t power = 1;
    while (power < side)
        power *= 2;
    return power;
}

// The number of levels of a full mip chain on a base of these sides.
inline int FullChainLevels(int width, int height)
{
    int levels = 1;
    for (int side = std::max(width, height); side > 1; side /= 2)
        ++levels;
    return levels;
}
