#include "measure/measure_battery.h"

#include <windows.h>
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

#include "app/viewer_state.h"
#include "measure/lod_probe.h"
#include "measure/natural_probe.h"
#include "measure/rules_probe.h"
#include "app/gl_constants.h"
#include "render/scene_renderer.h"

namespace {

const int biasProbes = static_cast<int>(2.0 * biasRange / biasStep + 0.5) + 1;
const int angleProbes = static_cast<int>(90.0 / angleStep + 0.5) + 1;

// The atlas's anisotropies: 1x, 2x ... up to the driver's maximum.
std::vector<double> AtlasSettings(double maxAnisotropy)
{
    std::vector<double> settings;
    for (double step = 1.0;; step *= 2.0) {
        settings.push_back(std::min(step, maxAnisotropy));
        if (settings.back() >= maxAnisotropy)
            return settings;
    }
}

// The steps told so far; once the progress says stop, every step after is skipped.
struct Steps {
    const MeasureProgress& progress;
    int count;
    int done = 0;
    bool stopped = false;
};

// False when the step is not to run.
bool NextStep(Steps& steps, const char* format, double value = 0.0)
{
    if (steps.stopped)
        return false;
    char name[64];
    std::snprintf(name, sizeof(name), format, value);
    ++steps.done;
    steps.stopped = steps.progress && !steps.progress(steps.done, steps.count, name);
    return !steps.stopped;
}

// The OpenGL state the battery changes; the viewer's settings it never writes.
struct SavedState {
    GLint minFilter = GL_LINEAR_MIPMAP_LINEAR;
    GLint magFilter = GL_LINEAR;
    GLfloat anisotropy = 1.0f;
    std::vector<GLfloat> unitBias;
};

void SetUnitBias(int unit, float bias)
{
    viewer.pfnActiveTexture(GL_TEXTURE0 + unit);
    glTexEnvf(GL_TEXTURE_FILTER_CONTROL_EXT, GL_TEXTURE_LOD_BIAS_EXT, bias);
}

SavedState SaveState()
{
    SavedState saved;
    if (viewer.lodBiasSupported) {
        saved.unitBias.resize(static_cast<size_t>(viewer.textureUnitCount));
        for (int i = 0; i < viewer.textureUnitCount; ++i) {
            viewer.pfnActiveTexture(GL_TEXTURE0 + i);
            glGetTexEnvfv(GL_TEXTURE_FILTER_CONTROL_EXT, GL_TEXTURE_LOD_BIAS_EXT, &saved.unitBias[i]);
        }
        viewer.pfnActiveTexture(GL_TEXTURE0 + viewer.textureStage);
    }
    // The checkerboard's parameters, which the battery sets.
    glBindTexture(GL_TEXTURE_2D, viewer.textureNames[checkerTexture]);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &saved.minFilter);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &saved.magFilter);
    if (viewer.anisoSupported)
        glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &saved.anisotropy);
    glBindTexture(GL_TEXTURE_2D,
                  viewer.textureNames[viewer.useBitmap ? bitmapTexture : checkerTexture]);
    return saved;
}

void RestoreState(const SavedState& saved)
{
    glBindTexture(GL_TEXTURE_2D, viewer.textureNames[checkerTexture]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, saved.minFilter);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, saved.magFilter);
    if (viewer.anisoSupported)
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, saved.anisotropy);
    for (size_t i = 0; i < saved.unitBias.size(); ++i)
        SetUnitBias(static_cast<int>(i), saved.unitBias[i]);
    // Binds every unit again and leaves the stage unit active with its texture.
    BindTextureStages();
}

void SetAnisotropy(float anisotropy)
{
    if (viewer.anisoSupported)
        glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, anisotropy);
}

