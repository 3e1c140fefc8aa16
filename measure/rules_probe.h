// The draws that tell which rho a driver takes, whether its levels stay inside
// what the OpenGL rules allow, and how finely it filters. Run by the battery
// with the checkerboard on the active unit, trilinear, 1x, bias 0, and left so.
#pragma once

#include <windows.h>
#include <GL/gl.h>

#include "measure/ideal_lod.h"
#include "measure/lod_figures.h"
#include "measure/lod_models.h"
#include "measure/lod_probe.h"

void MeasureRules(GLuint probe, const TextureShape& shape, const Scene& tunnel,
                  const MeasuredLodMap& tunnelBlended, const IdealLodMap& tunnelIdeal,
                  RulesFigures& rules);
