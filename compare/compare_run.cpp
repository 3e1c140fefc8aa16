#include "compare/compare_run.h"

#include <windows.h>

#include "app/user_report.h"
#include "capture/file_output.h"
#include "compare/compare_sheet.h"
#include "compare/file_input.h"
#include "compare/record_compare.h"
#include "measure/measure_report.h"
#include "measure/sheet_text.h"

namespace {

struct Failure {
    int exitCode = 0;
    std::string line;
};

void Tell(const std::string& line)
{
    UserReport report;
    report.text = "quorvane: " + line;
    report.line = UserReport::AlwaysLine;
    TellUser(report);
}

bool ReadReport(const CompareInput& input, std::vector<FlatMember>* members, SheetImage* sheet,
                Failure* failure)
{
    std::string text, reason;
    failure->exitCode = 2;
    if (!ReadFileWhole(input.jsonPath, &text, &reason) ||
        !ReadReportFigures(text, members, &reason)) {
        failure->line = input.jsonPath + ": " + reason;
        return false;
    }
    if (!ReadPngFile(input.pngPath, sheet, &reason)) {
        failure->line = input.pngPath + ": " + reason;
        return false;
    }
    if (sheet->width != reportSheetWidth || sheet->height != reportSheetHeight) {
        failure->line = input.pngPath + ": not a report sheet of this format";
        return false;
    }
    return true;
}

bool ReadRecord(const CompareInput& input, RecordSide* side, Failure* failure)
{
    std::string text, reason;
    failure->exitCode = 2;
    if (!ReadPngFile(input.pngPath, &side->frame, &reason)) {
        failure->line = input.pngPath + ": " + reason;
        return false;
    }
    if (!ReadFileWhole(input.jsonPath, &text, &reason) || !ReadRecordMembers(text, &side->members, &reason)) {
        failure->line = input.jsonPath + ": " + reason;
        return false;
    }
    return true;
}

// Both files, or neither: the second failing takes the first away.
bool WriteOutputs(const std::string& folder, const SheetImage& picture, const std::string& json,
                  Failure* failure)
{
    failure->exitCode = 1;
    std::string reason;
    if (!PrepareReportFolder(folder, &reason)) {
        failure->line = "cannot write " + folder + ": " + reason;
        return false;
    }
    const std::string pngPath = InFolder(folder, "compare.png");
    const std::string jsonPath = InFolder(folder, "compare.json");
    if (!WriteSheetPng(pngPath, picture, &reason)) {
        failure->line = "cannot write " + pngPath + ": " + reason;
        return false;
    }
    if (!WriteFileWhole(jsonPath.c_str(), json.data(), json.size(), &reason)) {
        DeleteFileA(pngPath.c_str());
        failure->line = "cannot write " + jsonPath + ": " + reason;
        return false;
    }
    return true;
}

bool CompareTwoReports(const CompareRequest& request, const CompareInput& inA,
                       const CompareInput& inB, Failure* failure)
{
    std::vector<FlatMember> a, b;
    SheetImage sheetA, sheetB;
    if (!ReadReport(inA, &a, &sheetA, failure) || !ReadReport(inB, &b, &sheetB, failure))
        return false;
    const ReportComparison comparison = CompareReports(a, b);
    const LevelDifference levels = DifferenceOfLevels(ReadLevelMap(sheetA, reportLastLevel),
                                                      ReadLevelMap(sheetB, reportLastLevel));
    ReportSheet sheet = LayoutCompareSheet({&a, &b, &sheetA, &sheetB}, comparison, levels);
    DrawSheetTexts(sheet);
    const std::string json = ComparisonJson(comparison, inA.jsonPath, inB.jsonPath, a, b, &levels);
    return WriteOutputs(request.out, sheet.image, json, failure);
}

bool CompareTwoRecords(const CompareRequest& request, const CompareInput& inA,
                       const CompareInput& inB, Failure* failure)
{
    RecordSide a, b;
    if (!ReadRecord(inA, &a, failure) || !ReadRecord(inB, &b, failure))
        return false;
    const RecordComparison comparison = CompareRecords(a, b);
    ReportSheet sheet = LayoutRecordDifference(a, b, comparison);
    DrawSheetTexts(sheet);
    const std::string json = RecordComparisonJson(comparison, inA.pngPath, inB.pngPath);
    return WriteOutputs(request.out, sheet.image, json, failure);
}

}  // namespace

int RunCompare(const CompareRequest& request)
{
    const CompareInput inA = ClassifyCompareInput(request.a);
    const CompareInput inB = ClassifyCompareInput(request.b);
    Failure failure;
    if (inA.kind != inB.kind) {
        Tell(request.b + ": a " + (inB.kind == RecordInput ? "capture record" : "report") +
             ", while " + request.a + " is a " + (inA.kind == RecordInput ? "capture record" : "report"));
        return 2;
    }
    const bool done = inA.kind == ReportInput ? CompareTwoReports(request, inA, inB, &failure)
                                              : CompareTwoRecords(request, inA, inB, &failure);
    if (done)
        return 0;
    Tell(failure.line);
    return failure.exitCode;
}
