// How finely a driver filters, counted from what it drew: the steps of a
// magnified ramp, the blends met stepping lambda through a level, and whether
// lambda is one value per 2 x 2 quad. A frame of 8 bits per channel shows at
// most 8 bits of either. Platform-free.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "measure/lod_figures.h"

const int frameBits = 8;

// Distinct bytes among count values `stride` bytes apart.
int DistinctValues(const uint8_t* values, size_t count, size_t stride);

// Bits of precision shown by `distinct` evenly stepped values over a full
// range: log2 of the steps between them, at most frameBits; 0 for one value.
int BitsFromDistinctSteps(int distinct);

// Whether lambda is one value over aligned 2 x 2 quads where the ideal
// changes inside them by at least 1/32 level; the share of such quads with
// one measured value goes to `share`.
bool LodPerQuad(const MeasuredLodMap& measured, const std::vector<float>& ideal,
                const std::vector<uint8_t>& idealClass, double* share);
