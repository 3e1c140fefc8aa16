#include "measure/measure_battery.h"

#include <windows.h>
#include <GL/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "app/viewer_state.h"
#include "measure/lod_probe.h"
#include "render/gl_constants.h"
#include "render/scene_renderer.h"

namespace {

// What the battery changes besides the viewer's settings.
struct SavedState {
    ViewerState viewer;
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
    saved.viewer = viewer;
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
    viewer = saved.viewer;
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
void SetDefaultTunnel()
{
    viewer.useBitmap = false;
    viewer.scenePlane = false;
    viewer.tunnelFaces = batteryTunnelFaces;
    viewer.texScaleU = batteryTunnelRepeatU;
    viewer.texScaleV = batteryTunnelRepeatV;
    viewer.sceneRotation = 0.0;
    viewer.textureRotation = 0.0;
    viewer.textureStage = 0;
    BindTextureStages();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    SetAnisotropy(1.0f);
    if (viewer.lodBiasSupported)
        SetUnitBias(0, 0.0f);
}

struct Probe {
    GLuint texture;
    TextureShape shape;
    std::vector<uint8_t> rgba;
};

void Measure(Probe& probe, MeasuredLodMap& measured)
{
    ProbeView(probe.texture, probe.rgba);
    DecodeProbeFrame(probe.rgba.data(), probe.shape.levels, measured);
}

// Both maps of the current view; the ideal is worked out while the driver draws.
void MeasureWithIdeal(Probe& probe, bool withInvariant, MeasuredLodMap& measured,
                      IdealLodMap& ideal)
{
    const LodRule rule = CurrentLodRule(probe.shape);
    const ProbePass pass = BeginProbe(probe.texture);
    ComputeIdealLodMap(BuildSceneModel(CurrentSceneView(probe.shape)), rule, withInvariant, ideal);
    EndProbe(pass, probe.rgba);
    DecodeProbeFrame(probe.rgba.data(), probe.shape.levels, measured);
}

void MeasureTunnel(Probe& probe, MeasureResults& results)
{
    MeasureWithIdeal(probe, true, results.tunnelMeasured, results.tunnelIdeal);
    const IdealLodMap& ideal = results.tunnelIdeal;
    results.lod = CompareLod(results.tunnelMeasured, ideal.openGl, ideal.openGlClass);
    results.lodInvariant = CompareLod(results.tunnelMeasured, ideal.invariant, ideal.invariantClass);
    results.transfer =
        MeasureTransfer(results.tunnelMeasured, ideal.openGl, ideal.openGlClass, transferBins);
}

// Every unit in turn carries the texture: the same frame from each.
void MeasureStages(Probe& probe, MeasureResults& results)
{
    results.stageCount = viewer.textureUnitCount;
    results.stagesIdentical = true;
    ProbeView(probe.texture, probe.rgba);
    const std::vector<uint8_t> first = probe.rgba;
    for (int stage = 1; stage < viewer.textureUnitCount; ++stage) {
        viewer.textureStage = stage;
        BindTextureStages();
        if (viewer.lodBiasSupported)
            SetUnitBias(stage, 0.0f);
        ProbeView(probe.texture, probe.rgba);
        results.stagesIdentical = results.stagesIdentical && probe.rgba == first;
    }
    viewer.textureStage = 0;
    BindTextureStages();
}

void MeasureBias(Probe& probe, MeasureResults& results)
{
    results.biasAvailable = viewer.lodBiasSupported;
    if (!results.biasAvailable)
        return;
    results.biasMaxError = 0.0;
    const std::vector<float>& baseIdeal = results.tunnelIdeal.openGl;
    const int lastLevel = probe.shape.levels - 1;
    MeasuredLodMap shifted;
    const int steps = static_cast<int>(2.0 * biasRange / biasStep + 0.5);
    for (int i = 0; i <= steps; ++i) {
        const double bias = -biasRange + i * biasStep;
        SetUnitBias(viewer.textureStage, static_cast<float>(bias));
        LodRule rule = CurrentLodRule(probe.shape);
        Measure(probe, shifted);
        const double applied = EffectiveBias(rule);
        const double shift =
            MeanMeasuredShift(results.tunnelMeasured, shifted, baseIdeal, applied, lastLevel);
        results.bias.push_back({bias, shift});
        results.biasMaxError = std::max(results.biasMaxError, std::fabs(shift - bias));
    }
    SetUnitBias(viewer.textureStage, 0.0f);
}

void MeasureAniso(Probe& probe, MeasureResults& results)
{
    results.anisoAvailable = viewer.anisoSupported;
    if (!results.anisoAvailable)
        return;
    GLfloat maxAnisotropy = 1.0f;
    glGetFloatv(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &maxAnisotropy);
    results.maxAnisotropy = maxAnisotropy;
    SetAnisotropy(maxAnisotropy);
    MeasuredLodMap measured;
    IdealLodMap ideal;
    MeasureWithIdeal(probe, false, measured, ideal);
    results.aniso = CompareLod(measured, ideal.openGl, ideal.openGlClass);
    results.anisoBlendedShare = BlendedShare(measured, ideal.openGlClass);
    results.anisoBlendsLevels = results.anisoBlendedShare > blendsLevelsShare;
    SetAnisotropy(1.0f);
}

// The plane facing the eye, its texture turned step by step.
void MeasureAngle(Probe& probe, MeasureResults& results)
{
    viewer.scenePlane = true;
    viewer.planeDistance = anglePlaneDistance;
    viewer.planeAngle = 0.0;
    viewer.texScaleU = anglePlaneRepeat;
    viewer.texScaleV = anglePlaneRepeat;
    MeasuredLodMap measured;
    IdealLodMap ideal;
    std::vector<double> errors;
    const int steps = static_cast<int>(90.0 / angleStep + 0.5);
    for (int i = 0; i <= steps; ++i) {
        viewer.textureRotation = i * angleStep;
        MeasureWithIdeal(probe, false, measured, ideal);
        if (i == 0)
            results.angleIdealLod = ideal.openGl[static_cast<size_t>(viewHeight / 2) * viewWidth + viewWidth / 2];
        const LodErrorStats stats = CompareLod(measured, ideal.openGl, ideal.openGlClass);
        results.angle.push_back({viewer.textureRotation, stats.meanSigned});
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

void RunMeasureBattery(MeasureResults& results)
{
    const double start = Now();
    results = MeasureResults{};
    const SavedState saved = SaveState();
    SetDefaultTunnel();

    Probe probe;
    probe.shape = BoundTextureShape();
    probe.texture = CreateProbeTexture(probe.shape);
    results.lastLevel = probe.shape.levels - 1;

    MeasureTunnel(probe, results);
    MeasureStages(probe, results);
    MeasureBias(probe, results);
    MeasureAniso(probe, results);
    MeasureAngle(probe, results);

    DeleteProbeTexture(probe.texture);
    RestoreState(saved);
    results.seconds = Now() - start;
}
