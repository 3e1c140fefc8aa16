// The footprint atlas: the window cut into cells, each drawn with affine
// texture coordinates so that every pixel of a cell has the same known
// footprint ellipse in base-level texels (minor axis b, ratio r = a / b, major
// axis turned by phi on the screen). The ideals are constants per cell, so
// perspective and derivative noise drop out. Platform-free.
#pragma once

#include <string>
#include <vector>

#include "measure/lod_figures.h"
#include "measure/scene_model.h"

// b = 4 texels: log2 b = 2, and log2 a = 2 .. 7 stays inside a 10-level chain.
const double atlasMinorAxis = 4.0;
const double atlasRatios[] = {1, 1.5, 2, 3, 4, 6, 8, 12, 16, 24, 32};
const int atlasRatioCount = sizeof(atlasRatios) / sizeof(atlasRatios[0]);
const double atlasAngleStep = 7.5;  // degrees, 0 .. 172.5
const int atlasAngleCount = 24;
// A measured level no more than this above the level the driver makes of
// log2 b counts as delivering the ratio.
const double effectiveRatioTolerance = 0.25;
// How far a driver's own lambda may be from an ideal: it computes in finite
// precision, and the atlas puts many ideals on whole levels, where a level
// selection flips on the least error.
const double lambdaTolerance = 1.0 / 32.0;

struct AtlasCell {
    double ratio = 1.0;
    double angle = 0.0;               // degrees
    int x = 0, y = 0, width = 0, height = 0;  // window pixels, origin bottom left
    TexelJacobian jacobian;           // base-level texels per window pixel
};

// d(u, v)/d(x, y) of the ellipse with axes `major` and `minor`, the major one
// along the screen direction `angleDegrees`: u runs along the major axis.
TexelJacobian FootprintJacobian(double major, double minor, double angleDegrees);

// Every ratio by every angle, in rows of ratios, filling viewWidth x viewHeight.
std::vector<AtlasCell> AtlasCells();

// The cells as rectangles to draw on a texture of that base size.
std::vector<AffineRect> AtlasRects(const std::vector<AtlasCell>& cells, int textureWidth,
                                   int textureHeight);

// The three ideals of a footprint, log2 of texels, no bias.
enum AtlasModel { ModelExtension, ModelEllipse, ModelIsotropic, atlasModelCount };
const char* AtlasModelName(AtlasModel model);
double AtlasIdeal(AtlasModel model, const TexelJacobian& j, double maxAnisotropy);

// What the driver did in one cell: the median of its inner pixels' measured
// lambda, their range, and whether most of them blend two levels.
struct CellMeasure {
    long pixels = 0;
    double median = 0.0;
    double spread = 0.0;
    bool blended = false;
};

std::vector<CellMeasure> MeasureCells(const MeasuredLodMap& measured,
                                      const std::vector<AtlasCell>& cells);

// The atlas at one maximum anisotropy.
struct AtlasRun {
    double maxAnisotropy = 1.0;
    std::vector<CellMeasure> cells;  // as AtlasCells()
};

struct FlowerPoint {
    double angle = 0.0;
    double measured = 0.0;
    double ideal[atlasModelCount] = {0.0, 0.0, 0.0};
};

struct FlowerCurve {
    double ratio = 1.0;
    double spread = 0.0;  // max - min of the measured level over the angles
    std::vector<FlowerPoint> points;
};

struct RatioPoint {
    double ratio = 1.0;
    double measured = 0.0;
};

struct RatioCurve {
    double maxAnisotropy = 1.0;
    std::vector<RatioPoint> points;  // at angle 0
};

// How the driver turns lambda into the level it samples: it blends (the
// level is lambda), or takes one level, the nearest or the one below.
enum LevelSelection { SelectBlend, SelectNearest, SelectFloor, levelSelectionCount };
const char* LevelSelectionName(LevelSelection selection);
double SelectLevel(double lambda, LevelSelection selection, int lastLevel);

// How far `measured` is from every level the selection makes of a lambda
// within lambdaTolerance of `ideal`: 0 when it is one of them.
double SelectionDistance(double measured, double ideal, LevelSelection selection, int lastLevel);

struct AtlasFigures {
    double maxAnisotropy = 1.0;  // the driver's, where the flower is read
    double effectiveRatio = 0.0;
    double effectiveRatioWorstAngle = 0.0;
    double flowerSpread = 0.0;
    std::vector<FlowerCurve> flower;
    AtlasModel model = ModelExtension;
    double modelResiduals[atlasModelCount] = {0.0, 0.0, 0.0};
    LevelSelection levelSelection = SelectBlend;
    double levelsUnderAniso = 0.0;
    double cellSpread = 0.0;  // the widest range of lambda inside one cell
    std::vector<RatioCurve> ratioCurve;
};

// `runs` in rising maximum anisotropy, the last at the driver's maximum.
AtlasFigures AtlasFiguresFrom(const std::vector<AtlasCell>& cells, const std::vector<AtlasRun>& runs,
                              int lastLevel);
