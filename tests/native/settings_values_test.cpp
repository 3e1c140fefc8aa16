#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "ui/settings_values.h"

namespace {

TEST(SettingsValues, AnisotropyExponentOfDriverMaximum)
{
    const struct {
        double maximum;
        int exponent;
    } rows[] = {{16.0, 4}, {12.0, 3}, {2.0, 1}, {1.0, 0}, {1.99, 0}, {0.0, 0},
                {32.0, 5}, {std::numeric_limits<double>::quiet_NaN(), 0},
                {std::numeric_limits<double>::infinity(), 0}, {std::ldexp(1.0, 40), 30}};
    for (const auto& row : rows)
        EXPECT_EQ(row.exponent, AnisoSliderMaxFor(row.maximum)) << row.maximum;
    for (int p = 0; p <= 4; ++p)
        EXPECT_EQ(1 << p, AnisotropyForPosition(p));
}

TEST(SettingsValues, LodBiasLimitAndSliderRange)
{
    const struct {
        double driver;
        double limit;
        int halfRange;
    } rows[] = {{15.0, 8.0, 80}, {8.0, 8.0, 80}, {16.0, 8.0, 80}, {2.5, 2.5, 25},
                {2.0, 2.0, 20},  {2.55, 2.55, 25}, {0.0, 0.0, 0},
                {std::numeric_limits<double>::quiet_NaN(), 8.0, 80}};
    for (const auto& row : rows) {
        EXPECT_EQ(row.limit, LodBiasLimitFor(row.driver)) << row.driver;
        EXPECT_EQ(row.halfRange, LodBiasSliderHalfRange(LodBiasLimitFor(row.driver))) << row.driver;
    }
}

TEST(SettingsValues, TenthsAreComputedInDoublePrecision)
{
    EXPECT_EQ(0.30000000000000004, TenthsForPosition(3));
    EXPECT_EQ(3 * 0.1, TenthsForPosition(3));
    EXPECT_EQ(-1.5, TenthsForPosition(-15));
    EXPECT_EQ(105 * 0.1, TenthsForPosition(105));
}

TEST(SettingsValues, ScrollCodesMoveThePosition)
{
    const struct {
        int code, current, thumb, expected;
    } rows[] = {
        {0, 10, 99, 9},   {1, 10, 99, 11},  {2, 10, 99, 0},   {3, 10, 99, 20},
        {4, 10, 99, 10},  {5, 10, 99, 99},  {6, 10, 99, 9},   {7, 10, 99, 11},
        {8, 10, 99, 10},  {9, 10, 99, 10},  {0, 0, 0, -1},    {5, 10, 0, 0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.expected, ScrollPositionAfter(row.code, row.current, row.thumb))
            << "code " << row.code;
}

TEST(SettingsValues, LabelTexts)
{
    char buffer[32];
    EXPECT_EQ("1x", std::string(FormatAnisotropyLabel(buffer, sizeof(buffer), 1)));
    EXPECT_EQ("16x", std::string(FormatAnisotropyLabel(buffer, sizeof(buffer), 16)));
    EXPECT_EQ("-8", std::string(FormatIntegerLabel(buffer, sizeof(buffer), -8)));
    EXPECT_EQ("200", std::string(FormatIntegerLabel(buffer, sizeof(buffer), 200)));
    EXPECT_EQ("0.3", std::string(FormatDecimalLabel(buffer, sizeof(buffer), TenthsForPosition(3))));
    EXPECT_EQ("0.5", std::string(FormatDecimalLabel(buffer, sizeof(buffer), TenthsForPosition(5))));
    EXPECT_EQ("20.0", std::string(FormatDecimalLabel(buffer, sizeof(buffer), TenthsForPosition(200))));
    EXPECT_EQ("-1.5", std::string(FormatDecimalLabel(buffer, sizeof(buffer), TenthsForPosition(-15))));
    EXPECT_EQ("2.0", std::string(FormatDecimalLabel(buffer, sizeof(buffer), TenthsForPosition(20))));
    EXPECT_EQ(std::string("90.0\xB0"), FormatDegreeLabel(buffer, sizeof(buffer), 90.0));
    EXPECT_EQ(std::string("0.0\xB0"), FormatDegreeLabel(buffer, sizeof(buffer), 0.0));
    // The degree sign is one byte, not a UTF-8 pair.
    EXPECT_EQ(5u, std::string(FormatDegreeLabel(buffer, sizeof(buffer), 90.0)).size());
}

TEST(SettingsValues, FilterTableMapsListPositionsToFilters)
{
    const struct {
        const char* text;
        unsigned filter;
    } rows[] = {{"NEAREST", 0x2600},
                {"LINEAR", 0x2601},
                {"NEAREST_MIPMAP_NEAREST", 0x2700},
                {"LINEAR_MIPMAP_NEAREST", 0x2701},
                {"NEAREST_MIPMAP_LINEAR", 0x2702},
                {"LINEAR_MIPMAP_LINEAR", 0x2703}};
    for (int i = 0; i < minFilterCount; ++i) {
        EXPECT_STREQ(rows[i].text, filterTable[i].text);
        EXPECT_EQ(rows[i].filter, filterTable[i].filter);
    }
    EXPECT_EQ(2, magFilterCount);
}

}  // namespace
