// Two reports side by side: every figure's values and difference, and every
// named field that differs. Plain.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "compare/level_readback.h"
#include "measure/report_figures.h"

struct FigureDifference {
    std::string name;
    double a = 0.0;
    double b = 0.0;
    double difference = 0.0;           // b - a
    std::optional<double> tolerance;   // none for timings, which are not compared
    bool beyond = false;               // |difference| beyond the tolerance
};

// A field that is not a number on both sides (a name, a boolean, null, or
// missing from one report) and is not the same on both.
struct FieldDifference {
    std::string name;
    nlohmann::ordered_json a;  // null when missing
    nlohmann::ordered_json b;
    bool missingA = false;
    bool missingB = false;
};

struct ReportComparison {
    std::vector<FigureDifference> figures;  // in A's order, then B's own
    std::vector<FieldDifference> fields;
};

// The difference that still counts as the same figure: the probe reads a
// blend to 1/255 of a level, and the figures are means of many pixels.
std::optional<double> FigureTolerance(const std::string& dottedName);

ReportComparison CompareReports(const std::vector<FlatMember>& a, const std::vector<FlatMember>& b);

// compare.json: the two sources and their drivers, the figures, the fields
// that differ and the summary of the level maps' difference.
std::string ComparisonJson(const ReportComparison& comparison, const std::string& sourceA,
                           const std::string& sourceB, const std::vector<FlatMember>& a,
                           const std::vector<FlatMember>& b, const LevelDifference* levels);
