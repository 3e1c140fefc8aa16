// Texel arithmetic of the checkerboard; no platform needed.
#pragma once

#include <cstdint>

#include "app/mipmap_mode.h"

const int checkerLevelCount = 10;  // 512 x 512 down to 1 x 1
const int checkerBaseSide = 512;

// Side of level `level` in texels: 512 >> level.
int CheckerLevelSide(int level);

// Exponent s of the square size (2^s texels) of `level` for `checkerShift`.
int CheckerSquareExponent(int checkerShift, int level);

// Fills `texels` (CheckerLevelSide(level)^2 words, rows tightly packed) with
// the level's texels as native 32-bit words, red in the top byte, alpha in the
// bottom one.
void FillCheckerLevel(uint32_t* texels, int level, int checkerShift, MipmapMode mode);
