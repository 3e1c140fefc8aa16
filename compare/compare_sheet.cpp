#include "compare/compare_sheet.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace {

const int sheetWidth = 1260;
// Wide enough for the longest figure name, lod.modelResiduals.sumComponents.
const int figureNameWidth = 33;
const int mapWidth = viewWidth / 2;
const int mapHeight = viewHeight / 2;
const int mapTop = 124;
const int mapLefts[3] = {20, 430, 840};
const int scaleTop = mapTop + mapHeight + 10;
const int plotTop = 540;
const int plotWidth = 340;
const int plotHeight = 250;
const int transferLeft = 70;
const int angleLeft = 490;
const int flowerCentreX = 1060;
const int flowerRadius = 115;
// The flower overlaid at this ratio, 16x's own.
const double flowerRatio = 16.0;
const int tableTop = 870;
const int tableRowHeight = 20;
const int tableLefts[2] = {20, 640};
// A text field's A and B cells: the row stays inside its 600-pixel column.
const size_t textCellWidth = 17;

const Rgb8 colorA = {230, 120, 0};
const Rgb8 colorB = {30, 70, 200};
const Rgb8 markColor = {200, 30, 30};

struct CurvePoint {
    double x, y;
};

// Points of an array of objects in the flattened report, in index order;
// null values (bins without pixels) left out.
std::vector<CurvePoint> Curve(const std::vector<FlatMember>& members, const std::string& array,
                              const std::string& xName, const std::string& yName)
{
    std::vector<CurvePoint> points;
    for (int i = 0;; ++i) {
        const std::string prefix = array + "." + std::to_string(i) + ".";
        const FlatMember* x = FindMember(members, prefix + xName);
        const FlatMember* y = FindMember(members, prefix + yName);
        if (x == nullptr || y == nullptr)
            return points;
        if (x->value.is_number() && y->value.is_number())
            points.push_back({x->value.get<double>(), y->value.get<double>()});
    }
}

void DrawCurve(ReportSheet& sheet, const PlotFrame& f, const std::vector<CurvePoint>& points,
               Rgb8 color, bool dots)
{
    for (size_t i = 0; i < points.size(); ++i) {
        const int x = f.X(points[i].x), y = f.Y(points[i].y);
        if (i > 0)
            ThickLine(sheet.image, f.X(points[i - 1].x), f.Y(points[i - 1].y), x, y, color);
        if (dots)
            FillRect(sheet.image, x - 2, y - 2, 5, 5, color);
    }
}

void Legend(ReportSheet& sheet, const PlotFrame& f)
{
    FillRect(sheet.image, f.left + f.width - 90, f.top - 16, 14, 4, colorA);
    AddText(sheet, f.left + f.width - 72, f.top - 23, "A", 13, AlignLeft, colorA, true);
    FillRect(sheet.image, f.left + f.width - 50, f.top - 16, 14, 4, colorB);
    AddText(sheet, f.left + f.width - 32, f.top - 23, "B", 13, AlignLeft, colorB, true);
}

void DrawTransfers(ReportSheet& sheet, const CompareSources& s)
{
    const PlotFrame f = {transferLeft, plotTop, plotWidth, plotHeight, 0.0, 1.0, 0.0, 1.0};
    AddText(sheet, f.left, f.top - 24, "Trilinear transfer", 15, AlignLeft, ink, true);
    std::vector<double> ticks;
    for (int i = 0; i <= 4; ++i)
        ticks.push_back(i * 0.25);
    DrawFrame(sheet, f, ticks, ticks, "%.2f", "%.2f");
    DrawLine(sheet.image, f.X(0.0), f.Y(0.0), f.X(1.0), f.Y(1.0), reference);
    DrawCurve(sheet, f, Curve(*s.a, "trilinear.curve", "idealFraction", "measuredBlend"), colorA, true);
    DrawCurve(sheet, f, Curve(*s.b, "trilinear.curve", "idealFraction", "measuredBlend"), colorB, true);
    Legend(sheet, f);
    AddText(sheet, f.left + f.width / 2, f.top + f.height + 22,
            "blend by ideal fraction; grey: trilinear", 13, AlignCentre, quiet);
}

void DrawAngles(ReportSheet& sheet, const CompareSources& s)
{
    const std::vector<CurvePoint> a = Curve(*s.a, "angle.curve", "textureRotation", "meanError");
    const std::vector<CurvePoint> b = Curve(*s.b, "angle.curve", "textureRotation", "meanError");
    double low = 0.0, high = 0.0;
    for (const std::vector<CurvePoint>* curve : {&a, &b})
        for (const CurvePoint& p : *curve) {
            low = std::min(low, p.y);
            high = std::max(high, p.y);
        }
    const PlotFrame f = DrawAngleFrame(sheet, {angleLeft, plotTop, plotWidth, plotHeight, 0.0, 90.0, low, high},
                                       "Angle: mean error");
    DrawCurve(sheet, f, a, colorA, false);
    DrawCurve(sheet, f, b, colorB, false);
    Legend(sheet, f);
    AddText(sheet, f.left + f.width / 2, f.top + f.height + 22,
            "plane facing the eye; levels, + blurrier", 13, AlignCentre, quiet);
}

