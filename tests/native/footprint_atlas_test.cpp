// The footprint atlas: cell geometry and the three ideals against values
// worked out by hand, and the figures read back from synthetic drivers.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "measure/footprint_atlas.h"

namespace {

double ColumnX(const TexelJacobian& j) { return std::hypot(j.dudx, j.dvdx); }
double ColumnY(const TexelJacobian& j) { return std::hypot(j.dudy, j.dvdy); }

TEST(FootprintAtlas, IdealsOfHandWorkedFootprints)
{
    // b = 4; a = r b. At 45 degrees both columns are sqrt((a^2 + b^2) / 2).
    const struct {
        double ratio, angle, columnX, columnY, extension, ellipse, isotropic;
    } rows[] = {
        {1, 0, 4, 4, 2, 2, 2},
        {1, 45, 4, 4, 2, 2, 2},
        {4, 0, 16, 4, 2, 2, 4},
        {4, 45, std::sqrt(136.0), std::sqrt(136.0), std::log2(std::sqrt(136.0)), 2, std::log2(std::sqrt(136.0))},
        {4, 90, 4, 16, 2, 2, 4},
        {32, 0, 128, 4, 3, 3, 7},  // 16x at most: log2(128 / 16)
        {32, 45, std::sqrt(8200.0), std::sqrt(8200.0), std::log2(std::sqrt(8200.0)), 3, std::log2(std::sqrt(8200.0))},
        {32, 90, 4, 128, 3, 3, 7},
        {1.5, 0, 6, 4, std::log2(3.0), std::log2(3.0), std::log2(6.0)},  // ceil(1.5) = 2 samples
        {3, 0, 12, 4, 2, 2, std::log2(12.0)},  // a whole ratio takes 3, not 4
    };
    for (const auto& row : rows) {
        const TexelJacobian j = FootprintJacobian(row.ratio * atlasMinorAxis, atlasMinorAxis, row.angle);
        EXPECT_NEAR(row.columnX, ColumnX(j), 1e-9) << row.ratio << " at " << row.angle;
        EXPECT_NEAR(row.columnY, ColumnY(j), 1e-9) << row.ratio << " at " << row.angle;
        EXPECT_NEAR(row.extension, AtlasIdeal(ModelExtension, j, 16.0), 1e-5) << row.ratio << " at " << row.angle;
        EXPECT_NEAR(row.ellipse, AtlasIdeal(ModelEllipse, j, 16.0), 1e-5) << row.ratio << " at " << row.angle;
        EXPECT_NEAR(row.isotropic, AtlasIdeal(ModelIsotropic, j, 16.0), 1e-5) << row.ratio << " at " << row.angle;
    }
}

TEST(FootprintAtlas, CellsTileTheViewAndRectsScaleToTheTexture)
{
    const std::vector<AtlasCell> cells = AtlasCells();
    ASSERT_EQ(static_cast<size_t>(atlasRatioCount * atlasAngleCount), cells.size());
    std::vector<int> owners(static_cast<size_t>(viewWidth) * viewHeight, 0);
    for (const AtlasCell& c : cells)
        for (int y = c.y; y < c.y + c.height; ++y)
            for (int x = c.x; x < c.x + c.width; ++x)
                ++owners.at(static_cast<size_t>(y) * viewWidth + x);
    for (int owner : owners)
        EXPECT_LE(owner, 1);
    // Row by ratio, column by angle: the last cell is 32 at 172.5 degrees.
    EXPECT_EQ(32.0, cells.back().ratio);
    EXPECT_EQ(172.5, cells.back().angle);
    // On a 512 x 256 texture: s per pixel from u over the width, t from v over the height.
    const std::vector<AffineRect> rects = AtlasRects(cells, 512, 256);
    const AtlasCell& c = cells[static_cast<size_t>(4) * atlasAngleCount + 2];  // r 4, 15 degrees
    EXPECT_NEAR(c.jacobian.dudx / 512, rects[static_cast<size_t>(4) * atlasAngleCount + 2].dsdx, 1e-12);
    EXPECT_NEAR(c.jacobian.dvdy / 256, rects[static_cast<size_t>(4) * atlasAngleCount + 2].dtdy, 1e-12);
    EXPECT_NEAR(c.jacobian.dudy / 512, rects[static_cast<size_t>(4) * atlasAngleCount + 2].dsdy, 1e-12);
}

TEST(FootprintAtlas, LevelSelectionsAndTheirTolerance)
{
    const struct {
        double lambda;
        LevelSelection selection;
        double level;
    } rows[] = {
        {0.5, SelectNearest, 0}, {0.51, SelectNearest, 1}, {1.5, SelectNearest, 1}, {1.51, SelectNearest, 2},
        {2.99, SelectFloor, 2},  {-1.0, SelectFloor, 0},   {12.0, SelectBlend, 9},  {2.3, SelectBlend, 2.3},
    };
    for (const auto& row : rows)
        EXPECT_DOUBLE_EQ(row.level, SelectLevel(row.lambda, row.selection, 9)) << row.lambda;
    // On a whole level a floor may land either side: both count.
    EXPECT_EQ(0.0, SelectionDistance(1.0, 2.0, SelectFloor, 9));
    EXPECT_EQ(0.0, SelectionDistance(2.0, 2.0, SelectFloor, 9));
    EXPECT_EQ(0.0, SelectionDistance(3.0, 2.99, SelectFloor, 9));
    EXPECT_EQ(1.0, SelectionDistance(3.0, 2.0, SelectFloor, 9));
    EXPECT_EQ(1.0, SelectionDistance(1.0, 2.0, SelectNearest, 9));
}

TEST(FootprintAtlas, CellMeasureSkipsItsEdgeAndTakesTheMedian)
{
    const std::vector<AtlasCell> cells = AtlasCells();
    MeasuredLodMap map;
    const size_t pixels = static_cast<size_t>(viewWidth) * viewHeight;
    map.lod.assign(pixels, 7.0f);
    map.covered.assign(pixels, 1);
    map.blendCode.assign(pixels, 0);
    const AtlasCell& c = cells[30];
    long inner = 0;
    for (int y = c.y; y < c.y + c.height; ++y)
        for (int x = c.x; x < c.x + c.width; ++x) {
            const size_t at = static_cast<size_t>(y) * viewWidth + x;
            const bool edge = x < c.x + 2 || y < c.y + 2 || x >= c.x + c.width - 2 || y >= c.y + c.height - 2;
            map.lod[at] = edge ? 9.0f : (inner % 10 == 0 ? 3.5f : 3.0f);
            map.blendCode[at] = edge ? 0 : 128;
            inner += !edge;
        }
    const CellMeasure m = MeasureCells(map, cells)[30];
    EXPECT_EQ(inner, m.pixels);
    EXPECT_FLOAT_EQ(3.0f, static_cast<float>(m.median));
    EXPECT_FLOAT_EQ(0.5f, static_cast<float>(m.spread));
    EXPECT_TRUE(m.blended);
    EXPECT_EQ(7.0, MeasureCells(map, cells)[31].median);
}

// A driver that follows `model` exactly and selects its level by `selection`.
std::vector<AtlasRun> SyntheticDriver(AtlasModel model, LevelSelection selection, bool blends)
{
    std::vector<AtlasRun> runs;
    for (double max : {1.0, 2.0, 4.0, 8.0, 16.0}) {
        AtlasRun run;
        run.maxAnisotropy = max;
        for (const AtlasCell& cell : AtlasCells()) {
            CellMeasure m;
            m.pixels = 100;
            m.median = SelectLevel(AtlasIdeal(model, cell.jacobian, max), selection, 9);
            m.blended = blends;
            run.cells.push_back(m);
        }
        runs.push_back(run);
    }
    return runs;
}

TEST(FootprintAtlas, FiguresNameTheSyntheticDriver)
{
    const struct {
        AtlasModel model;
        LevelSelection selection;
        bool blends;
        double effectiveRatio, worstAngle, flowerSpread, underAniso;
    } rows[] = {
        // Extension: 16x along the axes, but at 45 degrees ratio 1.5 is already
        // 0.35 levels blurrier; the flower spread at r 16 is log2(16) - 0.5.
        {ModelExtension, SelectBlend, true, 16, 1, 3.5, 1.0},
        {ModelEllipse, SelectBlend, false, 16, 16, 0.0, 0.0},
        // Isotropic: log2 a at 0 degrees, half a level less at 45.
        {ModelIsotropic, SelectBlend, false, 1, 1, 0.5, 0.0},
        // r 24 at 0 degrees: 2.58 floors to 2; r 3 at 45: 3.16 floors to 3.
        // Spread at r 24: floor(6.09) - floor(2.58).
        {ModelExtension, SelectFloor, false, 24, 2, 4.0, 0.0},
        // r 2 at 45 degrees: 2.66 rounds to 3. Spread at r 16: 6 - 2.
        {ModelExtension, SelectNearest, false, 16, 1.5, 4.0, 0.0},
    };
    const std::vector<AtlasCell> cells = AtlasCells();
    for (const auto& row : rows) {
        const AtlasFigures f = AtlasFiguresFrom(cells, SyntheticDriver(row.model, row.selection, row.blends), 9);
        const std::string what = std::string(AtlasModelName(row.model)) + ", " + LevelSelectionName(row.selection);
        EXPECT_EQ(row.model, f.model) << what;
        EXPECT_EQ(row.selection, f.levelSelection) << what;
        EXPECT_NEAR(0.0, f.modelResiduals[row.model], 1e-6) << what;
        EXPECT_EQ(row.effectiveRatio, f.effectiveRatio) << what;
        EXPECT_EQ(row.worstAngle, f.effectiveRatioWorstAngle) << what;
        EXPECT_NEAR(row.flowerSpread, f.flowerSpread, 0.01) << what;
        EXPECT_EQ(row.underAniso, f.levelsUnderAniso) << what;
        EXPECT_EQ(16.0, f.maxAnisotropy) << what;
    }
    // The ratio curve at 2x past its clamp: log2(r b / 2).
    const AtlasFigures f = AtlasFiguresFrom(cells, SyntheticDriver(ModelExtension, SelectBlend, false), 9);
    ASSERT_EQ(5u, f.ratioCurve.size());
    EXPECT_NEAR(4.0, f.ratioCurve[1].points[6].measured, 1e-5);  // r 8
    EXPECT_NEAR(3.5, f.flower[8].spread, 0.01);                   // r 16
}

}  // namespace
