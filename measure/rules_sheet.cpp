// The report sheet's last row: the default tunnel's pass/fail map against the
// OpenGL rules, and the driver's fingerprint in words and numbers.
// Platform-free.
#include <cstdio>
#include <string>

#include "measure/filter_precision.h"
#include "measure/report_sheet.h"

namespace {

std::string Line(const char* name, const char* format, double value)
{
    return name + Format(format, value);
}

}  // namespace

void DrawRulesRow(ReportSheet& sheet, const MeasureResults& r, int top)
{
    const RulesFigures& rules = r.rules;
    AddText(sheet, 20, top - 22, "OpenGL envelope, default tunnel", 15, AlignLeft, ink, true);
    if (!rules.tunnelMarks.empty())
        PlaceHalvedMap(sheet.image, EnvelopeImage(rules.tunnelMarks), 20, top);
    AddText(sheet, 20, top + viewHeight / 2 + 4,
            "green: inside; red: level outside the rho band; orange: blend off frac(lambda)", 13,
            AlignLeft, quiet);

    const int left = 440;
    AddText(sheet, left, top - 22, "Fingerprint", 15, AlignLeft, ink, true);
    int y = top;
    // One clause a line: "rho: exact", "blend: trilinear" ...
    std::string words = Fingerprint(rules, r.transfer.plateau);
    for (size_t start = 0; start < words.size();) {
        size_t end = words.find("; ", start);
        if (end == std::string::npos)
            end = words.size();
        AddText(sheet, left, y, words.substr(start, end - start), 15);
        y += 19;
        start = end + 2;
    }
    y += 10;
    // The tolerances beside the numbers, in the row's empty third column: under
    // them they would run into the map's legend.
    int noteY = y;
    for (const char* note : {"tolerances: 0.1 level on lambda,", "0.16 on the blend; bits are",
                             "bounded by the 8-bit frame"}) {
        AddText(sheet, 860, noteY, note, 13, AlignLeft, quiet);
        noteY += 17;
    }
    const std::string lines[] = {
        std::string("lod.model                  ") + RhoModelName(rules.model),
        Line("  residual exact           ", "%.4f", rules.modelResiduals[RhoExact]),
        Line("  residual maxComponent    ", "%.4f", rules.modelResiduals[RhoMaxComponent]),
        Line("  residual sumComponents   ", "%.4f", rules.modelResiduals[RhoSumComponents]),
        Line("  residual ellipse         ", "%.4f", rules.modelResiduals[RhoEllipse]),
        Line("envelope.outsideShare      ", "%.4f", OutsideShare(rules.counts)),
        Line("filter.subtexelBits        ", "%.0f", rules.subtexelBits),
        Line("lod.fractionBits           ", "%.0f", rules.fractionBits),
        Line("lod.quadShare              ", "%.4f", rules.quadShare),
        Line("probe.agreement            ", "%.4f", r.natural.meanAbs),
    };
    for (const std::string& line : lines) {
        AddText(sheet, left, y, line, 15);
        sheet.texts.back().fixedPitch = true;
        y += 19;
    }
}
