#include "compare/record_compare.h"

#include <algorithm>
#include <cmath>

#include "capture/json_writer.h"

namespace {

const int margin = 20;
const int headHeight = 70;
const int footHeight = 130;
const Rgb8 smallEnd = {255, 220, 0};
const Rgb8 largeEnd = {120, 0, 0};

uint8_t Channel(uint8_t x, uint8_t y, double t)
{
    return static_cast<uint8_t>(std::lround(x + (y - x) * t));
}

bool IsNamed(const std::string& name, const char* prefix)
{
    return name.compare(0, std::char_traits<char>::length(prefix), prefix) == 0;
}

std::string Shown(const FieldDifference& f, bool inB)
{
    if (inB ? f.missingB : f.missingA)
        return "-";
    const nlohmann::ordered_json& v = inB ? f.b : f.a;
    return v.is_string() ? v.get<std::string>() : v.dump();
}

void AddFields(JsonText& json, const char* key, const std::vector<FieldDifference>& fields)
{
    JsonOpenArray(json, key);
    for (const FieldDifference& f : fields) {
        JsonOpenObject(json, nullptr);
        JsonAddString(json, "name", f.name);
        JsonAddString(json, "a", Shown(f, false));
        JsonAddString(json, "b", Shown(f, true));
        JsonCloseObject(json);
    }
    JsonCloseArray(json);
}

}  // namespace

bool ReadRecordMembers(const std::string& text, std::vector<FlatMember>* members,
                       std::string* reason)
{
    if (!FlattenJson(text, members, reason))
        return false;
    for (const char* name : {"program", "driver.renderer", "settings.scene", "settings.minFilter"})
        if (FindMember(*members, name) == nullptr) {
            *reason = std::string("not a capture record of this format (no ") + name + ")";
            members->clear();
            return false;
        }
    return true;
}

Rgb8 DifferenceColor(int difference)
{
    // Logarithmic: a difference of one step is as plain to see as a large one.
    const double t = std::log2(std::max(1, std::min(255, difference))) / std::log2(255.0);
    return {Channel(smallEnd.r, largeEnd.r, t), Channel(smallEnd.g, largeEnd.g, t),
            Channel(smallEnd.b, largeEnd.b, t)};
}

RecordComparison CompareRecords(const RecordSide& a, const RecordSide& b)
{
    RecordComparison c;
    const ReportComparison fields = CompareReports(a.members, b.members);
    // Numbers that differ are fields too here: every setting is a name or a control's value.
    std::vector<FieldDifference> all = fields.fields;
    for (const FigureDifference& f : fields.figures)
        if (f.a != f.b) {
            FieldDifference field;
            field.name = f.name;
            field.a = FindMember(a.members, f.name)->value;
            field.b = FindMember(b.members, f.name)->value;
            all.push_back(field);
        }
    for (const FieldDifference& f : all)
        (IsNamed(f.name, "settings.") ? c.settings : c.driver).push_back(f);
    c.sameView = c.settings.empty();
    c.sameSize = a.frame.width == b.frame.width && a.frame.height == b.frame.height;
    if (!c.sameSize)
        return c;
    const size_t pixels = static_cast<size_t>(a.frame.width) * a.frame.height;
    c.difference.assign(pixels, 0);
    for (size_t i = 0; i < pixels; ++i) {
        int largest = 0;
        for (int k = 0; k < 3; ++k)
            largest = std::max(largest, std::abs(a.frame.rgb[i * 3 + k] - b.frame.rgb[i * 3 + k]));
        c.difference[i] = static_cast<uint8_t>(largest);
        c.differingPixels += largest > 0 ? 1 : 0;
        c.largestDifference = std::max(c.largestDifference, largest);
    }
    return c;
}

ReportSheet LayoutRecordDifference(const RecordSide& a, const RecordSide& b,
                                   const RecordComparison& c)
{
    ReportSheet sheet;
    const int width = std::max(640, a.frame.width) + 2 * margin;
    const int lines = static_cast<int>(c.settings.size() + c.driver.size());
    const int height = headHeight + a.frame.height + footHeight + 18 * lines;
    sheet.image = {width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
    FillRect(sheet.image, 0, 0, width, height, paper);
    AddText(sheet, margin, 12, "Frames compared: B against A", 22, AlignLeft, ink, true);
    AddText(sheet, margin, 42, c.sameView ? "The same view on both." :
                                           "Not the same view: the settings differ (below).",
            15, AlignLeft, c.sameView ? ink : Rgb8{200, 30, 30}, !c.sameView);
    const int top = headHeight;
    if (c.sameSize) {
        for (int y = 0; y < a.frame.height; ++y)
            for (int x = 0; x < a.frame.width; ++x) {
                const size_t i = static_cast<size_t>(y) * a.frame.width + x;
                const uint8_t* p = &a.frame.rgb[i * 3];
                const Rgb8 pale = {Channel(p[0], 255, 0.8), Channel(p[1], 255, 0.8),
                                   Channel(p[2], 255, 0.8)};
                FillRect(sheet.image, margin + x, top + y, 1, 1,
                         c.difference[i] == 0 ? pale : DifferenceColor(c.difference[i]));
            }
    } else {
        AddText(sheet, margin, top, "The frames differ in size: " + std::to_string(a.frame.width) +
                                        " x " + std::to_string(a.frame.height) + " and " +
                                        std::to_string(b.frame.width) + " x " +
                                        std::to_string(b.frame.height), 15);
    }
    int y = top + a.frame.height + 10;
    for (int x = 0; x < 255; ++x)
        FillRect(sheet.image, margin + 2 * x, y, 2, sheetScaleHeight, DifferenceColor(x + 1));
    AddText(sheet, margin, y + sheetScaleHeight + 3, "1", 13);
    AddText(sheet, margin + 510, y + sheetScaleHeight + 3, "255 (largest channel difference)", 13,
            AlignRight);
    AddText(sheet, margin + 530, y, "pale: the same in both", 13, AlignLeft, quiet);
    y += 40;
    AddText(sheet, margin, y, std::to_string(c.differingPixels) + " pixels differ; the largest difference is " +
                                  std::to_string(c.largestDifference) + " of 255", 15, AlignLeft, ink, true);
    y += 26;
    for (const std::vector<FieldDifference>* list : {&c.settings, &c.driver})
        for (const FieldDifference& f : *list) {
            AddText(sheet, margin, y, f.name + ": " + Shown(f, false) + "  ->  " + Shown(f, true), 13);
            y += 18;
        }
    return sheet;
}

std::string RecordComparisonJson(const RecordComparison& c, const std::string& sourceA,
                                 const std::string& sourceB)
{
    JsonText json;
    JsonOpenObject(json, nullptr);
    JsonAddString(json, "a", sourceA);
    JsonAddString(json, "b", sourceB);
    JsonAddBool(json, "sameView", c.sameView);
    JsonAddBool(json, "sameSize", c.sameSize);
    JsonAddInteger(json, "differingPixels", c.differingPixels);
    JsonAddInteger(json, "largestDifference", c.largestDifference);
    AddFields(json, "differingSettings", c.settings);
    AddFields(json, "differingDriver", c.driver);
    JsonCloseObject(json);
    return json.text;
}
