#include "compare/level_readback.h"

#include <cmath>
#include <limits>
#include <unordered_map>

namespace {

// Samples of the scale per level: finer than a byte's step of the colours.
const int samplesPerLevel = 64;
// A pixel this far (squared, in bytes) from every colour of the scale mixes
// the map with its surround and tells no level.
const int farthestMatch = 3 * 6 * 6;

int Distance(Rgb8 a, Rgb8 b)
{
    const int dr = a.r - b.r, dg = a.g - b.g, db = a.b - b.b;
    return dr * dr + dg * dg + db * db;
}

}  // namespace

double LevelOfColor(Rgb8 color, int lastLevel)
{
    const int samples = lastLevel * samplesPerLevel;
    int best = -1;
    int bestDistance = farthestMatch + 1;
    for (int i = 0; i <= samples; ++i) {
        const double level = static_cast<double>(i) / samplesPerLevel;
        const int distance = Distance(color, LevelColor(level, lastLevel));
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best < 0 ? std::numeric_limits<double>::quiet_NaN()
                    : static_cast<double>(best) / samplesPerLevel;
}

LevelMap ReadLevelMap(const SheetImage& sheet, int lastLevel)
{
    LevelMap map;
    map.width = viewWidth / 2;
    map.height = viewHeight / 2;
    map.level.resize(static_cast<size_t>(map.width) * map.height);
    // Many pixels share a colour: each colour is matched once.
    std::unordered_map<uint32_t, double> known;
    for (int y = 0; y < map.height; ++y)
        for (int x = 0; x < map.width; ++x) {
            const uint8_t* p = &sheet.rgb[(static_cast<size_t>(reportMapTop + y) * sheet.width +
                                           reportLevelMapLeft + x) * 3];
            const Rgb8 color = {p[0], p[1], p[2]};
            const uint32_t key = (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
            auto entry = known.find(key);
            if (entry == known.end())
                entry = known.emplace(key, LevelOfColor(color, lastLevel)).first;
            map.level[static_cast<size_t>(y) * map.width + x] = entry->second;
        }
    return map;
}

LevelDifference DifferenceOfLevels(const LevelMap& a, const LevelMap& b)
{
    LevelDifference result;
    const size_t pixels = a.level.size();
    result.difference.assign(pixels, std::numeric_limits<double>::quiet_NaN());
    result.oneSided.assign(pixels, false);
    double sum = 0.0;
    for (size_t i = 0; i < pixels; ++i) {
        const bool inA = !std::isnan(a.level[i]), inB = !std::isnan(b.level[i]);
        result.oneSided[i] = inA != inB;
        if (!inA || !inB)
            continue;
        const double d = b.level[i] - a.level[i];
        result.difference[i] = d;
        sum += std::fabs(d);
        result.maxAbs = std::max(result.maxAbs, std::fabs(d));
        ++result.pixels;
    }
    result.meanAbs = result.pixels > 0 ? sum / result.pixels : 0.0;
    return result;
}