// The default tunnel on the checkerboard, trilinear, isotropic, no bias, on unit 0.
Scene SetDefaultTunnel()
{
    Scene tunnel;
    tunnel.plane = false;
    tunnel.tunnelFaces = batteryTunnelFaces;
    tunnel.texScaleU = batteryTunnelRepeatU;
    tunnel.texScaleV = batteryTunnelRepeatV;
    BindTextureStages(0, viewer.textureNames[checkerTexture]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    SetAnisotropy(1.0f);
    if (viewer.lodBiasSupported)
        SetUnitBias(0, 0.0f);
    return tunnel;
}

struct Probe {
    GLuint texture;
    TextureShape shape;
    std::vector<uint8_t> rgba;
};

void Measure(Probe& probe, const Scene& scene, MeasuredLodMap& measured)
{
    ProbeView(probe.texture, scene, probe.rgba);
    DecodeProbeFrame(probe.rgba.data(), probe.shape.levels, measured);
}

// Both maps of the current view; the ideal is worked out while the driver draws.
void MeasureWithIdeal(Probe& probe, const Scene& scene, bool withInvariant,
                      MeasuredLodMap& measured, IdealLodMap& ideal)
{
    const LodRule rule = CurrentLodRule(probe.shape);
    const ProbePass pass = BeginProbe(probe.texture, scene);
    ComputeIdealLodMap(BuildSceneModel(ViewOf(scene, probe.shape)), rule, withInvariant, ideal);
    EndProbe(pass, probe.rgba);
    DecodeProbeFrame(probe.rgba.data(), probe.shape.levels, measured);
}

void MeasureTunnel(Probe& probe, const Scene& tunnel, MeasureResults& results, Steps& steps)
{
    if (!NextStep(steps, "tunnel"))
        return;
    MeasureWithIdeal(probe, tunnel, true, results.tunnelMeasured, results.tunnelIdeal);
    const IdealLodMap& ideal = results.tunnelIdeal;
    results.lod = CompareLod(results.tunnelMeasured, ideal.openGl, ideal.openGlClass);
    results.lodInvariant = CompareLod(results.tunnelMeasured, ideal.invariant, ideal.invariantClass);
    results.transfer =
        MeasureTransfer(results.tunnelMeasured, ideal.openGl, ideal.openGlClass, transferBins);
}

// Every unit in turn carries the texture: the same frame from each.
void MeasureStages(Probe& probe, const Scene& tunnel, MeasureResults& results, Steps& steps)
{
    if (!NextStep(steps, "texture stages"))
        return;
    const GLuint checker = viewer.textureNames[checkerTexture];
    results.stageCount = viewer.textureUnitCount;
    results.stagesIdentical = true;
    ProbeView(probe.texture, tunnel, probe.rgba);
    const std::vector<uint8_t> first = probe.rgba;
    for (int stage = 1; stage < viewer.textureUnitCount; ++stage) {
        BindTextureStages(stage, checker);
        if (viewer.lodBiasSupported)
            SetUnitBias(stage, 0.0f);
        ProbeView(probe.texture, tunnel, probe.rgba);
        results.stagesIdentical = results.stagesIdentical && probe.rgba == first;
    }
    BindTextureStages(0, checker);
}

// On unit 0, where the battery keeps the checkerboard.
void MeasureBias(Probe& probe, const Scene& tunnel, MeasureResults& results, Steps& steps)
{
    results.biasAvailable = viewer.lodBiasSupported;
    if (!results.biasAvailable)
        return;
    results.biasMaxError = 0.0;
    const std::vector<float>& baseIdeal = results.tunnelIdeal.openGl;
    const int lastLevel = probe.shape.levels - 1;
    MeasuredLodMap shifted;
    for (int i = 0; i < biasProbes; ++i) {
        const double bias = -biasRange + i * biasStep;
        if (!NextStep(steps, "LOD bias %+.1f", bias))
            return;
        SetUnitBias(0, static_cast<float>(bias));
        LodRule rule = CurrentLodRule(probe.shape);
        Measure(probe, tunnel, shifted);
        const double applied = EffectiveBias(rule);
        const double shift =
            MeanMeasuredShift(results.tunnelMeasured, shifted, baseIdeal, applied, lastLevel);
        results.bias.push_back({bias, shift});
        results.biasMaxError = std::max(results.biasMaxError, std::fabs(shift - bias));
    }
    SetUnitBias(0, 0.0f);
}

void MeasureAniso(Probe& probe, const Scene& tunnel, MeasureResults& results, Steps& steps)
{
    results.anisoAvailable = viewer.anisoSupported;
    if (!results.anisoAvailable)
        return;
    const GLfloat maxAnisotropy = static_cast<GLfloat>(viewer.anisotropyLimit);
    results.maxAnisotropy = maxAnisotropy;
    if (!NextStep(steps, "anisotropy %gx", maxAnisotropy))
        return;
    SetAnisotropy(maxAnisotropy);
    MeasuredLodMap measured;
    IdealLodMap ideal;
    MeasureWithIdeal(probe, tunnel, false, measured, ideal);
    results.aniso = CompareLod(measured, ideal.openGl, ideal.openGlClass);
    results.anisoBlendedShare = BlendedShare(measured, ideal.openGlClass);
    results.anisoBlendsLevels = results.anisoBlendedShare > blendsLevelsShare;
    SetAnisotropy(1.0f);
}

// The footprint atlas at 1x, 2x ... up to the driver's maximum.
// `at1x` gets the cells of the 1x run, which the rules' draws take too.
void MeasureAtlas(Probe& probe, MeasureResults& results, Steps& steps, std::vector<CellMeasure>& at1x)
{
    if (!results.anisoAvailable)
        return;
    const std::vector<AtlasCell> cells = AtlasCells();
    const std::vector<AffineRect> rects = AtlasRects(cells, probe.shape.width, probe.shape.height);
    std::vector<AtlasRun> runs;
    MeasuredLodMap measured;
    for (const double setting : AtlasSettings(results.maxAnisotropy)) {
        if (!NextStep(steps, "footprint atlas %gx", setting))
            return;
        SetAnisotropy(static_cast<float>(setting));
        EndProbe(BeginProbe(probe.texture, rects), probe.rgba);
        DecodeProbeFrame(probe.rgba.data(), probe.shape.levels, measured);
        runs.push_back({setting, MeasureCells(measured, cells)});
    }
    SetAnisotropy(1.0f);
    if (!runs.empty() && runs.front().maxAnisotropy == 1.0)
        at1x = runs.front().cells;
    results.atlas = AtlasFiguresFrom(cells, runs, probe.shape.levels - 1);
}

// The plane facing the eye, its texture turned step by step.
void MeasureAngle(Probe& probe, const Scene& tunnel, MeasureResults& results, Steps& steps)
{
    Scene plane = tunnel;
    plane.plane = true;
    plane.planeDistance = anglePlaneDistance;
    plane.planeAngle = 0.0;
    plane.texScaleU = anglePlaneRepeat;
    plane.texScaleV = anglePlaneRepeat;
    MeasuredLodMap measured;
    IdealLodMap ideal;
    std::vector<double> errors;
    for (int i = 0; i < angleProbes; ++i) {
        plane.textureRotation = i * angleStep;
        if (!NextStep(steps, "angle %g", plane.textureRotation))
            return;
        MeasureWithIdeal(probe, plane, false, measured, ideal);
        if (i == 0)
            results.angleIdealLod = ideal.openGl[static_cast<size_t>(viewHeight / 2) * viewWidth + viewWidth / 2];
        const LodErrorStats stats = CompareLod(measured, ideal.openGl, ideal.openGlClass);
        results.angle.push_back({plane.textureRotation, stats.meanSigned});
        errors.push_back(stats.meanSigned);
    }
    results.angleSpread = Spread(errors);
}

double Now()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

int MeasureStepCount()
{
    int count = 4 + angleProbes;  // the tunnel, the rules, the natural texture, the stages, the angles
    if (viewer.lodBiasSupported)
        count += biasProbes;
    if (viewer.anisoSupported)
        count += 1 + static_cast<int>(
                         AtlasSettings(static_cast<GLfloat>(viewer.anisotropyLimit)).size());
    return count;
}

void RunMeasureBattery(MeasureResults& results, const MeasureProgress& progress)
{
    const double start = Now();
    results = MeasureResults{};
    const SavedState saved = SaveState();
    const Scene tunnel = SetDefaultTunnel();

    Probe probe;
    probe.shape = BoundTextureShape();
    probe.texture = CreateProbeTexture(probe.shape);
    results.lastLevel = probe.shape.levels - 1;

    Steps steps{progress, MeasureStepCount()};
    MeasureTunnel(probe, tunnel, results, steps);
    MeasureStages(probe, tunnel, results, steps);
    MeasureBias(probe, tunnel, results, steps);
    MeasureAniso(probe, tunnel, results, steps);
    std::vector<CellMeasure> atlasAt1x;
    MeasureAtlas(probe, results, steps, atlasAt1x);
    if (NextStep(steps, "rho, envelope and precision"))
        MeasureRules(probe.texture, probe.shape, tunnel, results.tunnelMeasured, results.tunnelIdeal,
                     atlasAt1x, results.rules);
    if (NextStep(steps, "natural texture"))
        results.natural = MeasureNaturalAgreement(probe.shape, tunnel, results.tunnelMeasured);
    MeasureAngle(probe, tunnel, results, steps);
    results.stopped = steps.stopped;

    DeleteProbeTexture(probe.texture);
    RestoreState(saved);
    results.seconds = Now() - start;
}
