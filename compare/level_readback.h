// The measured-level map read back from a report sheet (report.png), whose
// halved map is drawn in the level scale: each pixel's colour is matched to
// the nearest colour of the scale. Plain.
#pragma once

#include <vector>

#include "measure/report_sheet.h"

// The battery's texture: the 512 x 512 checkerboard, levels 0 .. 9.
const int reportLastLevel = 9;

// Levels of the map's pixels, rows top first; NaN where the sheet shows no
// level (no surface, or a pixel shared with the surface's edge).
struct LevelMap {
    int width = 0;
    int height = 0;
    std::vector<double> level;
};

// The level a colour of the scale stands for, or NaN for a colour that is
// not on it.
double LevelOfColor(Rgb8 color, int lastLevel);

// The map of a report sheet of reportSheetWidth x reportSheetHeight.
LevelMap ReadLevelMap(const SheetImage& reportSheet, int lastLevel);

struct LevelDifference {
    std::vector<double> difference;  // b - a, NaN where either has no level
    std::vector<bool> oneSided;      // a level on one side only
    long long pixels = 0;            // pixels with a level on both sides
    double meanAbs = 0.0;
    double maxAbs = 0.0;
};

// Maps of the same size.
LevelDifference DifferenceOfLevels(const LevelMap& a, const LevelMap& b);