// One ratio's flower of a report, as its atlas figures hold it; no points
// where the report has none (a driver without anisotropy).
FlowerCurve ReportFlower(const std::vector<FlatMember>& members)
{
    FlowerCurve curve;
    curve.ratio = flowerRatio;
    for (int i = 0;; ++i) {
        const std::string prefix = "aniso.flower." + std::to_string(i);
        const FlatMember* ratio = FindMember(members, prefix + ".ratio");
        if (ratio == nullptr || !ratio->value.is_number())
            return curve;
        if (ratio->value.get<double>() != flowerRatio)
            continue;
        for (const CurvePoint& p : Curve(members, prefix + ".curve", "angle", "measured")) {
            FlowerPoint point;
            point.angle = p.x;
            point.measured = p.y;
            curve.points.push_back(point);
        }
        return curve;
    }
}

void DrawFlowers(ReportSheet& sheet, const CompareSources& s)
{
    const int y = plotTop + plotHeight / 2;
    DrawFlowerRings(sheet, flowerCentreX, y, flowerRadius, "Flower at ratio 16");
    DrawFlowerCurve(sheet, ReportFlower(*s.a), flowerCentreX, y, flowerRadius, colorA);
    DrawFlowerCurve(sheet, ReportFlower(*s.b), flowerCentreX, y, flowerRadius, colorB);
    AddText(sheet, flowerCentreX, y + flowerRadius + 8, "delivered anisotropy by angle", 13,
            AlignCentre, quiet);
}

void CopyMap(SheetImage& to, const SheetImage& from, int left)
{
    for (int y = 0; y < mapHeight; ++y)
        std::copy_n(&from.rgb[(static_cast<size_t>(reportMapTop + y) * from.width +
                               reportLevelMapLeft) * 3],
                    mapWidth * 3, &to.rgb[(static_cast<size_t>(mapTop + y) * to.width + left) * 3]);
}

void DrawDifferenceMap(ReportSheet& sheet, const LevelDifference& levels, int left)
{
    for (int y = 0; y < mapHeight; ++y)
        for (int x = 0; x < mapWidth; ++x) {
            const size_t i = static_cast<size_t>(y) * mapWidth + x;
            const Rgb8 c = levels.oneSided[i]        ? outsideRangeColor
                           : std::isnan(levels.difference[i]) ? uncoveredColor
                           : ErrorColor(levels.difference[i], errorFullScale);
            FillRect(sheet.image, left + x, mapTop + y, 1, 1, c);
        }
}

// "angle.curve.3.meanError" -> "angle.curve"; empty for a name without an index.
std::string ArrayName(const std::string& name)
{
    for (size_t dot = name.find('.'); dot != std::string::npos; dot = name.find('.', dot + 1)) {
        const size_t end = name.find('.', dot + 1);
        const std::string part = name.substr(dot + 1, end == std::string::npos ? end : end - dot - 1);
        if (!part.empty() && part.find_first_not_of("0123456789") == std::string::npos)
            return name.substr(0, dot);
    }
    return "";
}

std::string Cell(double value, int width, bool whole)
{
    // Counts need no decimals.
    std::string text = Format(whole || std::fabs(value) >= 100 ? "%.0f" : "%.4f", value);
    if (static_cast<int>(text.size()) < width)
        text.insert(0, width - text.size(), ' ');
    return text;
}

std::string Padded(std::string text, size_t width)
{
    if (text.size() < width)
        text.resize(width, ' ');
    return text;
}

std::string Shown(const nlohmann::ordered_json& value, bool missing)
{
    if (missing)
        return "-";
    return value.is_string() ? value.get<std::string>() : value.dump();
}

// A text too long for its cell (the fingerprint) is shown by the first
// "; "-separated part in which A and B differ, cut to the cell.
void ShortenTexts(std::string& a, std::string& b)
{
    if (a.size() <= textCellWidth && b.size() <= textCellWidth)
        return;
    const size_t common = std::mismatch(a.begin(), a.begin() + std::min(a.size(), b.size()), b.begin()).first -
                          a.begin();
    const size_t separator = common == 0 ? std::string::npos : a.rfind("; ", common - 1);
    const size_t start = separator == std::string::npos ? 0 : separator + 2;
    for (std::string* text : {&a, &b}) {
        *text = start < text->size() ? text->substr(start, text->find("; ", start) - start) : "";
        if (text->size() > textCellWidth)
            *text = text->substr(0, textCellWidth - 1) + "~";
    }
}

}  // namespace

