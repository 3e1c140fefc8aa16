#include "measure/lod_models.h"

#include <algorithm>
#include <cmath>

#include "measure/footprint_atlas.h"
#include "measure/ideal_lod.h"

namespace {

double LargerDerivativeOfU(const TexelJacobian& j) { return std::max(std::fabs(j.dudx), std::fabs(j.dudy)); }
double LargerDerivativeOfV(const TexelJacobian& j) { return std::max(std::fabs(j.dvdx), std::fabs(j.dvdy)); }

}  // namespace

const char* RhoModelName(RhoModel model)
{
    static const char* const names[rhoModelCount] = {"exact", "maxComponent", "sumComponents", "ellipse"};
    return names[model];
}

double ModelLod(RhoModel model, const TexelJacobian& j)
{
    const double mu = LargerDerivativeOfU(j), mv = LargerDerivativeOfV(j);
    switch (model) {
    case RhoExact:
        return 0.5 * std::log2(std::max(j.dudx * j.dudx + j.dvdx * j.dvdx, j.dudy * j.dudy + j.dvdy * j.dvdy));
    case RhoMaxComponent:
        return std::log2(std::max(mu, mv));
    case RhoSumComponents:
        return std::log2(mu + mv);
    default:
        return InvariantLod(j, 1.0);
    }
}

LodBand EnvelopeBand(const TexelJacobian& j)
{
    const double mu = LargerDerivativeOfU(j), mv = LargerDerivativeOfV(j);
    return {std::log2(std::max(mu, mv)), std::log2(mu + mv)};
}

void AddSwitchSample(RhoFit& fit, double level, const TexelJacobian& j, int lastLevel)
{
    // Where no level switches, the draw says nothing about rho.
    const double exact = ModelLod(RhoExact, j);
    if (!(exact > 0.0 && exact < lastLevel))
        return;
    for (int m = 0; m < rhoModelCount; ++m)
        fit.sums[m] += SelectionDistance(level, ModelLod(static_cast<RhoModel>(m), j), SelectNearest, lastLevel);
    ++fit.samples;
}

RhoModel BestRhoModel(const RhoFit& fit, double residuals[rhoModelCount])
{
    RhoModel best = RhoExact;
    for (int m = 0; m < rhoModelCount; ++m) {
        residuals[m] = fit.samples > 0 ? fit.sums[m] / fit.samples : 0.0;
        if (residuals[m] < residuals[best])
            best = static_cast<RhoModel>(m);
    }
    return best;
}

EnvelopeMark JudgeFootprint(double nearestLevel, double blended, const TexelJacobian& j,
                            RhoModel fitted, int lastLevel)
{
    const LodBand band = EnvelopeBand(j);
    if (!(band.high > 0.0 && band.low < lastLevel))
        return MarkNone;
    // Any lambda of the band, widened, may pick these levels.
    const double lowest = SelectLevel(band.low - envelopeLodTolerance, SelectNearest, lastLevel);
    const double highest = SelectLevel(band.high + envelopeLodTolerance, SelectNearest, lastLevel);
    if (nearestLevel < lowest - 1e-3 || nearestLevel > highest + 1e-3)
        return MarkOutsideRho;
    const double lambda = ModelLod(fitted, j);
    if (lambda > 0.0 && lambda < lastLevel && std::fabs(blended - lambda) > envelopeBlendTolerance)
        return MarkOutsideBlend;
    return MarkInside;
}

void EnvelopeCount::Add(EnvelopeMark mark)
{
    judged += mark != MarkNone;
    outsideRho += mark == MarkOutsideRho;
    outsideBlend += mark == MarkOutsideBlend;
}

void AddTunnelSwitchSamples(RhoFit& fit, const SceneModel& model, const MeasuredLodMap& nearest,
                            int lastLevel)
{
    ForEachCoveredPixel(model, [&](size_t at, const TexelJacobian& j) {
        if (nearest.covered[at])
            AddSwitchSample(fit, nearest.lod[at], j, lastLevel);
    });
}

EnvelopeCount JudgeTunnel(const SceneModel& model, const MeasuredLodMap& nearest,
                          const MeasuredLodMap& blended, RhoModel fitted, int lastLevel,
                          std::vector<uint8_t>& marks)
{
    EnvelopeCount count;
    marks.assign(static_cast<size_t>(viewWidth) * viewHeight, MarkNone);
    ForEachCoveredPixel(model, [&](size_t at, const TexelJacobian& j) {
        if (!nearest.covered[at] || !blended.covered[at])
            return;
        marks[at] = JudgeFootprint(nearest.lod[at], blended.lod[at], j, fitted, lastLevel);
        count.Add(static_cast<EnvelopeMark>(marks[at]));
    });
    return count;
}

std::vector<uint8_t> EnvelopeImage(const std::vector<uint8_t>& marks)
{
    static const uint8_t colors[4][3] = {{40, 40, 40}, {205, 235, 205}, {210, 30, 30}, {245, 150, 0}};
    std::vector<uint8_t> rgb(marks.size() * 3);
    for (size_t i = 0; i < marks.size(); ++i)
        for (int c = 0; c < 3; ++c)
            rgb[i * 3 + c] = colors[marks[i] & 3][c];
    return rgb;
}

double OutsideShare(const EnvelopeCount& c)
{
    return c.judged > 0 ? static_cast<double>(c.outsideRho + c.outsideBlend) / c.judged : 0.0;
}

double RhoOutsideShare(const EnvelopeCount& c)
{
    return c.judged > 0 ? static_cast<double>(c.outsideRho) / c.judged : 0.0;
}

double BlendOutsideShare(const EnvelopeCount& c)
{
    return c.judged > 0 ? static_cast<double>(c.outsideBlend) / c.judged : 0.0;
}

std::string Fingerprint(const RulesFigures& r, double plateau)
{
    std::string words = std::string("rho: ") + RhoModelName(r.model);
    words += plateau > trilinearPlateauLimit ? "; blend: shortcut" : "; blend: trilinear";
    words += r.bilinearMagnification ? "; bilinear: yes, " + std::to_string(r.subtexelBits) + " bits"
                                     : "; bilinear: no";
    words += r.lodPerQuad ? "; LOD per quad" : "; LOD per pixel";
    const bool rho = RhoOutsideShare(r.counts) > envelopeOutsideLimit;
    const bool blend = BlendOutsideShare(r.counts) > envelopeOutsideLimit;
    if (!rho && !blend)
        return words + "; inside the OpenGL envelope";
    return words + "; outside the OpenGL envelope (" + (rho ? (blend ? "rho, blend" : "rho") : "blend") + ")";
}
