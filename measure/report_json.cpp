#include "measure/report_json.h"

#include <cmath>

#include "capture/json_writer.h"
#include "measure/filter_precision.h"

namespace {

// Figures in levels to 1/10000: well below the probe's 1/255.
const int levelDecimals = 4;

void AddTransfer(JsonText& json, const TransferCurve& transfer)
{
    JsonOpenObject(json, "trilinear");
    JsonAddNumber(json, "plateau", transfer.plateau, levelDecimals);
    JsonOpenArray(json, "curve");
    for (const TransferBin& bin : transfer.bins) {
        JsonOpenObject(json, nullptr);
        JsonAddNumber(json, "idealFraction", bin.fraction, levelDecimals);
        JsonAddNumber(json, "measuredBlend", bin.pixels > 0 ? bin.blend : NAN, levelDecimals);
        JsonAddInteger(json, "pixels", bin.pixels);
        JsonCloseObject(json);
    }
    JsonCloseArray(json);
    JsonCloseObject(json);
}

void AddAngle(JsonText& json, const MeasureResults& r)
{
    JsonOpenObject(json, "angle");
    JsonAddNumber(json, "spread", r.angleSpread, levelDecimals);
    JsonAddNumber(json, "idealLod", r.angleIdealLod, levelDecimals);
    JsonOpenArray(json, "curve");
    for (const AnglePoint& point : r.angle) {
        JsonOpenObject(json, nullptr);
        JsonAddNumber(json, "textureRotation", point.rotation, 1);
        JsonAddNumber(json, "meanError", point.meanError, levelDecimals);
        JsonCloseObject(json);
    }
    JsonCloseArray(json);
    JsonCloseObject(json);
}

// The envelope's verdict, the filter's precision and the fingerprint.
void AddRules(JsonText& json, const MeasureResults& r)
{
    const RulesFigures& rules = r.rules;
    const bool rho = RhoOutsideShare(rules.counts) > envelopeOutsideLimit;
    const bool blend = BlendOutsideShare(rules.counts) > envelopeOutsideLimit;
    JsonOpenObject(json, "envelope");
    JsonAddString(json, "verdict", rho || blend ? "outside" : "inside");
    JsonOpenArray(json, "reasons");
    if (rho)
        JsonAddString(json, nullptr, "rho");
    if (blend)
        JsonAddString(json, nullptr, "blend");
    JsonCloseArray(json);
    JsonAddNumber(json, "outsideShare", OutsideShare(rules.counts), levelDecimals);
    JsonAddNumber(json, "rhoOutsideShare", RhoOutsideShare(rules.counts), levelDecimals);
    JsonAddNumber(json, "blendOutsideShare", BlendOutsideShare(rules.counts), levelDecimals);
    JsonAddInteger(json, "judged", rules.counts.judged);
    JsonAddNumber(json, "lodTolerance", envelopeLodTolerance, levelDecimals);
    JsonAddNumber(json, "blendTolerance", envelopeBlendTolerance, levelDecimals);
    JsonAddNumber(json, "outsideLimit", envelopeOutsideLimit, levelDecimals);
    JsonCloseObject(json);
    JsonOpenObject(json, "filter");
    JsonAddBool(json, "bilinear", rules.bilinearMagnification);
    JsonAddBool(json, "bilinearMinification", rules.bilinearMinification);
    JsonAddInteger(json, "subtexelBits", rules.subtexelBits);
    JsonAddInteger(json, "frameBits", frameBits);
    JsonCloseObject(json);
    JsonAddString(json, "fingerprint", Fingerprint(rules, r.transfer.plateau));
    const NaturalAgreement& n = r.natural;
    JsonOpenObject(json, "probe");
    JsonAddNumber(json, "agreement", n.meanAbs, levelDecimals);
    JsonAddNumber(json, "solvedShare",
                  n.compared > 0 ? static_cast<double>(n.solved) / n.compared : 0.0, levelDecimals);
    JsonAddInteger(json, "solvedPixels", n.solved);
    JsonCloseObject(json);
}

// The footprint atlas's figures, members of "aniso".
void AddAtlas(JsonText& json, const AtlasFigures& a)
{
    JsonAddNumber(json, "minorAxis", atlasMinorAxis, 1);
    JsonAddNumber(json, "effectiveRatio", a.effectiveRatio, 1);
    JsonAddNumber(json, "effectiveRatioWorstAngle", a.effectiveRatioWorstAngle, 1);
    JsonAddNumber(json, "flowerSpread", a.flowerSpread, levelDecimals);
    JsonAddString(json, "model", AtlasModelName(a.model));
    JsonOpenObject(json, "modelResiduals");
    for (int model = 0; model < atlasModelCount; ++model)
        JsonAddNumber(json, AtlasModelName(static_cast<AtlasModel>(model)), a.modelResiduals[model],
                      levelDecimals);
    JsonCloseObject(json);
    JsonAddString(json, "levelSelection", LevelSelectionName(a.levelSelection));
    JsonAddNumber(json, "levelsUnderAniso", a.levelsUnderAniso, levelDecimals);
    JsonAddNumber(json, "cellSpread", a.cellSpread, levelDecimals);
    JsonOpenArray(json, "flower");
    for (const FlowerCurve& curve : a.flower) {
        JsonOpenObject(json, nullptr);
        JsonAddNumber(json, "ratio", curve.ratio, 1);
        JsonAddNumber(json, "spread", curve.spread, levelDecimals);
        JsonOpenArray(json, "curve");
        for (const FlowerPoint& p : curve.points) {
            JsonOpenObject(json, nullptr);
            JsonAddNumber(json, "angle", p.angle, 1);
            JsonAddNumber(json, "measured", p.measured, levelDecimals);
            for (int model = 0; model < atlasModelCount; ++model)
                JsonAddNumber(json, AtlasModelName(static_cast<AtlasModel>(model)), p.ideal[model],
                              levelDecimals);
            JsonCloseObject(json);
        }
        JsonCloseArray(json);
        JsonCloseObject(json);
    }
    JsonCloseArray(json);
    JsonOpenArray(json, "ratioCurve");
    for (const RatioCurve& curve : a.ratioCurve) {
        JsonOpenObject(json, nullptr);
        JsonAddNumber(json, "maxAnisotropy", curve.maxAnisotropy, 1);
        JsonOpenArray(json, "curve");
        for (const RatioPoint& p : curve.points) {
            JsonOpenObject(json, nullptr);
            JsonAddNumber(json, "ratio", p.ratio, 1);
            JsonAddNumber(json, "measured", p.measured, levelDecimals);
            JsonCloseObject(json);
        }
        JsonCloseArray(json);
        JsonCloseObject(json);
    }
    JsonCloseArray(json);
}

}  // namespace

