// The probe texture's level colours and their decoding: each level is one
// flat colour, so a filtered pixel tells the two levels the filter blended
// and the blend. Platform-free.
#pragma once

#include <cstdint>

// Red: 0 on even levels, 255 on odd ones, so a blend of two neighbours gives
// the blend fraction in 8 bits, but reads the same a little above and a
// little below a whole level. Blue: 0, 255, 255, 0 over levels 0 to 3 and
// round again, flat on one side of every whole level and steep on the other,
// which settles that. Green: a ramp over the level number from 16 up that
// tells which pair, and marks a covered pixel (the probe clears to 0).
struct ProbeColor {
    uint8_t r, g, b, a;
};

ProbeColor ProbeLevelColor(int level, int levelCount);

// What one read-back pixel says.
struct ProbeSample {
    bool covered = false;
    float lod = 0.0f;       // lower level + blend fraction, 0 .. levelCount - 1
    uint8_t blendCode = 0;  // the red byte: 0 or 255 where the blend is flat
};

ProbeSample DecodeProbePixel(uint8_t r, uint8_t g, uint8_t b, int levelCount);
