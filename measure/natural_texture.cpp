#include "measure/natural_texture.h"

#include <algorithm>
#include <cmath>

namespace {

const int octaveAmplitude = 14;  // nine octaves stay inside 0 .. 255

// A repeatable hash of a cell of an octave, -1 .. 1.
double CellNoise(uint32_t x, uint32_t y, uint32_t octave, uint32_t channel)
{
    uint32_t h = x * 0x8DA6B343u ^ y * 0xD8163841u ^ octave * 0xCB1AB31Fu ^ channel * 0x165667B1u;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return (h & 0xFFFF) / 32767.5 - 1.0;
}

}  // namespace

std::vector<std::vector<uint8_t>> NaturalLevels(int side)
{
    std::vector<std::vector<uint8_t>> levels;
    std::vector<uint8_t> base(static_cast<size_t>(side) * side * 4);
    int octaves = 0;
    for (int s = side; s > 1; s /= 2)
        ++octaves;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            uint8_t* t = &base[(static_cast<size_t>(y) * side + x) * 4];
            for (int c = 0; c < 3; ++c) {
                // Blocks of 2^o texels: a box filter keeps octave o whole up
                // to level o and averages it away above.
                double value = 128.0;
                for (int o = 0; o < octaves; ++o)
                    value += octaveAmplitude * CellNoise(static_cast<uint32_t>(x >> o),
                                                         static_cast<uint32_t>(y >> o),
                                                         static_cast<uint32_t>(o), static_cast<uint32_t>(c));
                t[c] = static_cast<uint8_t>(std::lround(std::max(0.0, std::min(255.0, value))));
            }
            t[3] = 255;
        }
    levels.push_back(base);
    for (int s = side / 2; s >= 1; s /= 2) {
        const std::vector<uint8_t>& above = levels.back();
        const int aboveSide = s * 2;
        std::vector<uint8_t> level(static_cast<size_t>(s) * s * 4);
        for (int y = 0; y < s; ++y)
            for (int x = 0; x < s; ++x)
                for (int c = 0; c < 4; ++c) {
                    int sum = 0;
                    for (int dy = 0; dy < 2; ++dy)
                        for (int dx = 0; dx < 2; ++dx)
                            sum += above[(static_cast<size_t>(2 * y + dy) * aboveSide + 2 * x + dx) * 4 + c];
                    level[(static_cast<size_t>(y) * s + x) * 4 + c] = static_cast<uint8_t>((sum + 2) / 4);
                }
        levels.push_back(level);
    }
    return levels;
}

NaturalAgreement SolveNaturalBlend(const std::vector<uint8_t>& natural,
                                   const std::vector<std::vector<uint8_t>>& singleLevel,
                                   const MeasuredLodMap& probe, int lastLevel)
{
    NaturalAgreement result;
    double sum = 0.0;
    const size_t pixels = static_cast<size_t>(viewWidth) * viewHeight;
    for (size_t i = 0; i < pixels; ++i) {
        if (!probe.covered[i])
            continue;
        const double lambda = probe.lod[i];
        const int k = static_cast<int>(std::floor(lambda));
        if (!(lambda > 0.0) || k + 1 > lastLevel || k + 1 >= static_cast<int>(singleLevel.size()))
            continue;
        ++result.compared;
        const double fraction = lambda - k;
        if (fraction < 0.05 || fraction > 0.95)
            continue;
        // Least squares over the three channels: w = (I - A).(B - A) / |B - A|^2.
        double dot = 0.0, norm = 0.0, spread = 0.0;
        for (int c = 0; c < 3; ++c) {
            const double a = singleLevel[k][i * 4 + c], b = singleLevel[k + 1][i * 4 + c];
            dot += (natural[i * 4 + c] - a) * (b - a);
            norm += (b - a) * (b - a);
            spread += std::fabs(b - a);
        }
        if (spread < minimumLevelDifference)
            continue;
        ++result.solved;
        sum += std::fabs(k + dot / norm - lambda);
    }
    result.meanAbs = result.solved > 0 ? sum / result.solved : 0.0;
    return result;
}
