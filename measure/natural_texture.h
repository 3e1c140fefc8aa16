// A natural texture for checking the probe: uncoloured, with an ordinary
// box-filtered mip chain, and detail at every scale, so that each level
// differs from the next almost everywhere; and the blend between two levels
// solved back from frames drawn with it. Platform-free.
#pragma once

#include <cstdint>
#include <vector>

#include "measure/lod_figures.h"

// Levels of a side x side RGBA texture (side a power of two), level 0 first:
// grey 128 plus value noise at every octave; each further level the rounded
// mean of 2 x 2 texels of the one before.
std::vector<std::vector<uint8_t>> NaturalLevels(int side);

// Per pixel, the blend w with natural = (1 - w) level k + w level k+1, k the
// probe's lower level, where the two levels differ by at least
// `minimumDifference` (summed over red, green and blue) and the probe's blend
// is not within 0.05 of a whole level; `singleLevel[k]` is the frame drawn
// with level k alone. All frames RGBA, viewWidth x viewHeight.
struct NaturalAgreement {
    long compared = 0;  // pixels whose probe lambda is inside the chain
    long solved = 0;
    double meanAbs = 0.0;  // mean |lambda(natural) - lambda(probe)| over the solved
};
const int minimumLevelDifference = 12;

NaturalAgreement SolveNaturalBlend(const std::vector<uint8_t>& natural,
                                   const std::vector<std::vector<uint8_t>>& singleLevel,
                                   const MeasuredLodMap& probe, int lastLevel);
