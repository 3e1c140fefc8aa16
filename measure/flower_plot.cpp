// The footprint atlas's flower on the report sheet: for each ratio, the
// anisotropy the driver delivered, 2^(log2 a - measured lambda), against the
// footprint's angle, as a polar curve; the ellipse ideal's (min(ceil r, max))
// as a circle. A driver that follows the extension's column formula draws
// petals along the axes. Platform-free.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <utility>
#include <vector>

#include "measure/report_sheet.h"

namespace {

const double plottedRatios[] = {2, 4, 8, 16, 32};
const Rgb8 ratioColors[] = {{230, 150, 0}, {0, 150, 70}, {30, 70, 200}, {200, 40, 40}, {120, 40, 160}};
const Rgb8 ringColor = {220, 220, 220};
const Rgb8 idealColor = {150, 150, 150};
// The radius is log2 of the anisotropy: 1x at the centre, 32x at the rim,
// each doubling a ring, so the small ratios' curves stay apart.
const double rimLog2 = 5.0;

double RadiusFor(double anisotropy, int radius)
{
    return radius * std::max(0.0, std::min(std::log2(anisotropy), rimLog2)) / rimLog2;
}

int X(int centre, double radius, double degrees)
{
    return centre + static_cast<int>(std::lround(radius * std::cos(degrees * doublePi / 180.0)));
}

int Y(int centre, double radius, double degrees)
{
    return centre - static_cast<int>(std::lround(radius * std::sin(degrees * doublePi / 180.0)));
}

void DrawCircle(SheetImage& image, int x, int y, double radius, Rgb8 color, bool dotted)
{
    for (int degree = 0; degree < 360; ++degree) {
        if (dotted && degree % 6 >= 3)
            continue;
        DrawLine(image, X(x, radius, degree), Y(y, radius, degree), X(x, radius, degree + 1),
                 Y(y, radius, degree + 1), color);
    }
}

}  // namespace

void DrawFlowerRings(ReportSheet& sheet, int x, int y, int radius, const char* title)
{
    char text[16];
    AddText(sheet, x - radius - 40, y - radius - 34, title, 15, AlignLeft, ink, true);
    for (double ring = 2.0; ring <= 32.0; ring *= 2.0) {
        DrawCircle(sheet.image, x, y, RadiusFor(ring, radius), ringColor, false);
        std::snprintf(text, sizeof(text), "%.0fx", ring);
        AddText(sheet, x + 3, y - static_cast<int>(RadiusFor(ring, radius)) - 14, text, 12,
                AlignLeft, idealColor);
    }
    for (int degree = 0; degree < 180; degree += 45)
        DrawLine(sheet.image, X(x, radius, degree), Y(y, radius, degree), X(x, radius, degree + 180),
                 Y(y, radius, degree + 180), ringColor);
}

void DrawFlowerCurve(ReportSheet& sheet, const FlowerCurve& curve, int x, int y, int radius, Rgb8 color)
{
    const double major = std::log2(curve.ratio * atlasMinorAxis);
    // A footprint turned by 180 degrees is the same: the curve goes round twice.
    std::vector<std::pair<double, double>> polar;  // degrees, pixels
    for (int half = 0; half < 2; ++half)
        for (const FlowerPoint& p : curve.points)
            polar.push_back({p.angle + 180.0 * half, RadiusFor(std::exp2(major - p.measured), radius)});
    for (size_t i = 0; i < polar.size(); ++i) {
        const auto& a = polar[i];
        const auto& b = polar[(i + 1) % polar.size()];
        ThickLine(sheet.image, X(x, a.second, a.first), Y(y, a.second, a.first), X(x, b.second, b.first),
                  Y(y, b.second, b.first), color);
    }
}

void DrawFlowerPlot(ReportSheet& sheet, const AtlasFigures& atlas, int x, int y, int radius)
{
    char text[96];
    DrawFlowerRings(sheet, x, y, radius, "Anisotropic flower: delivered ratio by angle");
    for (size_t k = 0; k < sizeof(plottedRatios) / sizeof(plottedRatios[0]); ++k) {
        const auto curve = std::find_if(atlas.flower.begin(), atlas.flower.end(),
                                        [&](const FlowerCurve& c) { return c.ratio == plottedRatios[k]; });
        if (curve == atlas.flower.end() || curve->points.empty())
            continue;
        const double ideal = std::min(std::ceil(curve->ratio), atlas.maxAnisotropy);
        DrawCircle(sheet.image, x, y, RadiusFor(ideal, radius), idealColor, true);
        DrawFlowerCurve(sheet, *curve, x, y, radius, ratioColors[k]);
        std::snprintf(text, sizeof(text), "r %.0f", curve->ratio);
        AddText(sheet, x + radius + 12, y - radius + 18 * static_cast<int>(k), text, 13, AlignLeft,
                ratioColors[k], true);
    }
    std::snprintf(text, sizeof(text), "at %.0fx; dotted: ellipse ideal", atlas.maxAnisotropy);
    AddText(sheet, x, y + radius + 8, text, 13, AlignCentre, idealColor);
}
