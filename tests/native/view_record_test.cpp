#include <gtest/gtest.h>

#include <map>
#include <string>

#include "capture/json_writer.h"
#include "capture/view_record.h"
#include "common/flat_json.h"

namespace {

const std::string replacement = "\xEF\xBF\xBD";  // U+FFFD

TEST(JsonText, StringsAreEscapedAndKeptValidUtf8)
{
    const struct {
        std::string in, out;
    } rows[] = {
        {"C:\\pictures\\card.bmp", "\"C:\\\\pictures\\\\card.bmp\""},
        {"say \"hi\"/", "\"say \\\"hi\\\"/\""},
        {"a\nb\tc\rd\be\ff", "\"a\\nb\\tc\\rd\\be\\ff\""},
        {std::string("\x01\x1f\x7f\0", 4), "\"\\u0001\\u001f\x7f\\u0000\""},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\""},
        {"ANSI \xB0", "\"ANSI " + replacement + "\""},                 // a lone code page 1252 byte
        {"cut \xE2\x82", "\"cut " + replacement + replacement + "\""},  // sequence cut short
        {"\xC0\x80", "\"" + replacement + replacement + "\""},          // overlong
        {"\xED\xA0\x80", "\"" + replacement + replacement + replacement + "\""},  // surrogate
        {"\xF4\x90\x80\x80", "\"" + replacement + replacement + replacement + replacement + "\""},
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.out, JsonQuoted(row.in)) << row.in;
}

TEST(JsonText, RecordReadsBackWithEveryKey)
{
    ViewRecord record{{"Quorvane \"test\"", "Mesa", "llvmpipe", "4.5 Mesa"}, {}};
    ViewSettings& s = record.settings;
    s = {true, 305 * 0.1, 45.0, 3, "NEAREST_MIPMAP_LINEAR", "NEAREST", 16, -15 * 0.1, true, -8,
         "C:\\t\xC3\xA9st\\\"card\".bmp", 2, 105 * 0.1, 3 * 0.1, 7, 90.0, -0.04, {0.7, -0.04}, 1, 0};
    std::map<std::string, std::string> m;
    ASSERT_TRUE(flat_json::Read(ViewRecordJson(record), m)) << ViewRecordJson(record);
    const std::map<std::string, std::string> expected = {
        {"program", "Quorvane \"test\""}, {"driver", "{}"}, {"driver.vendor", "Mesa"},
        {"driver.renderer", "llvmpipe"}, {"driver.version", "4.5 Mesa"}, {"settings", "{}"},
        {"settings.scene", "plane"}, {"settings.distance", "30.5"}, {"settings.angle", "45.0"},
        {"settings.faces", "3"}, {"settings.minFilter", "NEAREST_MIPMAP_LINEAR"},
        {"settings.magFilter", "NEAREST"}, {"settings.anisotropy", "16"}, {"settings.lodBias", "-1.5"},
        {"settings.texture", "bmp"}, {"settings.checker", "-8"},
        {"settings.bmp", "C:\\t\xC3\xA9st\\\"card\".bmp"}, {"settings.mipmaps", "full"},
        {"settings.repeatU", "10.5"}, {"settings.repeatV", "0.3"}, {"settings.stage", "7"},
        {"settings.sceneRotation", "90.0"}, {"settings.textureRotation", "0.0"},
        {"settings.unitLodBiases", "[]"}, {"settings.unitLodBiases.0", "0.7"},
        {"settings.unitLodBiases.1", "0.0"}, {"settings.checkerMipmaps", "tinted"},
        {"settings.bmpMipmaps", "normal"},
    };
    EXPECT_EQ(expected, m);

    s.scenePlane = s.bitmapShown = false;
    s.bmp.clear();
    s.mipmaps = 1;
    ASSERT_TRUE(flat_json::Read(ViewRecordJson(record), m));
    EXPECT_EQ("tunnel checkerboard null tinted",
              m["settings.scene"] + " " + m["settings.texture"] + " " + m["settings.bmp"] + " " +
                  m["settings.mipmaps"]);
}

TEST(JsonText, MembersGoIntoAnotherRecord)
{
    JsonText json;
    JsonOpenObject(json, nullptr);
    JsonAddString(json, "kind", "report");
    AddViewRecordMembers(json, ViewRecord{});
    JsonOpenObject(json, "empty");
    JsonCloseObject(json);
    JsonCloseObject(json);
    std::map<std::string, std::string> m;
    ASSERT_TRUE(flat_json::Read(json.text, m)) << json.text;
    EXPECT_EQ("report|tunnel|{}", m["kind"] + "|" + m["settings.scene"] + "|" + m["empty"]);
}

}  // namespace
