// The whole measurement of the driver at hand: the level of detail of the
// default tunnel against both ideals, the trilinear transfer curve, the angle
// dependence on the plane, anisotropy, LOD bias and the texture stages.
#pragma once

#include <functional>
#include <vector>

#include "measure/footprint_atlas.h"
#include "measure/ideal_lod.h"
#include "measure/lod_figures.h"
#include "measure/lod_models.h"
#include "measure/natural_texture.h"

struct AnglePoint {
    double rotation = 0.0;   // texture rotation, degrees
    double meanError = 0.0;  // mean signed measured - OpenGL rule, levels
};

struct BiasPoint {
    double bias = 0.0;
    double shift = 0.0;  // mean measured shift against bias 0, levels
};

struct MeasureResults {
    LodErrorStats lod;           // default tunnel against the OpenGL rule
    LodErrorStats lodInvariant;  // and against the rotation-invariant ideal
    TransferCurve transfer;
    std::vector<AnglePoint> angle;
    double angleSpread = 0.0;
    double angleIdealLod = 0.0;  // the plane's OpenGL-rule lambda at rotation 0

    bool anisoAvailable = false;
    double maxAnisotropy = 1.0;
    LodErrorStats aniso;
    double anisoBlendedShare = 0.0;
    bool anisoBlendsLevels = false;
    AtlasFigures atlas;  // the footprint atlas, with anisotropy
    RulesFigures rules;  // rho, the envelope and the filter's precision
    NaturalAgreement natural;  // the probe against a natural texture

    bool biasAvailable = false;
    std::vector<BiasPoint> bias;
    double biasMaxError = 0.0;

    int stageCount = 0;
    bool stagesIdentical = true;

    double seconds = 0.0;
    bool stopped = false;  // the progress asked to stop: the figures are partial

    // The default tunnel's maps, for the report sheet.
    MeasuredLodMap tunnelMeasured;
    IdealLodMap tunnelIdeal;
    int lastLevel = 0;
};

// The scenes of the battery.
const int batteryTunnelFaces = 200;
const double batteryTunnelRepeatU = 10.5;
const double batteryTunnelRepeatV = 1.0;
const double anglePlaneDistance = 200.0;  // tenths: 20 units
const double anglePlaneRepeat = 10.5;     // both ways: a round footprint
const double angleStep = 5.0;             // degrees, 0 .. 90
const double biasStep = 0.5;              // -2.0 .. 2.0
const double biasRange = 2.0;
const int transferBins = 32;
// Above this share of blended pixels the anisotropic filter blends two levels.
const double blendsLevelsShare = 0.5;

// Told before each step (1-based) of `count`, with the step's name; false
// stops the battery there. An empty one never stops it.
using MeasureProgress = std::function<bool(int step, int count, const char* name)>;

// The battery's steps on this driver: one a probe or atlas frame.
int MeasureStepCount();

// Runs every measurement on the checkerboard and puts the viewer's settings
// and every OpenGL state it changes back as they were, stopped or not. Needs
// the panel's initialisation done (the units laid out). Draws nothing on screen.
void RunMeasureBattery(MeasureResults& results, const MeasureProgress& progress = {});
