// Level sizes and colouring of the bitmap texture's mip chain; no platform needed.
#pragma once

#include "app/mipmap_mode.h"

// Sides up to 2^30 give at most 31 levels.
const int maxBitmapLevels = 31;

struct BitmapLevelSize {
    int width;
    int height;
};

// The mip chain for a picture: level 0 has power-of-two sides not less than
// the picture's, each further level halves them (never below 1), and the
// 1 x 1 level ends it. Fills `sizes` and returns the level count; 0 when a side
// is not positive or its power of two would pass 2^30.
int BitmapLevelSizes(int pictureWidth, int pictureHeight, BitmapLevelSize sizes[maxBitmapLevels]);

// Index of the tint of `level` (1 and up): (level - 1) mod 6.
int BitmapTintIndex(int level);

// Red, green, blue of the tint of `level` (1 and up), at full intensity.
const unsigned char* BitmapLevelTint(int level);

// Each channel becomes (texel >> 1) + (tint >> 1): never above 254.
void BlendHalf(unsigned char* texel, const unsigned char* tint);

// Colours the width x height texels (red, green, blue, rows tightly packed) of
// `level` for the mode. Level 0 and Normal stay as scaled.
void ColorBitmapLevel(unsigned char* texels, int width, int height, int level, MipmapMode mode);
