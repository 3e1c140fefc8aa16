#include "measure/filter_precision.h"

#include <algorithm>
#include <bitset>
#include <cmath>

#include "measure/ideal_lod.h"

int DistinctValues(const uint8_t* values, size_t count, size_t stride)
{
    std::bitset<256> seen;
    for (size_t i = 0; i < count; ++i)
        seen.set(values[i * stride]);
    return static_cast<int>(seen.count());
}

int BitsFromDistinctSteps(int distinct)
{
    if (distinct <= 1)
        return 0;
    return std::min(frameBits, static_cast<int>(std::lround(std::log2(distinct - 1.0))));
}

bool LodPerQuad(const MeasuredLodMap& measured, const std::vector<float>& ideal,
                const std::vector<uint8_t>& idealClass, double* share)
{
    long quads = 0, flat = 0;
    for (int y = 0; y + 1 < viewHeight; y += 2)
        for (int x = 0; x + 1 < viewWidth; x += 2) {
            const size_t at[4] = {static_cast<size_t>(y) * viewWidth + x,
                                  static_cast<size_t>(y) * viewWidth + x + 1,
                                  static_cast<size_t>(y + 1) * viewWidth + x,
                                  static_cast<size_t>(y + 1) * viewWidth + x + 1};
            bool usable = true;
            float low = ideal[at[0]], high = ideal[at[0]];
            for (size_t i : at) {
                usable = usable && measured.covered[i] && idealClass[i] == LodInside;
                low = std::min(low, ideal[i]);
                high = std::max(high, ideal[i]);
            }
            if (!usable || high - low < 1.0f / 32.0f)
                continue;
            ++quads;
            flat += measured.lod[at[0]] == measured.lod[at[1]] && measured.lod[at[0]] == measured.lod[at[2]] &&
                    measured.lod[at[0]] == measured.lod[at[3]];
        }
    *share = quads > 0 ? static_cast<double>(flat) / quads : 0.0;
    return quads > 0 && *share > 0.9;
}
