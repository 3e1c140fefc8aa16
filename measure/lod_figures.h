// The measured level of detail per pixel and the figures that compare it with
// the ideal. Platform-free.
#pragma once

#include <cstdint>
#include <vector>

#include "measure/ideal_lod.h"

// The probe frame decoded, rows bottom first, viewWidth x viewHeight.
struct MeasuredLodMap {
    std::vector<float> lod;
    std::vector<uint8_t> covered;
    std::vector<uint8_t> blendCode;
};

// `rgba`: the frame as glReadPixels gives it, four bytes per pixel.
void DecodeProbeFrame(const uint8_t* rgba, int levelCount, MeasuredLodMap& map);

// measured - ideal, in levels, over the pixels that both have and whose
// ideal lies inside the mip range.
struct LodErrorStats {
    long pixels = 0;
    double meanSigned = 0.0;
    double meanAbs = 0.0;
    double p99Abs = 0.0;
};

LodErrorStats CompareLod(const MeasuredLodMap& measured, const std::vector<float>& ideal,
                         const std::vector<uint8_t>& idealClass);

// One bin of the trilinear transfer curve: pixels whose ideal fraction (the
// part of the ideal lambda after its whole levels) falls in the bin, the mean
// of their measured blend towards the ideal's next level, and the share of
// them whose measured blend is flat (exactly 0 or 1).
struct TransferBin {
    double fraction = 0.0;  // bin centre
    long pixels = 0;
    double blend = 0.0;
    double flatShare = 0.0;
};

struct TransferCurve {
    std::vector<TransferBin> bins;
    // Sum over the bins of flat share times bin width: the levels of ideal
    // fraction over which the measured blend stays at 0 or 1.
    double plateau = 0.0;
};

TransferCurve MeasureTransfer(const MeasuredLodMap& measured, const std::vector<float>& ideal,
                              const std::vector<uint8_t>& idealClass, int binCount);

// Mean shift of the measured lambda between two probes of the same view,
// over pixels whose ideal lies inside the mip range in both (the ideal of the
// shifted one being ideal + shift).
double MeanMeasuredShift(const MeasuredLodMap& base, const MeasuredLodMap& shifted,
                         const std::vector<float>& baseIdeal, double idealShift, int lastLevel);

// Share of the covered pixels with an inside ideal whose blend is not flat.
double BlendedShare(const MeasuredLodMap& measured, const std::vector<uint8_t>& idealClass);

// max - min of the values (0 for fewer than two).
double Spread(const std::vector<double>& values);
