#include "measure/error_image.h"

#include <algorithm>
#include <cmath>

namespace {

// Ends of the diverging scale, and its middle.
const Rgb8 sharpEnd = {40, 80, 220};
const Rgb8 blurryEnd = {210, 30, 30};
const Rgb8 exactMiddle = {255, 255, 255};

// Stops of the level scale: dark blue, teal, green, yellow, white.
const Rgb8 levelStops[] = {{20, 20, 90}, {20, 120, 150}, {60, 180, 80}, {240, 220, 40},
                           {255, 255, 255}};
const int levelStopCount = sizeof(levelStops) / sizeof(levelStops[0]);

Rgb8 Mix(Rgb8 a, Rgb8 b, double t)
{
    auto channel = [t](uint8_t x, uint8_t y) {
        return static_cast<uint8_t>(std::lround(x + (y - x) * t));
    };
    return {channel(a.r, b.r), channel(a.g, b.g), channel(a.b, b.b)};
}

void Put(std::vector<uint8_t>& image, size_t pixel, Rgb8 c)
{
    image[pixel * 3] = c.r;
    image[pixel * 3 + 1] = c.g;
    image[pixel * 3 + 2] = c.b;
}

}  // namespace

double SampledLevel(double lambda, MipSelection selection, int lastLevel)
{
    switch (selection) {
    case BaseLevelOnly:
        return 0.0;
    case NearestLevel:
        if (lambda <= 0.5)
            return 0.0;
        return std::min(std::ceil(lambda + 0.5) - 1.0, static_cast<double>(lastLevel));
    case BlendedLevels:
    default:
        return std::max(0.0, std::min(lambda, static_cast<double>(lastLevel)));
    }
}

Rgb8 ErrorColor(double error, double fullScale)
{
    const double t = std::min(1.0, std::fabs(error) / fullScale);
    return Mix(exactMiddle, error < 0.0 ? sharpEnd : blurryEnd, t);
}

Rgb8 LevelColor(double lod, int lastLevel)
{
    const double position =
        std::max(0.0, std::min(1.0, lastLevel > 0 ? lod / lastLevel : 0.0)) * (levelStopCount - 1);
    const int stop = std::min(levelStopCount - 2, static_cast<int>(position));
    return Mix(levelStops[stop], levelStops[stop + 1], position - stop);
}

std::vector<uint8_t> ErrorImage(const MeasuredLodMap& measured, const IdealLodMap& ideal,
                                MipSelection selection, int lastLevel)
{
    // The scale in steps of 1/256 of its full range: finer than the probe's blend.
    const int steps = 256;
    std::vector<Rgb8> scale(2 * steps + 1);
    for (int k = -steps; k <= steps; ++k)
        scale[k + steps] = ErrorColor(errorFullScale * k / steps, errorFullScale);
    const size_t pixels = measured.lod.size();
    std::vector<uint8_t> image(pixels * 3);
    for (size_t i = 0; i < pixels; ++i) {
        Rgb8 c = uncoveredColor;
        if (measured.covered[i] && ideal.openGlClass[i] != LodUncovered) {
            if (ideal.openGlClass[i] != LodInside) {
                c = outsideRangeColor;
            } else {
                const double error =
                    measured.lod[i] - SampledLevel(ideal.openGl[i], selection, lastLevel);
                const double k = std::max(-1.0, std::min(1.0, error / errorFullScale)) * steps;
                c = scale[static_cast<size_t>(std::floor(k + 0.5) + steps)];
            }
        }
        Put(image, i, c);
    }
    return image;
}

std::vector<uint8_t> LevelImage(const MeasuredLodMap& measured, int lastLevel)
{
    const size_t pixels = measured.lod.size();
    std::vector<uint8_t> image(pixels * 3);
    for (size_t i = 0; i < pixels; ++i)
        Put(image, i, measured.covered[i] ? LevelColor(measured.lod[i], lastLevel) : uncoveredColor);
    return image;
}