std::string MeasureReportJson(const DriverNames& names, const MeasureResults& r)
{
    JsonText json;
    JsonOpenObject(json, nullptr);
    AddDriverNameMembers(json, names);

    JsonOpenObject(json, "lod");
    JsonAddNumber(json, "meanAbsError", r.lod.meanAbs, levelDecimals);
    JsonAddNumber(json, "p99AbsError", r.lod.p99Abs, levelDecimals);
    JsonAddNumber(json, "meanAbsErrorInvariant", r.lodInvariant.meanAbs, levelDecimals);
    JsonAddNumber(json, "meanError", r.lod.meanSigned, levelDecimals);
    JsonAddInteger(json, "pixels", r.lod.pixels);
    JsonAddString(json, "model", RhoModelName(r.rules.model));
    JsonOpenObject(json, "modelResiduals");
    for (int m = 0; m < rhoModelCount; ++m)
        JsonAddNumber(json, RhoModelName(static_cast<RhoModel>(m)), r.rules.modelResiduals[m], levelDecimals);
    JsonCloseObject(json);
    JsonAddInteger(json, "fractionBits", r.rules.fractionBits);
    JsonAddString(json, "granularity", r.rules.lodPerQuad ? "quad" : "pixel");
    JsonAddNumber(json, "quadShare", r.rules.quadShare, levelDecimals);
    JsonCloseObject(json);
    AddRules(json, r);

    AddTransfer(json, r.transfer);
    AddAngle(json, r);

    if (!r.anisoAvailable) {
        JsonAddNull(json, "aniso");
    } else {
        JsonOpenObject(json, "aniso");
        JsonAddNumber(json, "maxAnisotropy", r.maxAnisotropy, 1);
        JsonAddNumber(json, "meanAbsError", r.aniso.meanAbs, levelDecimals);
        JsonAddBool(json, "blendsLevels", r.anisoBlendsLevels);
        JsonAddNumber(json, "blendedShare", r.anisoBlendedShare, levelDecimals);
        AddAtlas(json, r.atlas);
        JsonCloseObject(json);
    }

    if (!r.biasAvailable) {
        JsonAddNull(json, "bias");
    } else {
        JsonOpenObject(json, "bias");
        JsonAddNumber(json, "maxError", r.biasMaxError, levelDecimals);
        JsonOpenArray(json, "shifts");
        for (const BiasPoint& point : r.bias) {
            JsonOpenObject(json, nullptr);
            JsonAddNumber(json, "bias", point.bias, 1);
            JsonAddNumber(json, "measuredShift", point.shift, levelDecimals);
            JsonCloseObject(json);
        }
        JsonCloseArray(json);
        JsonCloseObject(json);
    }

    JsonOpenObject(json, "stages");
    JsonAddInteger(json, "count", r.stageCount);
    JsonAddBool(json, "identical", r.stagesIdentical);
    JsonCloseObject(json);

    JsonAddNumber(json, "seconds", r.seconds, 2);
    JsonCloseObject(json);
    return json.text;
}
