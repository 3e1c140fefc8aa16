// Probe colours decoded back to the level and blend a filter used, and the
// figures on maps with known errors.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "measure/lod_figures.h"
#include "measure/probe_colors.h"

namespace {

// What a filter writes when it blends level `pair` and the next by f:
// each channel rounded to a byte.
ProbeColor Blend(int pair, double f, int levelCount)
{
    const ProbeColor low = ProbeLevelColor(pair, levelCount);
    const ProbeColor high = ProbeLevelColor(pair + 1 < levelCount ? pair + 1 : pair, levelCount);
    auto mix = [f](int a, int b) { return static_cast<uint8_t>(std::lround(a + (b - a) * f)); };
    return {mix(low.r, high.r), mix(low.g, high.g), mix(low.b, high.b), 255};
}

TEST(ProbeColors, BlendsDecodeToLevelPlusFraction)
{
    // The checkerboard's 10 levels and a 8192-texel picture's 14.
    for (int levels : {10, 14, 2}) {
        for (int pair = 0; pair + 1 < levels; ++pair)
            for (double f : {0.0, 1.0 / 255, 0.25, 0.5, 254.0 / 255, 1.0}) {
                const ProbeColor c = Blend(pair, f, levels);
                const ProbeSample s = DecodeProbePixel(c.r, c.g, c.b, levels);
                EXPECT_TRUE(s.covered);
                EXPECT_NEAR(pair + f, s.lod, 0.5 / 255 + 1e-6) << levels << " levels, " << pair << " + " << f;
            }
    }
}

TEST(ProbeColors, LevelsAndBoundaries)
{
    const struct {
        int level, levels;
        double lod;
    } cases[] = {{0, 10, 0.0}, {1, 10, 1.0}, {8, 10, 8.0}, {9, 10, 9.0}, {13, 14, 13.0}, {0, 1, 0.0}};
    for (const auto& c : cases) {
        const ProbeColor color = ProbeLevelColor(c.level, c.levels);
        const ProbeSample s = DecodeProbePixel(color.r, color.g, color.b, c.levels);
        EXPECT_TRUE(s.covered);
        EXPECT_FLOAT_EQ(static_cast<float>(c.lod), s.lod) << c.level << " of " << c.levels;
        // A whole level is a flat blend whichever pair it is read as.
        EXPECT_TRUE(s.blendCode == 0 || s.blendCode == 255);
    }
    // Neighbouring levels differ in both red and green.
    const ProbeColor four = ProbeLevelColor(4, 10), five = ProbeLevelColor(5, 10);
    EXPECT_NE(four.r, five.r);
    EXPECT_LT(four.g, five.g);
    // The probe's clear colour is no value.
    EXPECT_FALSE(DecodeProbePixel(0, 0, 0, 10).covered);
}

// A map of the whole view with one value for every covered pixel.
struct Maps {
    MeasuredLodMap measured;
    std::vector<float> ideal;
    std::vector<uint8_t> cls;
    explicit Maps(size_t n)
    {
        measured.lod.assign(n, 0.0f);
        measured.covered.assign(n, 1);
        measured.blendCode.assign(n, 128);
        ideal.assign(n, 0.0f);
        cls.assign(n, LodInside);
    }
};

TEST(LodFigures, ErrorStatisticsSkipPixelsWithoutAnInsideIdeal)
{
    const size_t n = static_cast<size_t>(viewWidth) * viewHeight;
    Maps m(n);
    // 0.5% of the pixels 0.5 too blurry, the rest 0.1 too sharp; a far-off value
    // on a magnified pixel and on an uncovered one must not count.
    for (size_t i = 0; i < n; ++i) {
        m.ideal[i] = 3.0f;
        m.measured.lod[i] = i % 200 == 0 ? 3.5f : 2.9f;
    }
    m.cls[1] = LodMagnified;
    m.measured.lod[1] = 9.0f;
    m.measured.covered[2] = 0;
    m.measured.lod[2] = 9.0f;
    const LodErrorStats s = CompareLod(m.measured, m.ideal, m.cls);
    EXPECT_EQ(static_cast<long>(n - 2), s.pixels);
    EXPECT_NEAR(0.005 * 0.5 + 0.995 * 0.1, s.meanAbs, 1e-4);
    EXPECT_NEAR(0.005 * 0.5 - 0.995 * 0.1, s.meanSigned, 1e-4);
    // The 0.5 errors lie within the top 1%: the 99th percentile is 0.1.
    EXPECT_NEAR(0.1, s.p99Abs, 1e-5);
}

TEST(LodFigures, PlateauOfTrilinearAndBrilinear)
{
    const size_t n = static_cast<size_t>(viewWidth) * viewHeight;
    const struct {
        const char* name;
        double flatEachEnd;  // ideal fraction over which the blend stays at 0 (and at 1)
        double plateau;
    } cases[] = {{"trilinear", 0.0, 0.0}, {"brilinear", 0.25, 0.5}, {"nearest level", 0.5, 1.0}};
    for (const auto& c : cases) {
        Maps m(n);
        for (size_t i = 0; i < n; ++i) {
            // Ideal fractions evenly over 2.0 .. 3.0, away from whole levels.
            const double f = (static_cast<double>(i % 1000) + 0.5) / 1000.0;
            m.ideal[i] = static_cast<float>(2.0 + f);
            double blend = (f - c.flatEachEnd) / (1.0 - 2.0 * c.flatEachEnd);
            if (c.flatEachEnd >= 0.5)
                blend = f < 0.5 ? 0.0 : 1.0;
            blend = std::fmin(1.0, std::fmax(0.0, blend));
            m.measured.lod[i] = static_cast<float>(2.0 + blend);
            m.measured.blendCode[i] = static_cast<uint8_t>(std::lround(blend * 255));
        }
        const TransferCurve curve = MeasureTransfer(m.measured, m.ideal, m.cls, 32);
        // Blends within half a step of 0 or 1 round to a flat byte: 1/255 of
        // a level for a true trilinear filter.
        EXPECT_NEAR(c.plateau, curve.plateau, 1.5 / 255) << c.name;
        ASSERT_EQ(32u, curve.bins.size());
        EXPECT_NEAR(0.0, curve.bins.front().blend, 0.02) << c.name;
        EXPECT_NEAR(1.0, curve.bins.back().blend, 0.02) << c.name;
        EXPECT_NEAR(0.5, curve.bins[15].blend + 0.5 / 32, 0.02 + c.flatEachEnd) << c.name;
    }
}

TEST(LodFigures, MeasuredShiftAndSpread)
{
    const size_t n = static_cast<size_t>(viewWidth) * viewHeight;
    Maps base(n), shifted(n);
    for (size_t i = 0; i < n; ++i) {
        base.ideal[i] = static_cast<float>(1.0 + 7.0 * (i % 97) / 97.0);
        base.measured.lod[i] = base.ideal[i];
        // The driver shifts by 0.9 where 1.0 was asked; clamped at 9 levels.
        shifted.measured.lod[i] = std::fmin(9.0f, base.ideal[i] + 0.9f);
    }
    // Pixels whose shifted ideal leaves the range (>= 9) are not compared, so
    // the clamp does not drag the mean.
    EXPECT_NEAR(0.9, MeanMeasuredShift(base.measured, shifted.measured, base.ideal, 1.0, 9), 1e-5);
    EXPECT_DOUBLE_EQ(0.75, Spread({0.25, -0.5, 0.1}));
    EXPECT_DOUBLE_EQ(0.0, Spread({0.3}));
}

}  // namespace
