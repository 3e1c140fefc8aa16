// The rho models and the OpenGL envelope on footprints worked out by hand,
// the model read back from synthetic drivers, and the precision counts.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "measure/filter_precision.h"
#include "measure/footprint_atlas.h"
#include "measure/lod_models.h"
#include "measure/natural_texture.h"

namespace {

TexelJacobian J(double dudx, double dudy, double dvdx, double dvdy) { return {dudx, dudy, dvdx, dvdy}; }

TEST(LodModels, RhoOfHandWorkedFootprints)
{
    const struct {
        TexelJacobian j;
        double exact, maxComponent, sumComponents, ellipse;
    } rows[] = {
        // Columns (3, 4) and (0, 0): the x column is 5 long; mu 3, mv 4.
        {J(3, 0, 4, 0), std::log2(5.0), 2, std::log2(7.0), std::log2(5.0)},
        // 4 sqrt 2 turned by 45 degrees: columns 5.66 long, every component 4.
        {J(4, -4, 4, 4), 2.5, 2, 3, 2.5},
        // Stretched along u: columns 8 and 2, the ellipse's axes too.
        {J(8, 0, 0, 2), 3, 3, std::log2(10.0), 3},
        // Shear: columns (4, 0) and (4, 4); ellipse axis sqrt(24 + 8 sqrt 5).
        {J(4, 4, 0, 4), 0.5 * std::log2(32.0), 2, 3, 0.5 * std::log2(24 + 8 * std::sqrt(5.0))},
    };
    for (const auto& row : rows) {
        EXPECT_NEAR(row.exact, ModelLod(RhoExact, row.j), 1e-9);
        EXPECT_NEAR(row.maxComponent, ModelLod(RhoMaxComponent, row.j), 1e-9);
        EXPECT_NEAR(row.sumComponents, ModelLod(RhoSumComponents, row.j), 1e-9);
        EXPECT_NEAR(row.ellipse, ModelLod(RhoEllipse, row.j), 1e-6);
        const LodBand band = EnvelopeBand(row.j);
        EXPECT_NEAR(row.maxComponent, band.low, 1e-9);
        EXPECT_NEAR(row.sumComponents, band.high, 1e-9);
    }
}

TEST(LodModels, FootprintsAreJudgedAgainstTheBandAndTheFittedBlend)
{
    const TexelJacobian turned = J(4, -4, 4, 4);  // band 2 .. 3; exact 2.5
    const struct {
        double nearest, blended;
        RhoModel fitted;
        EnvelopeMark mark;
    } rows[] = {
        // Widened to 1.9 .. 3.1, the band's nearest levels are 2 and 3.
        {2, 2.5, RhoExact, MarkInside},
        {3, 2.5, RhoExact, MarkInside},
        {4, 2.5, RhoExact, MarkOutsideRho},     // blurrier than mu + mv allows
        {1, 2.5, RhoExact, MarkOutsideRho},     // sharper than max(mu, mv)
        {2, 2.75, RhoExact, MarkOutsideBlend},  // 0.25 off frac(lambda)
        {2, 2.1, RhoMaxComponent, MarkInside},  // judged against its own rho
        {2, 2.3, RhoMaxComponent, MarkOutsideBlend},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.mark, JudgeFootprint(row.nearest, row.blended, turned, row.fitted, 9))
            << row.nearest << " " << row.blended;
    // Magnified everywhere in the band: nothing to judge.
    EXPECT_EQ(MarkNone, JudgeFootprint(0, 0, J(0.2, 0, 0, 0.2), RhoExact, 9));
}

TEST(LodModels, SwitchPointsNameTheDriversRho)
{
    const std::vector<AtlasCell> cells = AtlasCells();
    for (RhoModel driver : {RhoExact, RhoMaxComponent, RhoSumComponents, RhoEllipse}) {
        RhoFit fit;
        for (const AtlasCell& cell : cells)
            AddSwitchSample(fit, SelectLevel(ModelLod(driver, cell.jacobian), SelectNearest, 9),
                            cell.jacobian, 9);
        double residuals[rhoModelCount];
        EXPECT_EQ(driver, BestRhoModel(fit, residuals)) << RhoModelName(driver);
        EXPECT_EQ(0.0, residuals[driver]) << RhoModelName(driver);
    }
}

TEST(LodModels, FingerprintInWords)
{
    RulesFigures r;
    r.bilinearMagnification = true;
    r.subtexelBits = 8;
    r.counts.judged = 1000;
    EXPECT_EQ("rho: exact; blend: trilinear; bilinear: yes, 8 bits; LOD per pixel; inside the OpenGL envelope",
              Fingerprint(r, 0.006));
    r.model = RhoMaxComponent;
    r.lodPerQuad = true;
    r.counts.outsideBlend = 300;
    EXPECT_EQ("rho: maxComponent; blend: shortcut; bilinear: yes, 8 bits; LOD per quad; "
              "outside the OpenGL envelope (blend)",
              Fingerprint(r, 0.5));
    // Ten outside of a thousand is the limit itself: still inside.
    r.counts.outsideBlend = 10;
    r.counts.outsideRho = 11;
    r.bilinearMagnification = false;
    EXPECT_EQ("rho: maxComponent; blend: trilinear; bilinear: no; LOD per quad; "
              "outside the OpenGL envelope (rho)",
              Fingerprint(r, 0.0));
}

TEST(FilterPrecision, BitsFromStepsAndQuads)
{
    const struct {
        int distinct, bits;
    } rows[] = {{1, 0}, {2, 0}, {17, 4}, {16, 4}, {65, 6}, {255, 8}, {256, 8}};
    for (const auto& row : rows)
        EXPECT_EQ(row.bits, BitsFromDistinctSteps(row.distinct)) << row.distinct;
    const uint8_t rgba[] = {0, 9, 9, 9, 5, 9, 9, 9, 0, 9, 9, 9, 255, 9, 9, 9};
    EXPECT_EQ(3, DistinctValues(rgba, 4, 4));

    // The ideal rises by 0.05 a pixel across the window; measured per pixel,
    // then the same with each quad's lower left pixel's value.
    const size_t pixels = static_cast<size_t>(viewWidth) * viewHeight;
    std::vector<float> ideal(pixels);
    std::vector<uint8_t> classes(pixels, LodInside);
    MeasuredLodMap measured;
    measured.covered.assign(pixels, 1);
    measured.lod.resize(pixels);
    for (size_t i = 0; i < pixels; ++i)
        ideal[i] = measured.lod[i] = 2.0f + 0.05f * static_cast<float>(i % viewWidth);
    double share = 1.0;
    EXPECT_FALSE(LodPerQuad(measured, ideal, classes, &share));
    EXPECT_EQ(0.0, share);
    for (size_t i = 0; i < pixels; ++i)
        measured.lod[i] = ideal[(i / viewWidth) / 2 * 2 * viewWidth + (i % viewWidth) / 2 * 2];
    EXPECT_TRUE(LodPerQuad(measured, ideal, classes, &share));
    EXPECT_EQ(1.0, share);
}

}  // namespace

