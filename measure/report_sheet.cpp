#include "measure/report_sheet.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace {

const int sheetWidth = reportSheetWidth;
const int sheetHeight = reportSheetHeight;
const int rulesTop = 900;
const int mapWidth = viewWidth / 2;
const int mapHeight = viewHeight / 2;
const int mapTop = reportMapTop;
const int levelMapLeft = reportLevelMapLeft;
const int errorMapLeft = 440;
const int scaleTop = mapTop + mapHeight + 10;
const int scaleHeight = sheetScaleHeight;
const int figuresLeft = 864;
const int plotTop = 500;
const int plotWidth = 330;
const int plotHeight = 290;
const int transferLeft = 60;
const int angleLeft = 470;
const int flowerCentreX = 1040;
const int flowerRadius = 140;
const int figureLineStep = 19;

const Rgb8 curveColor = {200, 40, 40};
const Rgb8 pointColor = {30, 70, 200};

void DrawTransfer(ReportSheet& sheet, const TransferCurve& transfer)
{
    const PlotFrame f = {transferLeft, plotTop, plotWidth, plotHeight, 0.0, 1.0, 0.0, 1.0};
    AddText(sheet, f.left, f.top - 24, "Trilinear transfer: blend by ideal fraction", 15,
            AlignLeft, ink, true);
    std::vector<double> ticks;
    for (int i = 0; i <= 4; ++i)
        ticks.push_back(i * 0.25);
    DrawFrame(sheet, f, ticks, ticks, "%.2f", "%.2f");
    DrawLine(sheet.image, f.X(0.0), f.Y(0.0), f.X(1.0), f.Y(1.0), reference);
    bool havePrevious = false;
    int px = 0, py = 0;
    for (const TransferBin& bin : transfer.bins) {
        if (bin.pixels == 0)
            continue;
        const int x = f.X(bin.fraction), y = f.Y(bin.blend);
        if (havePrevious)
            ThickLine(sheet.image, px, py, x, y, curveColor);
        FillRect(sheet.image, x - 2, y - 2, 5, 5, curveColor);
        px = x;
        py = y;
        havePrevious = true;
    }
    AddText(sheet, f.left + f.width / 2, f.top + f.height + 22,
            "ideal fraction after whole levels; grey: trilinear", 13, AlignCentre,
            quiet);
}

void DrawAngle(ReportSheet& sheet, const MeasureResults& r)
{
    double low = 0.0, high = 0.0;
    for (const AnglePoint& p : r.angle) {
        low = std::min(low, p.meanError);
        high = std::max(high, p.meanError);
    }
    const PlotFrame f = DrawAngleFrame(sheet, {angleLeft, plotTop, plotWidth, plotHeight, 0.0, 90.0, low, high},
                                       "Angle: mean error by texture rotation");
    bool havePrevious = false;
    int px = 0, py = 0;
    for (const AnglePoint& p : r.angle) {
        const int x = f.X(p.rotation), y = f.Y(p.meanError);
        if (havePrevious)
            ThickLine(sheet.image, px, py, x, y, pointColor);
        px = x;
        py = y;
        havePrevious = true;
    }
    AddText(sheet, f.left + f.width / 2, f.top + f.height + 22,
            "plane facing the eye, ideal lambda " + Format("%.2f", r.angleIdealLod) +
                "; levels, + blurrier", 13, AlignCentre, quiet);
}

}  // namespace

std::string Format(const char* format, double value)
{
    char text[64];
    std::snprintf(text, sizeof(text), format, value);
    return text;
}

void AddText(ReportSheet& sheet, int x, int y, const std::string& text, int height,
             TextAlign align, Rgb8 color, bool bold)
{
    SheetText t;
    t.x = x;
    t.y = y;
    t.text = text;
    t.height = height;
    t.align = align;
    t.color = color;
    t.bold = bold;
    sheet.texts.push_back(t);
}

void ThickLine(SheetImage& image, int x0, int y0, int x1, int y1, Rgb8 color)
{
    DrawLine(image, x0, y0, x1, y1, color);
    DrawLine(image, x0, y0 + 1, x1, y1 + 1, color);
}

void DrawFrame(ReportSheet& sheet, const PlotFrame& f, const std::vector<double>& xTicks,
               const std::vector<double>& yTicks, const char* xFormat, const char* yFormat)
{
    for (double x : xTicks) {
        DrawLine(sheet.image, f.X(x), f.top, f.X(x), f.top + f.height, grid);
        AddText(sheet, f.X(x), f.top + f.height + 4, Format(xFormat, x), 13, AlignCentre, quiet);
    }
    for (double y : yTicks) {
        DrawLine(sheet.image, f.left, f.Y(y), f.left + f.width, f.Y(y), grid);
        AddText(sheet, f.left - 6, f.Y(y) - 7, Format(yFormat, y), 13, AlignRight, quiet);
    }
    DrawLine(sheet.image, f.left, f.top, f.left, f.top + f.height, ink);
    DrawLine(sheet.image, f.left, f.top + f.height, f.left + f.width, f.top + f.height, ink);
    DrawLine(sheet.image, f.left + f.width, f.top, f.left + f.width, f.top + f.height, ink);
    DrawLine(sheet.image, f.left, f.top, f.left + f.width, f.top, ink);
}

