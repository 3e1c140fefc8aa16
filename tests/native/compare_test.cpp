// Comparing two reports or two capture records: names, signs, tolerances,
// the level maps read back from the sheet, and the command line.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "compare/compare_line.h"
#include "compare/compare_sheet.h"
#include "compare/record_compare.h"
#include "measure/report_json.h"

namespace {

std::vector<FlatMember> Flat(const std::string& text)
{
    std::vector<FlatMember> members;
    std::string reason;
    EXPECT_TRUE(FlattenJson(text, &members, &reason)) << reason;
    return members;
}

const FigureDifference* Figure(const ReportComparison& c, const std::string& name)
{
    for (const FigureDifference& f : c.figures)
        if (f.name == name)
            return &f;
    return nullptr;
}

}  // namespace

TEST(Compare, AReportOfThisProgramReadsBackAndOthersAreRefusedByName)
{
    MeasureResults r;
    r.transfer.bins.resize(1);
    r.angle = {{0.0, 0.0}};
    const std::string report = MeasureReportJson({"Q", "V", "R", "1"}, r);
    std::vector<FlatMember> members;
    std::string reason;
    EXPECT_TRUE(ReadReportFigures(report, &members, &reason)) << reason;

    const struct {
        std::string text;
        const char* reasonPart;
    } refused[] = {
        {report.substr(0, report.size() / 2), "not valid JSON"},
        {"[1]", "not a JSON object"},
        {std::string(40, '[') + std::string(40, ']'), "not a JSON object"},
        {"{\"a\":" + std::string(30, '[') + std::string(30, ']') + "}", "nested too deep"},
        {"{\"program\": \"Q\"}", "no driver.vendor"},
        {[&] { std::string t = report; t.replace(t.find("\"plateau\""), 9, "\"plateaux\""); return t; }(),
         "no trilinear.plateau"},
    };
    for (const auto& row : refused) {
        EXPECT_FALSE(ReadReportFigures(row.text, &members, &reason)) << row.text.substr(0, 60);
        EXPECT_NE(std::string::npos, reason.find(row.reasonPart)) << reason;
        EXPECT_TRUE(members.empty());
    }
}

TEST(Compare, DifferencesAreBMinusAAndTheToleranceIsInclusive)
{
    const double plateau = *FigureTolerance("trilinear.plateau");
    ASSERT_GT(plateau, 0.0);
    const std::string a = "{\"trilinear\": {\"plateau\": 0.25, \"curve\": [{\"measuredBlend\": 0.5}]},"
                          " \"seconds\": 1.0, \"name\": \"x\", \"gone\": true}";
    const std::string b = "{\"trilinear\": {\"plateau\": " + std::to_string(0.25 + plateau) +
                          ", \"curve\": [{\"measuredBlend\": 0.25}]}, \"seconds\": 9.0,"
                          " \"name\": \"y\", \"new\": null}";
    const ReportComparison c = CompareReports(Flat(a), Flat(b));
    const FigureDifference* onEdge = Figure(c, "trilinear.plateau");
    ASSERT_NE(nullptr, onEdge);
    EXPECT_NEAR(plateau, onEdge->difference, 1e-12);
    EXPECT_FALSE(onEdge->beyond);
    const FigureDifference* blend = Figure(c, "trilinear.curve.0.measuredBlend");
    ASSERT_NE(nullptr, blend);
    EXPECT_DOUBLE_EQ(-0.25, blend->difference);
    EXPECT_TRUE(blend->beyond);
    // A timing has no tolerance: it is shown, never marked.
    const FigureDifference* seconds = Figure(c, "seconds");
    ASSERT_NE(nullptr, seconds);
    EXPECT_FALSE(seconds->tolerance.has_value() || seconds->beyond);
    // Every index of a curve has the curve's tolerance; a name that only
    // looks like an index has none.
    EXPECT_EQ(FigureTolerance("angle.curve.0.meanError"), FigureTolerance("angle.curve.18.meanError"));
    EXPECT_TRUE(FigureTolerance("angle.curve.18.meanError").has_value());
    EXPECT_FALSE(FigureTolerance("angle.curve.x.meanError").has_value());

    ASSERT_EQ(3u, c.fields.size());
    EXPECT_EQ("name", c.fields[0].name);
    EXPECT_EQ("y", c.fields[0].b.get<std::string>());
    EXPECT_EQ("gone", c.fields[1].name);
    EXPECT_TRUE(c.fields[1].missingB);
    EXPECT_EQ("new", c.fields[2].name);
    EXPECT_TRUE(c.fields[2].missingA);

    const ReportComparison same = CompareReports(Flat(a), Flat(a));
    EXPECT_TRUE(same.fields.empty());
    for (const FigureDifference& f : same.figures)
        EXPECT_FALSE(f.beyond || f.difference != 0.0) << f.name;
}