namespace {

TEST(NaturalTexture, BoxFilteredChainWithDetailAtEveryLevel)
{
    const std::vector<std::vector<uint8_t>> levels = NaturalLevels(64);
    ASSERT_EQ(7u, levels.size());
    for (size_t k = 1; k < levels.size(); ++k) {
        const int side = 64 >> k;
        ASSERT_EQ(static_cast<size_t>(side) * side * 4, levels[k].size());
        // Texel (1, side - 1), red: the rounded mean of its four above.
        const auto at = [](const std::vector<uint8_t>& level, int s, int x, int y) {
            return level[(static_cast<size_t>(y) * s + x) * 4];
        };
        const int x = side > 1 ? 1 : 0, y = side - 1;
        const int sum = at(levels[k - 1], 2 * side, 2 * x, 2 * y) + at(levels[k - 1], 2 * side, 2 * x + 1, 2 * y) +
                        at(levels[k - 1], 2 * side, 2 * x, 2 * y + 1) + at(levels[k - 1], 2 * side, 2 * x + 1, 2 * y + 1);
        EXPECT_EQ((sum + 2) / 4, at(levels[k], side, x, y)) << k;
    }
    // Neighbouring texels of level 0 differ: the finest octave is there.
    EXPECT_NE(levels[0][0], levels[0][4]);
}

TEST(NaturalTexture, BlendSolvedFromSingleLevelFrames)
{
    const size_t pixels = static_cast<size_t>(viewWidth) * viewHeight;
    MeasuredLodMap probe;
    probe.covered.assign(pixels, 1);
    probe.lod.assign(pixels, 3.25f);
    std::vector<std::vector<uint8_t>> single(10, std::vector<uint8_t>(pixels * 4, 100));
    std::vector<uint8_t> natural(pixels * 4, 100);
    for (size_t i = 0; i < pixels; ++i) {
        // Levels 3 and 4 differ by 40 in red; the natural frame is 30 % of the way.
        single[4][i * 4] = 140;
        natural[i * 4] = 112;
    }
    probe.lod[0] = 3.02f;   // too near a whole level to tell the pair
    probe.lod[1] = 12.0f;   // past the chain
    single[4][2 * 4] = 105;  // levels too alike to solve
    const NaturalAgreement a = SolveNaturalBlend(natural, single, probe, 9);
    EXPECT_EQ(static_cast<long>(pixels) - 1, a.compared);
    EXPECT_EQ(static_cast<long>(pixels) - 3, a.solved);
    EXPECT_NEAR(0.05, a.meanAbs, 1e-6);  // 3.30 against the probe's 3.25
}

}  // namespace
