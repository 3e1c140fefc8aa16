// Whether a picture's texture fits the driver's largest texture side; no
// platform needed.
#pragma once

#include <cstddef>

// True when the power-of-two sides the picture is scaled to (the smallest
// powers of two not below its sides) are both at most `maxTextureSide`. A
// limit of 0 or less means the driver was not asked: every picture fits.
bool PictureFitsTextureLimit(int pictureWidth, int pictureHeight, int maxTextureSide);

// The sentence shown when a picture does not fit, e.g. "The picture is 16385 x 1
// pixels; this driver's textures are at most 16384 pixels on a side."
const char* FormatTooLargeMessage(char* text, size_t capacity, int pictureWidth,
                                  int pictureHeight, int maxTextureSide);
