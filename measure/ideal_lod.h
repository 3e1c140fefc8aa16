// The level of detail a pixel should get: from the texel Jacobian by the
// OpenGL rule (with the anisotropic-filtering extension's formula) and by the
// rotation-invariant footprint ellipse. Platform-free.
#pragma once

#include <cstdint>
#include <vector>

#include "measure/scene_model.h"

// The texture unit's and texture's settings that enter the level choice.
struct LodRule {
    double maxAnisotropy = 1.0;  // 1: isotropic
    double bias = 0.0;           // the unit's bias, before clamping to the limit
    double biasLimit = 0.0;      // the driver's largest bias each way
    int lastLevel = 9;           // the smallest level's index
};

// Where a pixel's ideal level lies.
enum LodClass : uint8_t {
    LodUncovered = 0,  // no surface: no value
    LodMagnified = 1,  // lambda <= 0: level 0 without minification
    LodInside = 2,     // strictly inside the mip range
    LodClamped = 3     // lambda >= last level
};

// log2 of rho (or of Pmax / N with anisotropy), bias not yet added.
double OpenGlRuleLod(const TexelJacobian& j, double maxAnisotropy);
double InvariantLod(const TexelJacobian& j, double maxAnisotropy);

// The bias actually applied: the set value clamped to the driver's limit.
double EffectiveBias(const LodRule& rule);

LodClass ClassifyLod(double lambda, int lastLevel);

// One value per pixel, rows bottom first, viewWidth x viewHeight.
struct IdealLodMap {
    std::vector<float> openGl;     // biased, not clamped
    std::vector<float> invariant;  // biased, not clamped
    std::vector<uint8_t> openGlClass;
    std::vector<uint8_t> invariantClass;
};

// Every pixel centre of the view. The invariant ideal only when asked for.
void ComputeIdealLodMap(const SceneModel& model, const LodRule& rule, bool withInvariant,
                        IdealLodMap& map);