TEST(Compare, TableKeepsFiguresWithDigitsInTheirNameAndCountsCurvePoints)
{
    const std::string a = "{\"lod\": {\"p99AbsError\": 0.1}, \"angle\": {\"curve\": "
                          "[{\"meanError\": 0.0}, {\"meanError\": 0.0}]}}";
    const std::string b = "{\"lod\": {\"p99AbsError\": 0.1}, \"angle\": {\"curve\": "
                          "[{\"meanError\": 0.5}, {\"meanError\": 0.0}]}}";
    const std::vector<FigureRow> rows = CompareFigureRows(CompareReports(Flat(a), Flat(b)));
    ASSERT_EQ(2u, rows.size());
    EXPECT_EQ(0u, rows[0].text.find("lod.p99AbsError"));
    EXPECT_FALSE(rows[0].beyond);
    EXPECT_EQ(0u, rows[1].text.find("angle.curve "));
    EXPECT_NE(std::string::npos, rows[1].text.find("1 of 2"));
    EXPECT_TRUE(rows[1].beyond);
}

TEST(Compare, LongTextsShowTheirFirstDifferingPartInsideTheColumn)
{
    const struct {
        const char* a;
        const char* b;
        const char* shownA;
        const char* shownB;
    } cases[] = {
        {"rho: exact; blend: trilinear; LOD per pixel", "rho: exact; blend: shortcut; LOD per pixel",
         "blend: trilinear", "blend: shortcut"},
        {"rho: exact; blend: trilinear", "rho: maxComponent; blend: trilinear", "rho: exact",
         "rho: maxComponent"},
        {"inside", "outside", "inside", "outside"},
        {"a; bbbbbbbbbbbbbbbbbbbbbbbbbbbb", "a; c", "bbbbbbbbbbbbbbbb~", "c"},
    };
    for (const auto& c : cases) {
        const std::string a = std::string("{\"fingerprint\": \"") + c.a + "\"}";
        const std::string b = std::string("{\"fingerprint\": \"") + c.b + "\"}";
        const std::vector<FigureRow> rows = CompareFigureRows(CompareReports(Flat(a), Flat(b)));
        ASSERT_EQ(1u, rows.size()) << c.a;
        const std::string& text = rows[0].text;
        const size_t atA = text.find(c.shownA), atB = text.find(c.shownB, atA + 1);
        EXPECT_TRUE(atA != std::string::npos && atB != std::string::npos) << text;
        // The table's column holds 78 characters of its 13-pixel fixed-pitch text.
        EXPECT_LE(text.size(), 78u) << text;
        EXPECT_NE(std::string::npos, text.find("differ *")) << text;
    }
}

TEST(Compare, LevelsReadBackFromTheScaleAndTheirDifferenceKeepsItsSign)
{
    for (double level : {0.0, 0.5, 2.25, 4.0, 7.9, 9.0})
        EXPECT_NEAR(level, LevelOfColor(LevelColor(level, reportLastLevel), reportLastLevel), 1.0 / 32)
            << level;
    EXPECT_TRUE(std::isnan(LevelOfColor(uncoveredColor, reportLastLevel)));

    LevelMap a, b;
    a.level = {1.0, 2.0, NAN, 3.0};
    b.level = {1.5, 1.0, 4.0, NAN};
    const LevelDifference d = DifferenceOfLevels(a, b);
    EXPECT_DOUBLE_EQ(0.5, d.difference[0]);
    EXPECT_DOUBLE_EQ(-1.0, d.difference[1]);
    EXPECT_TRUE(std::isnan(d.difference[2]) && d.oneSided[2] && d.oneSided[3]);
    EXPECT_FALSE(d.oneSided[0]);
    EXPECT_EQ(2, d.pixels);
    EXPECT_DOUBLE_EQ(0.75, d.meanAbs);
    EXPECT_DOUBLE_EQ(1.0, d.maxAbs);
}

