#include "measure/lod_figures.h"

#include <algorithm>
#include <cmath>

#include "measure/probe_colors.h"

namespace {

bool Compared(const MeasuredLodMap& measured, const std::vector<uint8_t>& idealClass, size_t i)
{
    return measured.covered[i] != 0 && idealClass[i] == LodInside;
}

bool Flat(uint8_t blendCode) { return blendCode == 0 || blendCode == 255; }

}  // namespace

void DecodeProbeFrame(const uint8_t* rgba, int levelCount, MeasuredLodMap& map)
{
    const size_t pixels = static_cast<size_t>(viewWidth) * viewHeight;
    map.lod.assign(pixels, 0.0f);
    map.covered.assign(pixels, 0);
    map.blendCode.assign(pixels, 0);
    // A frame holds a few thousand distinct colours: each is decoded once.
    const size_t cacheSize = 1 << 14;
    std::vector<uint32_t> cacheKey(cacheSize, 0xFFFFFFFFu);
    std::vector<ProbeSample> cacheValue(cacheSize);
    for (size_t i = 0; i < pixels; ++i) {
        const uint8_t* p = rgba + i * 4;
        const uint32_t key = static_cast<uint32_t>(p[0]) << 16 | p[1] << 8 | p[2];
        const size_t slot = (key ^ key >> 11) & (cacheSize - 1);
        if (cacheKey[slot] != key) {
            cacheKey[slot] = key;
            cacheValue[slot] = DecodeProbePixel(p[0], p[1], p[2], levelCount);
        }
        const ProbeSample& sample = cacheValue[slot];
        map.covered[i] = sample.covered ? 1 : 0;
        map.lod[i] = sample.lod;
        map.blendCode[i] = sample.blendCode;
    }
}

LodErrorStats CompareLod(const MeasuredLodMap& measured, const std::vector<float>& ideal,
                         const std::vector<uint8_t>& idealClass)
{
    LodErrorStats stats;
    std::vector<float> absolute;
    double sumSigned = 0.0, sumAbs = 0.0;
    for (size_t i = 0; i < measured.lod.size(); ++i) {
        if (!Compared(measured, idealClass, i))
            continue;
        const double error = static_cast<double>(measured.lod[i]) - ideal[i];
        sumSigned += error;
        sumAbs += std::fabs(error);
        absolute.push_back(static_cast<float>(std::fabs(error)));
    }
    stats.pixels = static_cast<long>(absolute.size());
    if (absolute.empty())
        return stats;
    stats.meanSigned = sumSigned / absolute.size();
    stats.meanAbs = sumAbs / absolute.size();
    // The nearest-rank 99th percentile.
    const size_t rank = static_cast<size_t>(std::ceil(0.99 * absolute.size())) - 1;
    std::nth_element(absolute.begin(), absolute.begin() + rank, absolute.end());
    stats.p99Abs = absolute[rank];
    return stats;
}

TransferCurve MeasureTransfer(const MeasuredLodMap& measured, const std::vector<float>& ideal,
                              const std::vector<uint8_t>& idealClass, int binCount)
{
    TransferCurve curve;
    curve.bins.resize(binCount);
    std::vector<double> blendSum(binCount, 0.0);
    std::vector<long> flat(binCount, 0);
    for (size_t i = 0; i < measured.lod.size(); ++i) {
        if (!Compared(measured, idealClass, i))
            continue;
        const double whole = std::floor(ideal[i]);
        const double fraction = ideal[i] - whole;
        const int bin = std::min(binCount - 1, static_cast<int>(fraction * binCount));
        const double blend = std::max(0.0, std::min(1.0, measured.lod[i] - whole));
        ++curve.bins[bin].pixels;
        blendSum[bin] += blend;
        flat[bin] += Flat(measured.blendCode[i]) ? 1 : 0;
    }
    for (int b = 0; b < binCount; ++b) {
        TransferBin& bin = curve.bins[b];
        bin.fraction = (b + 0.5) / binCount;
        if (bin.pixels == 0)
            continue;
        bin.blend = blendSum[b] / bin.pixels;
        bin.flatShare = static_cast<double>(flat[b]) / bin.pixels;
        curve.plateau += bin.flatShare / binCount;
    }
    return curve;
}

double MeanMeasuredShift(const MeasuredLodMap& base, const MeasuredLodMap& shifted,
                         const std::vector<float>& baseIdeal, double idealShift, int lastLevel)
{
    double sum = 0.0;
    long count = 0;
    for (size_t i = 0; i < base.lod.size(); ++i) {
        if (!base.covered[i] || !shifted.covered[i])
            continue;
        if (ClassifyLod(baseIdeal[i], lastLevel) != LodInside ||
            ClassifyLod(baseIdeal[i] + idealShift, lastLevel) != LodInside)
            continue;
        sum += static_cast<double>(shifted.lod[i]) - base.lod[i];
        ++count;
    }
    return count > 0 ? sum / count : 0.0;
}

double BlendedShare(const MeasuredLodMap& measured, const std::vector<uint8_t>& idealClass)
{
    long blended = 0, count = 0;
    for (size_t i = 0; i < measured.lod.size(); ++i) {
        if (!Compared(measured, idealClass, i))
            continue;
        ++count;
        blended += Flat(measured.blendCode[i]) ? 0 : 1;
    }
    return count > 0 ? static_cast<double>(blended) / count : 0.0;
}

double Spread(const std::vector<double>& values)
{
    if (values.size() < 2)
        return 0.0;
    const auto range = std::minmax_element(values.begin(), values.end());
    return *range.second - *range.first;
}
