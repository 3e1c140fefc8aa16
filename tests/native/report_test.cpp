// The report as JSON and as a sheet, and the pictures' colour rules.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "common/flat_json.h"
#include "measure/error_image.h"
#include "measure/report_json.h"
#include "measure/report_sheet.h"

namespace {

MeasureResults SomeResults(bool extensions)
{
    MeasureResults r;
    r.lod.meanAbs = 0.03126;
    r.transfer.bins.resize(2);
    r.transfer.bins[0] = {0.25, 100, 0.2, 0.0};
    r.transfer.bins[1] = {0.75, 0, 0.0, 0.0};  // no pixels: no value
    r.angle = {{0.0, -0.02}, {45.0, -0.00004}};
    r.anisoAvailable = extensions;
    r.maxAnisotropy = 16.0;
    r.anisoBlendsLevels = true;
    r.biasAvailable = extensions;
    r.bias = {{-2.0, -1.99}};
    r.stageCount = 8;
    r.stagesIdentical = false;
    return r;
}

TEST(MeasureReport, JsonHoldsEveryFigureAndNullWithoutTheExtensions)
{
    const DriverNames names = {"Quorvane", "Mesa", "llvmpipe \"x\"", "4.5"};
    std::map<std::string, std::string> m;
    ASSERT_TRUE(flat_json::Read(MeasureReportJson(names, SomeResults(true)), m));
    const std::map<std::string, std::string> expected = {
        {"program", "Quorvane"},
        {"driver.renderer", "llvmpipe \"x\""},
        {"lod.meanAbsError", "0.0313"},
        {"trilinear.curve", "[]"},
        {"trilinear.curve.0.measuredBlend", "0.2000"},
        {"trilinear.curve.1.measuredBlend", "null"},
        {"angle.curve.1.textureRotation", "45.0"},
        {"angle.curve.1.meanError", "0.0000"},  // no sign on a rounded zero
        {"aniso.maxAnisotropy", "16.0"},
        {"aniso.blendsLevels", "true"},
        {"bias.shifts.0.bias", "-2.0"},
        {"stages.count", "8"},
        {"stages.identical", "false"},
        {"seconds", "0.00"},
    };
    for (const auto& e : expected)
        EXPECT_EQ(e.second, m[e.first]) << e.first;

    ASSERT_TRUE(flat_json::Read(MeasureReportJson(names, SomeResults(false)), m));
    EXPECT_EQ("null", m["aniso"]);
    EXPECT_EQ("null", m["bias"]);
    EXPECT_EQ(0u, m.count("aniso.maxAnisotropy"));
}

TEST(MeasureReport, SampledLevelPerFilterKind)
{
    const struct {
        double lambda;
        MipSelection selection;
        double level;
    } rows[] = {
        {3.7, BaseLevelOnly, 0.0}, {0.5, NearestLevel, 0.0},  {0.51, NearestLevel, 1.0},
        {1.49, NearestLevel, 1.0}, {1.5, NearestLevel, 1.0},   {1.51, NearestLevel, 2.0},
        {12.0, NearestLevel, 9.0}, {-0.3, BlendedLevels, 0.0}, {4.25, BlendedLevels, 4.25},
        {9.5, BlendedLevels, 9.0},
    };
    for (const auto& r : rows)
        EXPECT_DOUBLE_EQ(r.level, SampledLevel(r.lambda, r.selection, 9)) << r.lambda;
}

TEST(MeasureReport, ErrorColoursDivergeFromWhite)
{
    const Rgb8 exact = ErrorColor(0.0, 0.5);
    EXPECT_EQ(255 * 3, exact.r + exact.g + exact.b);
    const Rgb8 sharp = ErrorColor(-0.5, 0.5), blurry = ErrorColor(0.5, 0.5);
    EXPECT_GT(sharp.b, sharp.r + 100);
    EXPECT_GT(blurry.r, blurry.b + 100);
    const Rgb8 beyond = ErrorColor(3.0, 0.5);
    EXPECT_EQ(blurry.r, beyond.r);
    const Rgb8 half = ErrorColor(-0.25, 0.5);
    EXPECT_GT(half.r, sharp.r);
    EXPECT_LT(half.r, 255);
}

TEST(MeasureReport, HalvedMapIsUprightAndAveraged)
{
    // A map bottom row first: the bottom two rows red, the rest a 2 x 2
    // checker of black and white.
    std::vector<uint8_t> map(static_cast<size_t>(viewWidth) * viewHeight * 3, 0);
    for (int y = 0; y < viewHeight; ++y)
        for (int x = 0; x < viewWidth; ++x) {
            uint8_t* p = &map[(static_cast<size_t>(y) * viewWidth + x) * 3];
            if (y < 2)
                p[0] = 255;
            else if ((x + y) % 2 == 0)
                p[0] = p[1] = p[2] = 255;
        }
    SheetImage image;
    image.width = viewWidth / 2 + 2;
    image.height = viewHeight / 2 + 2;
    image.rgb.assign(static_cast<size_t>(image.width) * image.height * 3, 7);
    PlaceHalvedMap(image, map, 1, 1);
    auto at = [&image](int x, int y) { return &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3]; };
    EXPECT_EQ(7, at(0, 0)[0]) << "the border is left alone";
    EXPECT_EQ(128, at(1, 1)[1]) << "the checker averages to grey";
    const uint8_t* bottom = at(1, viewHeight / 2);
    EXPECT_EQ(255, bottom[0]) << "the map's bottom row is the sheet's lowest";
    EXPECT_EQ(0, bottom[1]);
    EXPECT_EQ(7, at(viewWidth / 2 + 1, viewHeight / 2 + 1)[0]);
}

TEST(MeasureReport, SheetLinesReachTheirEndsAndStayInside)
{
    SheetImage image;
    image.width = 20;
    image.height = 10;
    image.rgb.assign(20 * 10 * 3, 0);
    DrawLine(image, 2, 8, 17, 1, {255, 0, 0});
    DrawLine(image, -5, 5, 30, 5, {0, 255, 0});  // clipped, no write outside
    EXPECT_EQ(255, image.rgb[(8 * 20 + 2) * 3]);
    EXPECT_EQ(255, image.rgb[(1 * 20 + 17) * 3]);
    EXPECT_EQ(255, image.rgb[(5 * 20 + 0) * 3 + 1]);
    EXPECT_EQ(255, image.rgb[(5 * 20 + 19) * 3 + 1]);

    const ReportSheet sheet = LayoutReportSheet({"p", "v", "r", "1"}, SomeResults(false));
    EXPECT_EQ(static_cast<size_t>(sheet.image.width) * sheet.image.height * 3, sheet.image.rgb.size());
    for (const SheetText& t : sheet.texts) {
        EXPECT_GE(t.x, 0) << t.text;
        EXPECT_LE(t.x, sheet.image.width) << t.text;
        EXPECT_GE(t.y, 0) << t.text;
        EXPECT_LE(t.y + t.height, sheet.image.height) << t.text;
    }
}

}  // namespace
