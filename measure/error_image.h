// Pictures of the level of detail: the colour scales and the per-pixel maps
// of the measured level and of its error. Platform-free.
#pragma once

#include <cstdint>
#include <vector>

#include "measure/ideal_lod.h"
#include "measure/lod_figures.h"

struct Rgb8 {
    uint8_t r, g, b;
};

// Which levels the minification filter samples.
enum MipSelection {
    BaseLevelOnly,  // NEAREST, LINEAR
    NearestLevel,   // *_MIPMAP_NEAREST
    BlendedLevels   // *_MIPMAP_LINEAR
};

// The level a filter of that kind should sample at an ideal lambda: 0; the
// nearest level (level 0 up to lambda 0.5); lambda itself, within the chain.
double SampledLevel(double lambda, MipSelection selection, int lastLevel);

// Errors in levels (measured - ideal): white at 0, towards blue where the
// driver chose a sharper level, towards red where it chose a blurrier one,
// full colour at `fullScale` levels and beyond.
Rgb8 ErrorColor(double error, double fullScale);

// Levels 0 .. lastLevel on a dark-to-bright sequential scale.
Rgb8 LevelColor(double lod, int lastLevel);

// Colours of pixels without a value.
const Rgb8 uncoveredColor = {40, 40, 40};
const Rgb8 outsideRangeColor = {150, 150, 150};  // magnified or clamped ideal
const double errorFullScale = 0.5;

// viewWidth x viewHeight pixels of three bytes, rows bottom first.
std::vector<uint8_t> ErrorImage(const MeasuredLodMap& measured, const IdealLodMap& ideal,
                                MipSelection selection, int lastLevel);
std::vector<uint8_t> LevelImage(const MeasuredLodMap& measured, int lastLevel);