TEST(Compare, CommandLineTakesTwoInputsAndAFolder)
{
    using Args = std::vector<std::string>;
    CompareRequest request;
    std::string error;
    ASSERT_TRUE(ParseCompareLine({"--out", "o", "--compare", "x", "y"}, &request, &error)) << error;
    EXPECT_EQ("x", request.a);
    EXPECT_EQ("y", request.b);
    EXPECT_EQ("o", request.out);
    const struct {
        Args arguments;
        const char* errorStart;
    } refused[] = {
        {{"--compare", "x", "y"}, "--out: missing"},
        {{"--compare", "x", "--out", "o"}, "--compare: missing value"},
        {{"--compare", "x", "y", "--out"}, "--out: missing value"},
        {{"--compare", "x", "y", "--out", "o", "--out", "p"}, "--out: given twice"},
        {{"--compare", "x", "y", "--out", "o", "--scene", "plane"}, "--scene: not taken"},
    };
    for (const auto& row : refused) {
        EXPECT_FALSE(ParseCompareLine(row.arguments, &request, &error));
        EXPECT_EQ(0u, error.find(row.errorStart)) << error;
    }
    EXPECT_TRUE(IsCompareLine({"--scene", "plane", "--compare"}));
    EXPECT_FALSE(IsCompareLine({"--out", "compare"}));
}

TEST(Compare, InputsAreTakenByTheirNames)
{
    const struct {
        const char* path;
        CompareInputKind kind;
        const char* json;
        const char* png;
    } rows[] = {
        {"C:\\r\\llvm", ReportInput, "C:\\r\\llvm\\report.json", "C:\\r\\llvm\\report.png"},
        {"C:\\r\\llvm\\", ReportInput, "C:\\r\\llvm\\report.json", "C:\\r\\llvm\\report.png"},
        {"Z:/r/llvm/REPORT.JSON", ReportInput, "Z:/r/llvm/REPORT.JSON", "Z:/r/llvm\\report.png"},
        {"shot.PNG", RecordInput, "shot.json", "shot.PNG"},
    };
    for (const auto& row : rows) {
        const CompareInput input = ClassifyCompareInput(row.path);
        EXPECT_EQ(row.kind, input.kind) << row.path;
        EXPECT_EQ(row.json, input.jsonPath) << row.path;
        EXPECT_EQ(row.png, input.pngPath) << row.path;
    }
}

TEST(Compare, RecordsCountDifferingPixelsAndTellADifferentView)
{
    const std::string record = "{\"program\": \"Q\", \"driver\": {\"renderer\": \"R\"}, "
                               "\"settings\": {\"scene\": \"tunnel\", \"minFilter\": \"LINEAR\", \"faces\": 200}}";
    RecordSide a, b;
    std::string reason;
    ASSERT_TRUE(ReadRecordMembers(record, &a.members, &reason)) << reason;
    EXPECT_FALSE(ReadRecordMembers("{\"program\": \"Q\", \"driver\": {\"renderer\": \"R\"}}", &b.members,
                                   &reason));
    EXPECT_NE(std::string::npos, reason.find("settings.scene"));
    a.frame = {3, 1, {10, 10, 10, 20, 20, 20, 30, 30, 30}};
    b = a;
    b.frame.rgb[4] = 27;  // the second pixel's green, 7 up
    b.frame.rgb[8] = 0;   // the third pixel's blue, 30 down
    RecordComparison same = CompareRecords(a, b);
    EXPECT_TRUE(same.sameView && same.sameSize);
    EXPECT_EQ(2, same.differingPixels);
    EXPECT_EQ(30, same.largestDifference);
    EXPECT_EQ((std::vector<uint8_t>{0, 7, 30}), same.difference);

    std::string other = record;
    other.replace(other.find("200"), 3, "201");
    other.replace(other.find("\"R\""), 3, "\"S\"");
    ASSERT_TRUE(ReadRecordMembers(other, &b.members, &reason));
    const RecordComparison differ = CompareRecords(a, b);
    EXPECT_FALSE(differ.sameView);
    ASSERT_EQ(1u, differ.settings.size());
    EXPECT_EQ("settings.faces", differ.settings[0].name);
    ASSERT_EQ(1u, differ.driver.size());
    EXPECT_EQ("driver.renderer", differ.driver[0].name);
    // Larger differences are darker: the scale runs one way.
    EXPECT_GT(DifferenceColor(1).g, DifferenceColor(255).g);
}
