#include "measure/ideal_lod.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

// Rounding noise must not push a whole ratio over to the next count: the
// renderer's pixels are 2.4e-7 from square, and ceil(1 + 2.4e-7) would halve
// rho on a plane facing the eye.
const double ratioSlack = 1e-6;

// N = min(ceil(major / minor), max), at least 1; a flat footprint takes the max.
double SampleCount(double major, double minor, double maxAnisotropy)
{
    if (maxAnisotropy <= 1.0)
        return 1.0;
    if (minor <= 0.0)
        return maxAnisotropy;
    const double ratio = major / minor * (1.0 - ratioSlack);
    return std::max(1.0, std::min(std::ceil(ratio), maxAnisotropy));
}

// log2 of the mantissa at 1024 steps over [1, 2], read with linear
// interpolation: within 2e-7 of a level, and many times faster than the C
// library's log2, which is most of the ideal map's time.
const int log2Steps = 1024;

std::vector<double> MakeLog2Table()
{
    std::vector<double> table(log2Steps + 1);
    for (int i = 0; i <= log2Steps; ++i)
        table[i] = std::log2(1.0 + static_cast<double>(i) / log2Steps);
    return table;
}

const std::vector<double> log2Table = MakeLog2Table();

double FastLog2(double value)
{
    if (!(value >= DBL_MIN && value <= DBL_MAX))
        return std::log2(value);
    uint64_t bits = 0;
    std::memcpy(&bits, &value, sizeof(bits));
    const int exponent = static_cast<int>((bits >> 52) & 0x7FF) - 1023;
    bits = (bits & 0x000FFFFFFFFFFFFFull) | 0x3FF0000000000000ull;
    double m = 0.0;  // in [1, 2)
    std::memcpy(&m, &bits, sizeof(m));
    const double position = (m - 1.0) * log2Steps;
    const int step = static_cast<int>(position);
    const double low = log2Table[step];
    return exponent + low + (log2Table[step + 1] - low) * (position - step);
}

}  // namespace

double OpenGlRuleLod(const TexelJacobian& j, double maxAnisotropy)
{
    const double px2 = j.dudx * j.dudx + j.dvdx * j.dvdx;
    const double py2 = j.dudy * j.dudy + j.dvdy * j.dvdy;
    if (maxAnisotropy <= 1.0)
        return 0.5 * FastLog2(std::max(px2, py2));
    const double major = std::sqrt(std::max(px2, py2));
    const double minor = std::sqrt(std::min(px2, py2));
    return FastLog2(major / SampleCount(major, minor, maxAnisotropy));
}

double InvariantLod(const TexelJacobian& j, double maxAnisotropy)
{
    // Singular values of the 2 x 2 Jacobian: the footprint ellipse's axes.
    const double sum = j.dudx * j.dudx + j.dudy * j.dudy + j.dvdx * j.dvdx + j.dvdy * j.dvdy;
    const double det = j.dudx * j.dvdy - j.dudy * j.dvdx;
    const double root = std::sqrt(std::max(0.0, sum * sum - 4.0 * det * det));
    const double majorSquared = 0.5 * (sum + root);
    const double major = std::sqrt(majorSquared);
    // det^2 / major^2 keeps the minor axis exact when it is tiny.
    const double minor = majorSquared > 0.0 ? std::fabs(det) / major : 0.0;
    return FastLog2(major / SampleCount(major, minor, maxAnisotropy));
}

double EffectiveBias(const LodRule& rule)
{
    return std::max(-rule.biasLimit, std::min(rule.bias, rule.biasLimit));
}

LodClass ClassifyLod(double lambda, int lastLevel)
{
    if (lambda <= 0.0)
        return LodMagnified;
    if (lambda >= lastLevel)
        return LodClamped;
    return LodInside;
}

void ComputeIdealLodMap(const SceneModel& model, const LodRule& rule, bool withInvariant,
                        IdealLodMap& map)
{
    const size_t pixels = static_cast<size_t>(viewWidth) * viewHeight;
    map.openGl.assign(pixels, 0.0f);
    map.openGlClass.assign(pixels, LodUncovered);
    map.invariant.assign(withInvariant ? pixels : 0, 0.0f);
    map.invariantClass.assign(withInvariant ? pixels : 0, LodUncovered);
    const double bias = EffectiveBias(rule);
    ForEachCoveredPixel(model, [&](size_t at, const TexelJacobian& j) {
        const double lambda = OpenGlRuleLod(j, rule.maxAnisotropy) + bias;
        map.openGl[at] = static_cast<float>(lambda);
        map.openGlClass[at] = ClassifyLod(lambda, rule.lastLevel);
        if (withInvariant) {
            const double invariant = InvariantLod(j, rule.maxAnisotropy) + bias;
            map.invariant[at] = static_cast<float>(invariant);
            map.invariantClass[at] = ClassifyLod(invariant, rule.lastLevel);
        }
    });
}
