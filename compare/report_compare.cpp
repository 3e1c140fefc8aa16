#include "compare/report_compare.h"

#include <cmath>

#include "capture/json_writer.h"

namespace {

// Tolerances by name; '#' stands for any array index. Counts of pixels move
// with the driver's rasterisation, so they get a tenth of a percent of a
// frame; rotations, biases and fractions are the battery's own inputs.
struct ToleranceRow {
    const char* pattern;
    double tolerance;
};

const ToleranceRow toleranceTable[] = {
    {"lod.meanAbsError", 0.005},        {"lod.p99AbsError", 0.01},
    {"lod.meanAbsErrorInvariant", 0.005}, {"lod.meanError", 0.005},
    {"lod.pixels", 480},                {"trilinear.plateau", 0.01},
    {"trilinear.curve.#.idealFraction", 0}, {"trilinear.curve.#.measuredBlend", 0.02},
    {"trilinear.curve.#.pixels", 480},  {"angle.spread", 0.02},
    {"angle.idealLod", 0.001},          {"angle.curve.#.textureRotation", 0},
    {"angle.curve.#.meanError", 0.02},  {"aniso.maxAnisotropy", 0},
    {"aniso.meanAbsError", 0.01},       {"aniso.blendedShare", 0.05},
    {"bias.maxError", 0.02},            {"bias.shifts.#.bias", 0},
    {"bias.shifts.#.measuredShift", 0.02}, {"stages.count", 0},
};

// "angle.curve.12.meanError" -> "angle.curve.#.meanError"
std::string Pattern(const std::string& name)
{
    std::string pattern;
    size_t at = 0;
    while (at < name.size()) {
        size_t end = name.find('.', at);
        if (end == std::string::npos)
            end = name.size();
        const std::string part = name.substr(at, end - at);
        const bool index = !part.empty() && part.find_first_not_of("0123456789") == std::string::npos;
        pattern += (at == 0 ? "" : ".") + (index ? std::string("#") : part);
        at = end + 1;
    }
    return pattern;
}

// A difference equal to the tolerance is within it, though the decimals'
// binary forms may put it a hair above.
const double roundingSlack = 1e-9;

void AddValue(JsonText& json, const char* key, const nlohmann::ordered_json& value)
{
    if (value.is_string())
        JsonAddString(json, key, value.get<std::string>());
    else if (value.is_boolean())
        JsonAddBool(json, key, value.get<bool>());
    else if (value.is_number_integer())
        JsonAddInteger(json, key, value.get<long long>());
    else if (value.is_number())
        JsonAddNumber(json, key, value.get<double>(), 4);
    else
        JsonAddNull(json, key);
}

void AddSource(JsonText& json, const char* key, const std::string& source,
               const std::vector<FlatMember>& members)
{
    JsonOpenObject(json, key);
    JsonAddString(json, "source", source);
    for (const char* name : {"program", "driver.vendor", "driver.renderer", "driver.version"}) {
        const FlatMember* member = FindMember(members, name);
        AddValue(json, name, member != nullptr ? member->value : nlohmann::ordered_json());
    }
    JsonCloseObject(json);
}

}  // namespace

std::optional<double> FigureTolerance(const std::string& dottedName)
{
    const std::string pattern = Pattern(dottedName);
    for (const ToleranceRow& row : toleranceTable)
        if (pattern == row.pattern)
            return row.tolerance;
    return std::nullopt;
}

ReportComparison CompareReports(const std::vector<FlatMember>& a, const std::vector<FlatMember>& b)
{
    ReportComparison comparison;
    auto compareOne = [&](const std::string& name, const FlatMember* inA, const FlatMember* inB) {
        if (inA != nullptr && inB != nullptr && inA->value.is_number() && inB->value.is_number()) {
            FigureDifference figure;
            figure.name = name;
            figure.a = inA->value.get<double>();
            figure.b = inB->value.get<double>();
            figure.difference = figure.b - figure.a;
            figure.tolerance = FigureTolerance(name);
            figure.beyond = figure.tolerance &&
                            std::fabs(figure.difference) > *figure.tolerance + roundingSlack;
            comparison.figures.push_back(figure);
            return;
        }
        if (inA != nullptr && inB != nullptr && inA->value == inB->value)
            return;
        FieldDifference field;
        field.name = name;
        field.missingA = inA == nullptr;
        field.missingB = inB == nullptr;
        if (inA != nullptr)
            field.a = inA->value;
        if (inB != nullptr)
            field.b = inB->value;
        comparison.fields.push_back(field);
    };
    for (const FlatMember& member : a)
        compareOne(member.name, &member, FindMember(b, member.name));
    for (const FlatMember& member : b)
        if (FindMember(a, member.name) == nullptr)
            compareOne(member.name, nullptr, &member);
    return comparison;
}

std::string ComparisonJson(const ReportComparison& comparison, const std::string& sourceA,
                           const std::string& sourceB, const std::vector<FlatMember>& a,
                           const std::vector<FlatMember>& b, const LevelDifference* levels)
{
    JsonText json;
    JsonOpenObject(json, nullptr);
    AddSource(json, "a", sourceA, a);
    AddSource(json, "b", sourceB, b);
    int beyond = 0;
    for (const FigureDifference& figure : comparison.figures)
        beyond += figure.beyond ? 1 : 0;
    JsonAddInteger(json, "figuresBeyondTolerance", beyond);
    if (levels != nullptr) {
        JsonOpenObject(json, "levelMap");
        JsonAddInteger(json, "pixels", levels->pixels);
        JsonAddNumber(json, "meanAbsDifference", levels->meanAbs, 4);
        JsonAddNumber(json, "maxAbsDifference", levels->maxAbs, 4);
        JsonCloseObject(json);
    }
    JsonOpenObject(json, "figures");
    for (const FigureDifference& figure : comparison.figures) {
        JsonOpenObject(json, figure.name.c_str());
        AddValue(json, "a", FindMember(a, figure.name)->value);
        AddValue(json, "b", FindMember(b, figure.name)->value);
        JsonAddNumber(json, "difference", figure.difference, 4);
        if (figure.tolerance)
            JsonAddNumber(json, "tolerance", *figure.tolerance, 4);
        else
            JsonAddNull(json, "tolerance");
        JsonAddBool(json, "beyondTolerance", figure.beyond);
        JsonCloseObject(json);
    }
    JsonCloseObject(json);
    JsonOpenArray(json, "differingFields");
    for (const FieldDifference& field : comparison.fields) {
        JsonOpenObject(json, nullptr);
        JsonAddString(json, "name", field.name);
        AddValue(json, "a", field.a);
        AddValue(json, "b", field.b);
        JsonAddBool(json, "missingInA", field.missingA);
        JsonAddBool(json, "missingInB", field.missingB);
        JsonCloseObject(json);
    }
    JsonCloseArray(json);
    JsonCloseObject(json);
    return json.text;
}
