#include "measure/footprint_atlas.h"

#include <algorithm>
#include <cmath>

#include "measure/ideal_lod.h"

namespace {

// A median this close to a whole number sits on a level: 8-bit blends are
// at least 1/255 away.
const double wholeLevelSlack = 1.0 / 512.0;
// Pixels along a cell's edge are left out of its figures.
const int cellMargin = 2;

double Clamp(double value, double low, double high)
{
    return std::max(low, std::min(value, high));
}

// Whether the extension's formula asks for more than one sample.
bool AnisotropyEngaged(const TexelJacobian& j, double maxAnisotropy)
{
    const double px = std::hypot(j.dudx, j.dvdx);
    const double py = std::hypot(j.dudy, j.dvdy);
    return maxAnisotropy > 1.0 && std::max(px, py) > std::min(px, py) * (1.0 + 1e-6);
}

// The largest ratio up to which no ratio's level is blurrier, by more than
// the tolerance, than the level the driver makes of log2 b, in one column of
// the atlas; 0 when even 1 is. A sharper level is no loss of anisotropy: the
// extension's own ceil takes one at ratios between whole numbers.
double EffectiveRatioAt(const std::vector<CellMeasure>& cells, int angleIndex,
                        LevelSelection selection, int lastLevel)
{
    const double limit =
        SelectLevel(std::log2(atlasMinorAxis) + lambdaTolerance, selection, lastLevel) +
        effectiveRatioTolerance;
    double delivered = 0.0;
    for (int r = 0; r < atlasRatioCount; ++r) {
        const CellMeasure& cell = cells[static_cast<size_t>(r) * atlasAngleCount + angleIndex];
        if (cell.pixels == 0 || cell.median > limit)
            break;
        delivered = atlasRatios[r];
    }
    return delivered;
}

}  // namespace

TexelJacobian FootprintJacobian(double major, double minor, double angleDegrees)
{
    // J = diag(major, minor) R(-phi): the screen direction phi goes to u.
    const double c = std::cos(angleDegrees * doublePi / 180.0);
    const double s = std::sin(angleDegrees * doublePi / 180.0);
    TexelJacobian j;
    j.dudx = major * c;
    j.dudy = major * s;
    j.dvdx = -minor * s;
    j.dvdy = minor * c;
    return j;
}

std::vector<AtlasCell> AtlasCells()
{
    const int width = viewWidth / atlasAngleCount;
    const int height = viewHeight / atlasRatioCount;
    std::vector<AtlasCell> cells;
    for (int r = 0; r < atlasRatioCount; ++r)
        for (int a = 0; a < atlasAngleCount; ++a) {
            AtlasCell cell;
            cell.ratio = atlasRatios[r];
            cell.angle = a * atlasAngleStep;
            cell.x = a * width;
            cell.y = r * height;
            cell.width = width;
            cell.height = height;
            cell.jacobian = FootprintJacobian(cell.ratio * atlasMinorAxis, atlasMinorAxis, cell.angle);
            cells.push_back(cell);
        }
    return cells;
}

std::vector<AffineRect> AtlasRects(const std::vector<AtlasCell>& cells, int textureWidth,
                                   int textureHeight)
{
    std::vector<AffineRect> rects;
    for (const AtlasCell& cell : cells) {
        AffineRect r;
        r.x = cell.x;
        r.y = cell.y;
        r.width = cell.width;
        r.height = cell.height;
        r.dsdx = cell.jacobian.dudx / textureWidth;
        r.dsdy = cell.jacobian.dudy / textureWidth;
        r.dtdx = cell.jacobian.dvdx / textureHeight;
        r.dtdy = cell.jacobian.dvdy / textureHeight;
        rects.push_back(r);
    }
    return rects;
}

const char* AtlasModelName(AtlasModel model)
{
    static const char* const names[atlasModelCount] = {"extension", "ellipse", "isotropic"};
    return names[model];
}

double AtlasIdeal(AtlasModel model, const TexelJacobian& j, double maxAnisotropy)
{
    switch (model) {
    case ModelExtension:
        return OpenGlRuleLod(j, maxAnisotropy);
    case ModelEllipse:
        return InvariantLod(j, maxAnisotropy);
    default:
        return OpenGlRuleLod(j, 1.0);
    }
}

