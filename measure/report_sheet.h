// The report sheet: the measured-level and error maps of the default tunnel
// with their colour scales, the trilinear transfer curve, the angle plot and
// the figures, laid out as pixels plus the texts to put on them (the text
// itself is drawn by the platform). Platform-free.
#pragma once

#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

#include "measure/error_image.h"
#include "measure/measure_battery.h"
#include "measure/report_json.h"

// Rows of width x 3 bytes (red, green, blue), top row first.
struct SheetImage {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> rgb;
};

enum TextAlign { AlignLeft, AlignCentre, AlignRight };

struct SheetText {
    int x = 0, y = 0;  // top of the text; x as aligned
    std::string text;  // 8-bit ANSI
    Rgb8 color = {0, 0, 0};
    int height = 14;   // pixels
    bool bold = false;
    bool fixedPitch = false;  // columns line up
    TextAlign align = AlignLeft;
};

struct ReportSheet {
    SheetImage image;
    std::vector<SheetText> texts;
};

// Where the report sheet keeps its measured-level map (halved, top-first
// rows): a comparison reads the map back from report.png.
const int reportSheetWidth = 1240;
const int reportSheetHeight = 1230;
const int reportLevelMapLeft = 20;
const int reportMapTop = 96;

ReportSheet LayoutReportSheet(const DriverNames& names, const MeasureResults& results);

// Drawing on a sheet, clipped to it.
void FillRect(SheetImage& image, int x, int y, int width, int height, Rgb8 color);
void DrawLine(SheetImage& image, int x0, int y0, int x1, int y1, Rgb8 color);
// The pass/fail map of the default tunnel and the fingerprint, below `top`.
void DrawRulesRow(ReportSheet& sheet, const MeasureResults& results, int top);

// The flower's polar frame (log2 of the anisotropy, 1x to 32x) and one
// ratio's curve of delivered anisotropy in it.
void DrawFlowerRings(ReportSheet& sheet, int x, int y, int radius, const char* title);
void DrawFlowerCurve(ReportSheet& sheet, const FlowerCurve& curve, int x, int y, int radius, Rgb8 color);

// The measured flower of the footprint atlas as a polar plot centred at (x, y).
void DrawFlowerPlot(ReportSheet& sheet, const AtlasFigures& atlas, int x, int y, int radius);
// A bottom-first viewWidth x viewHeight RGB map, halved by 2 x 2 averages,
// with its top-left corner at (x, y).
void PlaceHalvedMap(SheetImage& image, const std::vector<uint8_t>& map, int x, int y);

// The sheet's colours, shared by every sheet.
const Rgb8 paper = {255, 255, 255};
const Rgb8 ink = {0, 0, 0};
const Rgb8 quiet = {90, 90, 90};
const Rgb8 grid = {220, 220, 220};
const Rgb8 reference = {160, 160, 160};
const int sheetScaleHeight = 14;

// A printf format applied to one number.
std::string Format(const char* format, double value);
void AddText(ReportSheet& sheet, int x, int y, const std::string& text, int height = 14,
             TextAlign align = AlignLeft, Rgb8 color = ink, bool bold = false);
// A line two pixels thick, for curves.
void ThickLine(SheetImage& image, int x0, int y0, int x1, int y1, Rgb8 color);

// A plot's frame: values to pixels.
struct PlotFrame {
    int left, top, width, height;
    double xMin, xMax, yMin, yMax;
    int X(double x) const { return left + static_cast<int>(std::lround((x - xMin) / (xMax - xMin) * width)); }
    int Y(double y) const { return top + height - static_cast<int>(std::lround((y - yMin) / (yMax - yMin) * height)); }
};
// The frame with grid lines and labels at the given values of each axis.
void DrawFrame(ReportSheet& sheet, const PlotFrame& f, const std::vector<double>& xTicks,
               const std::vector<double>& yTicks, const char* xFormat, const char* yFormat);
// The angle plot's frame, at least +-0.25 levels high in quarter steps, with
// its title, grid and zero line; the frame as drawn, for the curves.
PlotFrame DrawAngleFrame(ReportSheet& sheet, PlotFrame frame, const char* title);
// A map's colour scale, one map wide, with its labels below: the levels
// 0 .. lastLevel, or the error scale of +-errorFullScale.
void DrawScale(ReportSheet& sheet, int left, int top, bool errorScale, int lastLevel);

// The sheet's figure lines, "name  value", in the order the report gives them.
std::vector<std::string> FigureLines(const MeasureResults& results);
