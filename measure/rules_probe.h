// The draws that tell which rho a driver takes, whether its levels stay inside
// what the OpenGL rules allow, and how finely it filters. Run by the battery
// with the checkerboard on the active unit, trilinear, 1x, bias 0, and left so.
// `atlasAt1x`: the footprint atlas's cells drawn so already, or empty.
#pragma once

#include <windows.h>
#include <GL/gl.h>

#include <vector>

#include "measure/footprint_atlas.h"
#include "measure/ideal_lod.h"
#include "measure/lod_figures.h"
#include "measure/lod_models.h"
#include "measure/lod_probe.h"

void MeasureRules(GLuint probe, const TextureShape& shape, const Scene& tunnel,
                  const MeasuredLodMap& tunnelBlended, const IdealLodMap& tunnelIdeal,
                  const std::vector<CellMeasure>& atlasAt1x, RulesFigures& rules);