void DrawScale(ReportSheet& sheet, int left, int scaleTop, bool errorScale, int lastLevel)
{
    for (int x = 0; x < mapWidth; ++x) {
        const double t = (x + 0.5) / mapWidth;
        const Rgb8 c = errorScale ? ErrorColor((2.0 * t - 1.0) * errorFullScale, errorFullScale)
                                  : LevelColor(t * lastLevel, lastLevel);
        FillRect(sheet.image, left + x, scaleTop, 1, scaleHeight, c);
    }
    DrawLine(sheet.image, left, scaleTop + scaleHeight, left + mapWidth - 1, scaleTop + scaleHeight, ink);
    const int scaleHeight = sheetScaleHeight;
    const int labelTop = scaleTop + scaleHeight + 3;
    if (errorScale) {
        AddText(sheet, left, labelTop, Format("%+.1f sharper", -errorFullScale), 13);
        AddText(sheet, left + mapWidth / 2, labelTop, "0 exact", 13, AlignCentre);
        AddText(sheet, left + mapWidth, labelTop, Format("blurrier %+.1f", errorFullScale), 13, AlignRight);
        return;
    }
    for (int level = 0; level <= lastLevel; ++level)
        AddText(sheet, left + (level * (mapWidth - 1)) / std::max(1, lastLevel), labelTop,
                std::to_string(level), 13,
                level == 0 ? AlignLeft : (level == lastLevel ? AlignRight : AlignCentre));
}


void FillRect(SheetImage& image, int x, int y, int width, int height, Rgb8 color)
{
    for (int row = std::max(0, y); row < std::min(image.height, y + height); ++row)
        for (int column = std::max(0, x); column < std::min(image.width, x + width); ++column) {
            uint8_t* p = &image.rgb[(static_cast<size_t>(row) * image.width + column) * 3];
            p[0] = color.r;
            p[1] = color.g;
            p[2] = color.b;
        }
}

void DrawLine(SheetImage& image, int x0, int y0, int x1, int y1, Rgb8 color)
{
    // Bresenham, every octant.
    const int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
    const int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
    int error = dx + dy;
    for (;;) {
        FillRect(image, x0, y0, 1, 1, color);
        if (x0 == x1 && y0 == y1)
            return;
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            x0 += sx;
        }
        if (twice <= dx) {
            error += dx;
            y0 += sy;
        }
    }
}

void PlaceHalvedMap(SheetImage& image, const std::vector<uint8_t>& map, int x, int y)
{
    for (int row = 0; row < viewHeight / 2; ++row)
        for (int column = 0; column < viewWidth / 2; ++column) {
            // Map rows run bottom first; the sheet's top first.
            const int sourceRow = viewHeight - 2 - 2 * row;
            int sum[3] = {0, 0, 0};
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx) {
                    const uint8_t* p =
                        &map[(static_cast<size_t>(sourceRow + dy) * viewWidth + 2 * column + dx) * 3];
                    for (int c = 0; c < 3; ++c)
                        sum[c] += p[c];
                }
            const Rgb8 average = {static_cast<uint8_t>((sum[0] + 2) / 4),
                                  static_cast<uint8_t>((sum[1] + 2) / 4),
                                  static_cast<uint8_t>((sum[2] + 2) / 4)};
            FillRect(image, x + column, y + row, 1, 1, average);
        }
}