const char* LevelSelectionName(LevelSelection selection)
{
    static const char* const names[levelSelectionCount] = {"blend", "nearest", "floor"};
    return names[selection];
}

double SelectLevel(double lambda, LevelSelection selection, int lastLevel)
{
    const double clamped = Clamp(lambda, 0.0, lastLevel);
    switch (selection) {
    case SelectNearest:
        // OpenGL's nearest level: 0 up to 0.5, then ceil(lambda + 0.5) - 1.
        return clamped <= 0.5 ? 0.0 : std::ceil(clamped + 0.5) - 1.0;
    case SelectFloor:
        return std::floor(clamped);
    default:
        return clamped;
    }
}

double SelectionDistance(double measured, double ideal, LevelSelection selection, int lastLevel)
{
    // Selections rise with lambda, so those levels span the interval of its ends.
    const double low = SelectLevel(ideal - lambdaTolerance, selection, lastLevel);
    const double high = SelectLevel(ideal + lambdaTolerance, selection, lastLevel);
    return measured < low ? low - measured : measured > high ? measured - high : 0.0;
}

std::vector<CellMeasure> MeasureCells(const MeasuredLodMap& measured,
                                      const std::vector<AtlasCell>& cells)
{
    std::vector<CellMeasure> result(cells.size());
    std::vector<float> values;
    for (size_t i = 0; i < cells.size(); ++i) {
        const AtlasCell& cell = cells[i];
        values.clear();
        long blended = 0;
        for (int y = cell.y + cellMargin; y < cell.y + cell.height - cellMargin; ++y)
            for (int x = cell.x + cellMargin; x < cell.x + cell.width - cellMargin; ++x) {
                const size_t at = static_cast<size_t>(y) * viewWidth + x;
                if (!measured.covered[at])
                    continue;
                values.push_back(measured.lod[at]);
                blended += measured.blendCode[at] != 0 && measured.blendCode[at] != 255;
            }
        CellMeasure& m = result[i];
        m.pixels = static_cast<long>(values.size());
        if (values.empty())
            continue;
        std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
        m.median = values[values.size() / 2];
        const auto range = std::minmax_element(values.begin(), values.end());
        m.spread = *range.second - *range.first;
        m.blended = 2 * blended > m.pixels;
    }
    return result;
}

