// Which rho a driver approximates, and whether its level of detail stays
// inside what the OpenGL rules allow. OpenGL lets an implementation take any
// f with max(mu, mv) <= f <= mu + mv for rho (mu, mv: the larger absolute
// derivative of u and of v) and blends two levels by frac(lambda).
// Platform-free.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "measure/lod_figures.h"
#include "measure/scene_model.h"

enum RhoModel { RhoExact, RhoMaxComponent, RhoSumComponents, RhoEllipse, rhoModelCount };
const char* RhoModelName(RhoModel model);

// log2 rho of the model: the longer column of the Jacobian; max(mu, mv);
// mu + mv; the larger singular value.
double ModelLod(RhoModel model, const TexelJacobian& j);

// The band of lambda the rules allow: log2 max(mu, mv) .. log2(mu + mv).
struct LodBand {
    double low = 0.0, high = 0.0;
};
LodBand EnvelopeBand(const TexelJacobian& j);

// Stated tolerances. A driver may take derivatives as differences over a
// 2 x 2 quad and compute lambda in finite precision: 0.1 level either side of
// the band. A blend may differ from frac(lambda) by a sixteenth of the way
// for precision, plus the level tolerance.
const double envelopeLodTolerance = 0.1;
const double envelopeBlendTolerance = 0.1 + 1.0 / 16.0;
// A driver is outside when more than this share of what was judged is.
const double envelopeOutsideLimit = 0.01;

// Level switch points (NEAREST_MIPMAP_NEAREST): the distance of each sample's
// measured level from the nearest level of each model's lambda.
struct RhoFit {
    double sums[rhoModelCount] = {0.0, 0.0, 0.0, 0.0};
    long samples = 0;
};
void AddSwitchSample(RhoFit& fit, double level, const TexelJacobian& j, int lastLevel);
// The model with the least mean distance; `residuals` gets every mean.
RhoModel BestRhoModel(const RhoFit& fit, double residuals[rhoModelCount]);

// What one pixel or cell says against the rules.
enum EnvelopeMark : uint8_t { MarkNone = 0, MarkInside = 1, MarkOutsideRho = 2, MarkOutsideBlend = 3 };

// `nearestLevel` from a NEAREST_MIPMAP_NEAREST draw, `blended` (lower level +
// blend) from a LINEAR_MIPMAP_LINEAR draw of the same footprint; the blend is
// judged against the fitted model's lambda.
EnvelopeMark JudgeFootprint(double nearestLevel, double blended, const TexelJacobian& j,
                            RhoModel fitted, int lastLevel);

struct EnvelopeCount {
    long judged = 0, outsideRho = 0, outsideBlend = 0;
    void Add(EnvelopeMark mark);
};

// The default tunnel, pixel by pixel: both draws decoded, the scene for the
// Jacobians. `marks` gets one EnvelopeMark per pixel.
void AddTunnelSwitchSamples(RhoFit& fit, const SceneModel& model, const MeasuredLodMap& nearest,
                            int lastLevel);
EnvelopeCount JudgeTunnel(const SceneModel& model, const MeasuredLodMap& nearest,
                          const MeasuredLodMap& blended, RhoModel fitted, int lastLevel,
                          std::vector<uint8_t>& marks);

// The pass/fail map: viewWidth x viewHeight RGB, rows bottom first.
std::vector<uint8_t> EnvelopeImage(const std::vector<uint8_t>& marks);

// What the driver does and whether the rules allow it.
struct RulesFigures {
    RhoModel model = RhoExact;
    double modelResiduals[rhoModelCount] = {0.0, 0.0, 0.0, 0.0};
    EnvelopeCount counts;  // the tunnel's pixels and the atlas's cells
    std::vector<uint8_t> tunnelMarks;
    bool bilinearMagnification = false;
    bool bilinearMinification = false;
    int subtexelBits = 0;
    int fractionBits = 0;
    bool lodPerQuad = false;
    double quadShare = 0.0;
};

double OutsideShare(const EnvelopeCount& count);
double RhoOutsideShare(const EnvelopeCount& count);
double BlendOutsideShare(const EnvelopeCount& count);

// A trilinear blend is flat only within a byte of whole levels; a plateau of
// more than this many levels is a shortcut.
const double trilinearPlateauLimit = 0.1;

// The driver in words: "rho: exact; blend: trilinear; bilinear: yes, 8 bits;
// LOD per quad; inside the OpenGL envelope".
std::string Fingerprint(const RulesFigures& rules, double plateau);