std::vector<FigureRow> CompareFigureRows(const ReportComparison& comparison)
{
    std::vector<FigureRow> rows;
    std::map<std::string, int> curveBeyond;
    std::map<std::string, int> curvePoints;
    for (const FigureDifference& f : comparison.figures) {
        const std::string curve = ArrayName(f.name);
        if (!curve.empty()) {
            curvePoints[curve] += 1;
            curveBeyond[curve] += f.beyond ? 1 : 0;
            continue;
        }
        // Counts: whole values with a whole tolerance.
        const bool whole = f.a == std::floor(f.a) && f.b == std::floor(f.b) && f.tolerance &&
                           *f.tolerance == std::floor(*f.tolerance);
        std::string text = Padded(f.name, figureNameWidth) + Cell(f.a, 9, whole) + Cell(f.b, 9, whole) +
                           Cell(f.difference, 9, whole);
        text += f.tolerance ? Cell(*f.tolerance, 9, whole) : "        -";
        rows.push_back({text + (f.beyond ? " *" : ""), f.beyond});
    }
    for (const FieldDifference& f : comparison.fields) {
        if (f.name.compare(0, 7, "driver.") == 0 || f.name == "program")
            continue;
        std::string a = Shown(f.a, f.missingA), b = Shown(f.b, f.missingB);
        ShortenTexts(a, b);
        rows.push_back({Padded(f.name, figureNameWidth) + " " + Padded(a, 8) + " " + Padded(b, 8) +
                            (a.size() > 8 || b.size() > 8 ? " differ *" : "          differ *"),
                        true});
    }
    for (const auto& curve : curvePoints) {
        const int beyond = curveBeyond[curve.first];
        rows.push_back({Padded(curve.first, figureNameWidth) + " " + std::to_string(beyond) + " of " +
                            std::to_string(curve.second) + " values beyond tolerance" +
                            (beyond > 0 ? " *" : ""),
                        beyond > 0});
    }
    return rows;
}

ReportSheet LayoutCompareSheet(const CompareSources& s, const ReportComparison& comparison,
                               const LevelDifference& levels)
{
    // The table sets the sheet's height: every figure has its row.
    const std::vector<FigureRow> rows = CompareFigureRows(comparison);
    const size_t perColumn = (rows.size() + 1) / 2;
    const int sheetHeight = tableTop + static_cast<int>(perColumn) * tableRowHeight + 20;
    ReportSheet sheet;
    sheet.image.width = sheetWidth;
    sheet.image.height = sheetHeight;
    sheet.image.rgb.assign(static_cast<size_t>(sheetWidth) * sheetHeight * 3, 0);
    FillRect(sheet.image, 0, 0, sheetWidth, sheetHeight, paper);

    AddText(sheet, 20, 12, "Level of detail compared", 22, AlignLeft, ink, true);
    AddText(sheet, 20, 44, "A: " + DriverLine(*s.a), 15, AlignLeft, colorA, true);
    AddText(sheet, 20, 66, "B: " + DriverLine(*s.b), 15, AlignLeft, colorB, true);

    AddText(sheet, mapLefts[0], mapTop - 22, "A: measured level", 15, AlignLeft, colorA, true);
    AddText(sheet, mapLefts[1], mapTop - 22, "B: measured level", 15, AlignLeft, colorB, true);
    AddText(sheet, mapLefts[2], mapTop - 22, "B - A, in levels", 15, AlignLeft, ink, true);
    CopyMap(sheet.image, *s.sheetA, mapLefts[0]);
    CopyMap(sheet.image, *s.sheetB, mapLefts[1]);
    DrawDifferenceMap(sheet, levels, mapLefts[2]);
    DrawScale(sheet, mapLefts[0], scaleTop, false, reportLastLevel);
    DrawScale(sheet, mapLefts[1], scaleTop, false, reportLastLevel);
    DrawScale(sheet, mapLefts[2], scaleTop, true, reportLastLevel);
    AddText(sheet, mapLefts[2], scaleTop + sheetScaleHeight + 22,
            "B sharper: blue; B blurrier: red; grey: one side only", 13, AlignLeft, quiet);
    AddText(sheet, mapLefts[2], scaleTop + sheetScaleHeight + 40,
            "mean |B - A| " + Format("%.4f", levels.meanAbs) + ", largest " +
                Format("%.4f", levels.maxAbs) + " over " + std::to_string(levels.pixels) + " pixels",
            13, AlignLeft, quiet);

    DrawTransfers(sheet, s);
    DrawAngles(sheet, s);
    DrawFlowers(sheet, s);

    AddText(sheet, 20, tableTop - 30, "Figures (levels): A, B, B - A, tolerance; * beyond tolerance",
            15, AlignLeft, ink, true);
    for (size_t i = 0; i < rows.size(); ++i) {
        const int column = i < perColumn ? 0 : 1;
        const int row = static_cast<int>(column == 0 ? i : i - perColumn);
        AddText(sheet, tableLefts[column], tableTop + row * tableRowHeight, rows[i].text, 13,
                AlignLeft, rows[i].beyond ? markColor : ink, rows[i].beyond);
        sheet.texts.back().fixedPitch = true;
    }
    return sheet;
}
