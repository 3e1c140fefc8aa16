// --replay: a record's settings become the options that set them, and the
// line's own options win over the record's.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/command_line.h"
#include "capture/record_replay.h"
#include "capture/view_record.h"

namespace {

CaptureOptions OptionsOfRecord(const std::string& text)
{
    std::vector<std::string> arguments;
    std::string reason;
    EXPECT_TRUE(RecordArguments(text, &arguments, &reason)) << reason;
    CaptureOptions options;
    EXPECT_TRUE(ParseCommandLine(arguments, &options, &reason)) << reason;
    return options;
}

}  // namespace

TEST(Replay, EveryRecordedSettingBecomesItsControlPosition)
{
    ViewRecord record;
    ViewSettings& s = record.settings;
    s = {true, 4.5, 72.0, 7, "NEAREST_MIPMAP_LINEAR", "NEAREST", 4, 0.7, true, 3, "C:\\x.bmp", 2,
         2.5, 3.5, 2, 30.0, 15.0, {0.7, 0.0, -1.2}, 1, 2};
    const CaptureOptions o = OptionsOfRecord(ViewRecordJson(record));
    // Positions: tenths for distance, bias and repeats, whole degrees, the
    // exponent of 2 for anisotropy, list and radio indices.
    const std::vector<std::pair<const char*, std::optional<int>>> positions = {
        {"scene", o.scene},         {"distance", o.distance}, {"angle", o.angle},
        {"faces", o.faces},         {"minFilter", o.minFilter}, {"magFilter", o.magFilter},
        {"aniso", o.aniso},         {"lodBias", o.lodBias},   {"checker", o.checker},
        {"texture", o.texture},     {"mipmaps", o.mipmaps},   {"repeatU", o.repeatU},
        {"repeatV", o.repeatV},     {"stage", o.stage},       {"sceneRotation", o.sceneRotation},
        {"textureRotation", o.textureRotation}, {"checkerMipmaps", o.checkerMipmaps},
        {"bmpMipmaps", o.bmpMipmaps}};
    const int expected[] = {0, 45, 72, 7, 4, 0, 2, 7, 3, 1, 2, 25, 35, 2, 30, 15, 1, 2};
    for (size_t i = 0; i < positions.size(); ++i)
        EXPECT_EQ(expected[i], positions[i].second.value_or(-99)) << positions[i].first;
    EXPECT_EQ("C:\\x.bmp", o.bmp.value_or(""));
    EXPECT_EQ((std::vector<int>{7, 0, -12}), o.unitLodBiases.value_or(std::vector<int>{}));

    // Never loaded, no per-unit biases: those options are not given at all.
    s.bmp.clear();
    s.bitmapShown = false;
    s.bmpMipmaps = -1;
    s.unitLodBiases.clear();
    const CaptureOptions plain = OptionsOfRecord(ViewRecordJson(record));
    EXPECT_FALSE(plain.bmp || plain.bmpMipmaps || plain.unitLodBiases);
    EXPECT_EQ(0, plain.texture.value_or(-1));
}

TEST(Replay, RefusesWhatIsNotARecordByItsMember)
{
    const struct {
        const char* text;
        const char* reason;
    } rows[] = {
        {"{", "not valid JSON"},
        {"{\"program\": \"Q\"}", "not a capture record (no settings)"},
        {"{\"settings\": {\"speed\": 1}}", "settings.speed: not a setting this program knows"},
        {"{\"settings\": {\"faces\": 3.5}}", "settings.faces: not a value of this setting"},
        {"{\"settings\": {\"scene\": 1}}", "settings.scene: not a value of this setting"},
        {"{\"settings\": {\"unitLodBiases\": [0.1, \"x\"]}}", "settings.unitLodBiases: not a value"},
        {"{\"settings\": {\"a\\nb\": 1}}", "settings.a?b: not a setting"},
    };
    for (const auto& row : rows) {
        std::vector<std::string> arguments;
        std::string reason;
        EXPECT_FALSE(RecordArguments(row.text, &arguments, &reason)) << row.text;
        EXPECT_EQ(0u, reason.find(row.reason)) << reason;
        EXPECT_TRUE(arguments.empty());
    }
}

TEST(Replay, TheLinesOptionsWinAndTheCombinationIsCheckedAfterTheMerge)
{
    CaptureOptions fromRecord, fromLine;
    std::string error;
    ASSERT_TRUE(ParseCommandLine({"--faces", "7", "--bmp", "a.bmp", "--texture", "bmp", "--unit-lod-biases",
                                  "0.5,1.0"}, &fromRecord, &error)) << error;
    // Without the record, --bmp-mipmaps lacks its BMP; with --replay it waits for the merge.
    EXPECT_FALSE(ParseCommandLine({"--bmp-mipmaps", "full"}, &fromLine, &error));
    ASSERT_TRUE(ParseCommandLine({"--replay", "r.json", "--faces", "9", "--bmp-mipmaps", "full",
                                  "--unit-lod-biases", "-0.3"}, &fromLine, &error)) << error;
    const CaptureOptions merged = MergeOptions(fromRecord, fromLine);
    EXPECT_EQ(9, *merged.faces);
    EXPECT_EQ("a.bmp", *merged.bmp);
    EXPECT_EQ(1, *merged.texture);
    EXPECT_EQ(2, *merged.bmpMipmaps);
    EXPECT_EQ(std::vector<int>{-3}, *merged.unitLodBiases);
    EXPECT_EQ("", CheckCombination(merged));
    EXPECT_EQ("--bmp-mipmaps full: needs --bmp PATH; allowed values: normal, tinted, full",
              CheckCombination(MergeOptions(CaptureOptions{}, fromLine)));
}

TEST(Replay, UnitBiasesAreReadAsAListAndCheckedAgainstTheDriver)
{
    const struct {
        const char* value;
        const char* problem;  // null: taken
    } rows[] = {
        {"0.0", nullptr},
        {"-8.0,8.0,0.1", nullptr},
        {"0.05", "between steps"},
        {"0.0,,1.0", "not a list of numbers"},
        {"1.0,", "not a list of numbers"},
        {"8.1", "out of range"},
        {"0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0", "more values than units"},
    };
    for (const auto& row : rows) {
        CaptureOptions options;
        std::string error;
        EXPECT_EQ(row.problem == nullptr, ParseCommandLine({"--unit-lod-biases", row.value}, &options, &error))
            << row.value;
        if (row.problem != nullptr)
            EXPECT_NE(std::string::npos, error.find(row.problem)) << error;
    }
    CaptureOptions options;
    std::string error;
    ASSERT_TRUE(ParseCommandLine({"--unit-lod-biases", "0.5,0.0,-0.5"}, &options, &error));
    DriverLimits limits;
    limits.lodBiasHalfRange = 5;
    limits.textureUnitCount = 3;
    EXPECT_EQ("", CheckDriverLimits(options, limits));
    limits.textureUnitCount = 2;
    EXPECT_EQ("--unit-lod-biases 0.5,0.0,-0.5: beyond this driver; allowed values: up to 2 biases, "
              "one per texture unit", CheckDriverLimits(options, limits));
    limits.textureUnitCount = 3;
    limits.lodBiasHalfRange = 4;
    EXPECT_NE(std::string::npos, CheckDriverLimits(options, limits).find("-0.4 .. 0.4"));
}
