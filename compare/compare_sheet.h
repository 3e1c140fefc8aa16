// The comparison sheet of two reports: both measured-level maps and the map
// of their difference with its scale, both transfer curves and both angle
// plots overlaid, and the figures with those beyond tolerance marked.
// Laid out as pixels plus texts, as the report sheet is. Plain.
#pragma once

#include "compare/level_readback.h"
#include "compare/report_compare.h"
#include "measure/report_sheet.h"

struct CompareSources {
    const std::vector<FlatMember>* a;
    const std::vector<FlatMember>* b;
    const SheetImage* sheetA;  // report.png of each
    const SheetImage* sheetB;
};

ReportSheet LayoutCompareSheet(const CompareSources& sources, const ReportComparison& comparison,
                               const LevelDifference& levels);

// The table's lines: "name  A  B  B-A  tolerance", a mark at the end of those
// beyond tolerance; the figures without an array index, then the fields
// that differ, then how many curve points are beyond tolerance.
struct FigureRow {
    std::string text;
    bool beyond = false;
};
std::vector<FigureRow> CompareFigureRows(const ReportComparison& comparison);