AtlasFigures AtlasFiguresFrom(const std::vector<AtlasCell>& cells, const std::vector<AtlasRun>& runs,
                              int lastLevel)
{
    AtlasFigures f;
    if (runs.empty())
        return f;
    const AtlasRun& top = runs.back();
    f.maxAnisotropy = top.maxAnisotropy;

    // A driver that takes one level leaves whole levels in (nearly) every
    // cell; one that blends, in few: only where the ideal is whole.
    long cellsWithAniso = 0, wholeCells = 0;
    for (const AtlasRun& run : runs)
        for (const CellMeasure& m : run.cells)
            if (m.pixels > 0 && run.maxAnisotropy > 1.0) {
                ++cellsWithAniso;
                wholeCells += std::fabs(m.median - std::round(m.median)) <= wholeLevelSlack;
            }
    const bool singleLevel = cellsWithAniso > 0 && wholeCells > 0.9 * cellsWithAniso;

    // Which single level, from the cells whose ideal no rounding of the
    // ratio can change: a whole ratio along an axis, past the maximum, where
    // every formula with anisotropy gives log2(a / max), mostly between levels.
    double selectionSums[levelSelectionCount] = {};
    long clampedCells = 0;
    for (const AtlasRun& run : runs)
        for (size_t i = 0; i < cells.size(); ++i) {
            const AtlasCell& cell = cells[i];
            if (run.cells[i].pixels == 0 || run.maxAnisotropy <= 1.0 ||
                cell.ratio <= run.maxAnisotropy || std::fmod(cell.angle, 90.0) != 0.0)
                continue;
            ++clampedCells;
            const double ideal = std::log2(cell.ratio * atlasMinorAxis / run.maxAnisotropy);
            for (int sel = 0; sel < levelSelectionCount; ++sel)
                selectionSums[sel] += SelectionDistance(run.cells[i].median, ideal,
                                                        static_cast<LevelSelection>(sel), lastLevel);
        }

    // Every model under every selection on the runs with anisotropy.
    double sums[atlasModelCount][levelSelectionCount] = {};
    long counted = 0, engaged = 0, blended = 0;
    for (const AtlasRun& run : runs) {
        for (size_t i = 0; i < cells.size(); ++i) {
            const CellMeasure& m = run.cells[i];
            if (m.pixels == 0)
                continue;
            f.cellSpread = std::max(f.cellSpread, m.spread);
            if (run.maxAnisotropy <= 1.0 && runs.size() > 1)
                continue;
            ++counted;
            for (int model = 0; model < atlasModelCount; ++model) {
                const double ideal =
                    AtlasIdeal(static_cast<AtlasModel>(model), cells[i].jacobian, run.maxAnisotropy);
                for (int sel = 0; sel < levelSelectionCount; ++sel)
                    sums[model][sel] += SelectionDistance(m.median, ideal,
                                                          static_cast<LevelSelection>(sel), lastLevel);
            }
            const double extension = AtlasIdeal(ModelExtension, cells[i].jacobian, run.maxAnisotropy);
            if (AnisotropyEngaged(cells[i].jacobian, run.maxAnisotropy) && extension > 0.0 &&
                extension < lastLevel) {
                ++engaged;
                blended += m.blended;
            }
        }
    }
    // Without such cells (a driver of 32x and more) the selection that lets
    // some model fit best.
    int selection = singleLevel ? SelectNearest : SelectBlend;
    for (int sel = SelectFloor; singleLevel && sel < levelSelectionCount; ++sel) {
        const auto bestOf = [&](int which) {
            if (clampedCells > 0)
                return selectionSums[which];
            double least = sums[0][which];
            for (int model = 1; model < atlasModelCount; ++model)
                least = std::min(least, sums[model][which]);
            return least;
        };
        if (bestOf(sel) < bestOf(selection))
            selection = sel;
    }
    f.levelSelection = static_cast<LevelSelection>(selection);
    for (int model = 0; model < atlasModelCount; ++model) {
        f.modelResiduals[model] = counted > 0 ? sums[model][selection] / counted : 0.0;
        if (f.modelResiduals[model] < f.modelResiduals[f.model])
            f.model = static_cast<AtlasModel>(model);
    }
    f.levelsUnderAniso = engaged > 0 ? static_cast<double>(blended) / engaged : 0.0;

    f.effectiveRatio = EffectiveRatioAt(top.cells, 0, f.levelSelection, lastLevel);
    f.effectiveRatioWorstAngle = f.effectiveRatio;
    for (int a = 1; a < atlasAngleCount; ++a)
        f.effectiveRatioWorstAngle =
            std::min(f.effectiveRatioWorstAngle,
                     EffectiveRatioAt(top.cells, a, f.levelSelection, lastLevel));

    for (int r = 0; r < atlasRatioCount; ++r) {
        FlowerCurve curve;
        curve.ratio = atlasRatios[r];
        double low = 0.0, high = 0.0;
        for (int a = 0; a < atlasAngleCount; ++a) {
            const size_t i = static_cast<size_t>(r) * atlasAngleCount + a;
            FlowerPoint point;
            point.angle = cells[i].angle;
            point.measured = top.cells[i].median;
            for (int model = 0; model < atlasModelCount; ++model)
                point.ideal[model] =
                    AtlasIdeal(static_cast<AtlasModel>(model), cells[i].jacobian, top.maxAnisotropy);
            low = a == 0 ? point.measured : std::min(low, point.measured);
            high = a == 0 ? point.measured : std::max(high, point.measured);
            curve.points.push_back(point);
        }
        curve.spread = high - low;
        f.flowerSpread = std::max(f.flowerSpread, curve.spread);
        f.flower.push_back(curve);
    }

    for (const AtlasRun& run : runs) {
        RatioCurve curve;
        curve.maxAnisotropy = run.maxAnisotropy;
        for (int r = 0; r < atlasRatioCount; ++r)
            curve.points.push_back(
                {atlasRatios[r], run.cells[static_cast<size_t>(r) * atlasAngleCount].median});
        f.ratioCurve.push_back(curve);
    }
    return f;
}