std::vector<std::string> FigureLines(const MeasureResults& r)
{
    std::vector<std::string> lines = {
        "lod.meanAbsError           " + Format("%.4f", r.lod.meanAbs),
        "lod.p99AbsError            " + Format("%.4f", r.lod.p99Abs),
        "lod.meanAbsErrorInvariant  " + Format("%.4f", r.lodInvariant.meanAbs),
        "trilinear.plateau          " + Format("%.4f", r.transfer.plateau),
        "angle.spread               " + Format("%.4f", r.angleSpread),
    };
    if (r.anisoAvailable) {
        lines.push_back("aniso.maxAnisotropy        " + Format("%.0f", r.maxAnisotropy));
        lines.push_back("aniso.meanAbsError         " + Format("%.4f", r.aniso.meanAbs));
        lines.push_back(std::string("aniso.blendsLevels         ") +
                        (r.anisoBlendsLevels ? "true" : "false"));
        const AtlasFigures& a = r.atlas;
        lines.push_back("aniso.effectiveRatio       " + Format("%.1f", a.effectiveRatio));
        lines.push_back("  ...WorstAngle            " + Format("%.1f", a.effectiveRatioWorstAngle));
        lines.push_back("aniso.flowerSpread         " + Format("%.4f", a.flowerSpread));
        lines.push_back(std::string("aniso.model                ") + AtlasModelName(a.model));
        lines.push_back(std::string("aniso.levelSelection       ") + LevelSelectionName(a.levelSelection));
        lines.push_back("aniso.levelsUnderAniso     " + Format("%.4f", a.levelsUnderAniso));
    } else {
        lines.push_back("aniso                      null");
    }
    lines.push_back(r.biasAvailable ? "bias.maxError              " + Format("%.4f", r.biasMaxError)
                                    : "bias                       null");
    lines.push_back("stages.count               " + std::to_string(r.stageCount));
    lines.push_back(std::string("stages.identical           ") + (r.stagesIdentical ? "true" : "false"));
    lines.push_back("seconds                    " + Format("%.2f", r.seconds));
    return lines;
}

ReportSheet LayoutReportSheet(const DriverNames& names, const MeasureResults& r)
{
    ReportSheet sheet;
    sheet.image.width = sheetWidth;
    sheet.image.height = sheetHeight;
    sheet.image.rgb.assign(static_cast<size_t>(sheetWidth) * sheetHeight * 3, 0);
    FillRect(sheet.image, 0, 0, sheetWidth, sheetHeight, paper);

    AddText(sheet, 20, 12, "Level of detail: " + names.renderer, 22, AlignLeft, ink, true);
    AddText(sheet, 20, 42, names.vendor + "   OpenGL " + names.version + "   " + names.program, 14,
            AlignLeft, quiet);

    AddText(sheet, levelMapLeft, mapTop - 22, "Measured level, default tunnel",
            15, AlignLeft, ink, true);
    AddText(sheet, errorMapLeft, mapTop - 22, "Error: measured - OpenGL rule, in levels", 15,
            AlignLeft, ink, true);
    if (!r.tunnelMeasured.lod.empty()) {
        PlaceHalvedMap(sheet.image, LevelImage(r.tunnelMeasured, r.lastLevel), levelMapLeft, mapTop);
        PlaceHalvedMap(sheet.image, ErrorImage(r.tunnelMeasured, r.tunnelIdeal, BlendedLevels, r.lastLevel),
                       errorMapLeft, mapTop);
    }
    DrawScale(sheet, levelMapLeft, scaleTop, false, r.lastLevel);
    DrawScale(sheet, errorMapLeft, scaleTop, true, r.lastLevel);
    AddText(sheet, errorMapLeft, scaleTop + scaleHeight + 22,
            "light grey: ideal outside the mip range; dark: no surface", 13, AlignLeft, quiet);

    AddText(sheet, figuresLeft, mapTop - 22, "Figures (levels)", 15, AlignLeft, ink, true);
    int y = mapTop;
    for (const std::string& line : FigureLines(r)) {
        AddText(sheet, figuresLeft, y, line, 15);
        sheet.texts.back().fixedPitch = true;
        y += figureLineStep;
    }

    DrawTransfer(sheet, r.transfer);
    DrawAngle(sheet, r);
    if (r.anisoAvailable)
        DrawFlowerPlot(sheet, r.atlas, flowerCentreX, plotTop + plotHeight / 2, flowerRadius);
    DrawRulesRow(sheet, r, rulesTop);
    return sheet;
}

PlotFrame DrawAngleFrame(ReportSheet& sheet, PlotFrame f, const char* title)
{
    // At least +-0.25 levels, in steps of 0.25.
    f.yMin = std::min(-0.25, std::floor(f.yMin * 4.0 - 0.1) / 4.0);
    f.yMax = std::max(0.25, std::ceil(f.yMax * 4.0 + 0.1) / 4.0);
    AddText(sheet, f.left, f.top - 24, title, 15, AlignLeft, ink, true);
    std::vector<double> xTicks, yTicks;
    for (int i = 0; i <= 6; ++i)
        xTicks.push_back(i * 15.0);
    const double yStep = f.yMax - f.yMin > 2.0 ? 0.5 : 0.25;
    for (double y = std::ceil(f.yMin / yStep) * yStep; y <= f.yMax + 1e-9; y += yStep)
        yTicks.push_back(y);
    DrawFrame(sheet, f, xTicks, yTicks, "%.0f\xB0", "%+.2f");
    DrawLine(sheet.image, f.left, f.Y(0.0), f.left + f.width, f.Y(0.0), reference);
    return f;
}
