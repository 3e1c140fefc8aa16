// Scaling of a picture to the sizes of the bitmap texture's mip levels, with
// the box filter of the classic GLU scaler (gluScaleImage for GL_RGB and
// GL_UNSIGNED_BYTE with tightly packed rows), byte for byte. No platform needed.
#pragma once

#include <functional>
#include <vector>

#include "textures/bitmap_levels.h"

// Which input samples each output sample of one axis averages, in the order
// they are summed, with their single-precision weights. Output sample i has
// the taps first[i] up to first[i + 1] - 1 of `index` and `weight`. Indices
// wrap round the axis where an enlarged sample's box passes an end.
struct AxisTaps {
    std::vector<int> first;
    std::vector<int> index;
    std::vector<float> weight;
};

// The taps of an axis of `inSize` samples scaled to `outSize` (both >= 1).
AxisTaps ScaleAxisTaps(int inSize, int outSize);

// True when the scaler takes its exact-halving shortcut: both sides halve.
bool ScaleHalves(int inWidth, int inHeight, int outWidth, int outHeight);

// Scales `in` (inWidth x inHeight texels of red, green, blue, rows tightly
// packed) into `out` at outWidth x outHeight, rows tightly packed. Large
// levels are shared out to worker threads, all joined before it returns.
// False, with `out` untouched, when its working memory cannot be had.
bool ScaleRgbImage(const unsigned char* in, int inWidth, int inHeight, unsigned char* out,
                   int outWidth, int outHeight);

// True when scaling to outWidth x outHeight gives the picture back unchanged.
bool ScaleKeepsPicture(int inWidth, int inHeight, int outWidth, int outHeight);

typedef std::function<void(int level, unsigned char* texels)> LevelUser;

// Makes the levels sizes[0] to sizes[count - 1] of `picture` in order and hands
// each to `useLevel` on the calling thread; meanwhile a worker thread scales
// the next level (joined before the next hand-over). Level 0 goes into
// `baseBlock`, or is `picture` itself when it would come back unchanged; the
// levels above alternate between `upperBlock` (sized for level 1) and
// `baseBlock`. Without an upper block the levels are made one after the
// other in `baseBlock`. Levels above 0 are left unscaled, as the block holds
// them, when `scaleUpperLevels` is false. `useLevel` may change the levels
// above 0 but not level 0, from which the next ones may be being scaled.
void ScaleLevels(unsigned char* picture, int width, int height, const BitmapLevelSize* sizes, int count,
                 bool scaleUpperLevels, unsigned char* baseBlock, unsigned char* upperBlock,
                 const LevelUser& useLevel);
