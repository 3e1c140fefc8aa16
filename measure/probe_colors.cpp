#include "measure/probe_colors.h"

#include <cmath>

namespace {

const int greenBase = 16;

// Green per level: the widest whole step that keeps the last level in a byte.
int GreenStep(int levelCount)
{
    return levelCount > 1 ? (255 - greenBase) / (levelCount - 1) : 0;
}

// The colour a filter gives for `pair` blended towards the next level by f.
void Predict(int pair, double f, int levelCount, double& g, double& b)
{
    const ProbeColor low = ProbeLevelColor(pair, levelCount);
    const ProbeColor high = ProbeLevelColor(pair + 1, levelCount);
    g = low.g + (high.g - low.g) * f;
    b = low.b + (high.b - low.b) * f;
}

}  // namespace

ProbeColor ProbeLevelColor(int level, int levelCount)
{
    ProbeColor color;
    color.r = (level & 1) != 0 ? 255 : 0;
    color.g = static_cast<uint8_t>(greenBase + level * GreenStep(levelCount));
    color.b = (level & 3) == 1 || (level & 3) == 2 ? 255 : 0;
    color.a = 255;
    return color;
}

ProbeSample DecodeProbePixel(uint8_t r, uint8_t g, uint8_t b, int levelCount)
{
    ProbeSample sample;
    sample.covered = g >= greenBase / 2;
    sample.blendCode = r;
    const int step = GreenStep(levelCount);
    if (!sample.covered || step == 0)
        return sample;
    // Red gives the fraction of a pair but not which pair nor which side of
    // a whole level; take, of the pairs near green's reading, the one whose
    // colour with that fraction is nearest to the pixel's green and blue.
    const double coarse = static_cast<double>(g - greenBase) / step;
    const int lastPair = levelCount - 2;
    double bestDistance = 1e18;
    for (int pair = static_cast<int>(std::floor(coarse)) - 1; pair <= static_cast<int>(coarse) + 1;
         ++pair) {
        if (pair < 0 || pair > lastPair)
            continue;
        const double redShare = r / 255.0;
        const double fraction = (pair & 1) != 0 ? 1.0 - redShare : redShare;
        double predictedG = 0.0, predictedB = 0.0;
        Predict(pair, fraction, levelCount, predictedG, predictedB);
        const double distance = (predictedG - g) * (predictedG - g) + (predictedB - b) * (predictedB - b);
        if (distance < bestDistance) {
            bestDistance = distance;
            sample.lod = static_cast<float>(pair + fraction);
        }
    }
    return sample;
}
