#include <gtest/gtest.h>

#include <map>
#include <string>

#include "capture/json_writer.h"
#include "capture/view_record.h"
#include "common/flat_json.h"

namespace {

TEST(JsonText, StringsAreEscapedAndKeptValidUtf8)
{
    const struct {
        std::string in;
        std::string out;
    } rows[] = {
        {"plain", "\"plain\""},
        {"C:\\pictures\\card.bmp", "\"C:\\\\pictures\\\\card.bmp\""},
        {"say \"hi\"", "\"say \\\"hi\\\"\""},
        {"a\nb\tc\rd\be\ff", "\"a\\nb\\tc\\rd\\be\\ff\""},
        {std::string("\x01\x1f\x7f", 3), "\"\\u0001\\u001f\x7f\""},
        {std::string("nul\0end", 7), "\"nul\\u0000end\""},
        {"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80", "\"caf\xC3\xA9 \xE2\x82\xAC \xF0\x9F\x98\x80\""},
        {"ANSI \xB0", "\"ANSI \xEF\xBF\xBD\""},             // a lone byte of code page 1252
        {"cut \xE2\x82", "\"cut \xEF\xBF\xBD\xEF\xBF\xBD\""},  // sequence cut short
        {"\xC0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},          // overlong
        {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},  // surrogate
        {"\xF4\x90\x80\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},  // past U+10FFFF
    };
    for (const auto& row : rows)
        EXPECT_EQ(row.out, JsonQuoted(row.in)) << row.in;
}

TEST(JsonText, RecordReadsBackWithEveryKey)
{
    ViewRecord record;
    record.program = "Quorvane \"test\"";
    record.vendor = "Mesa";
    record.renderer = "llvmpipe (LLVM 15.0.6, 256 bits)";
    record.version = "4.5 (Compatibility Profile) Mesa 22.3.6";
    ViewSettings& s = record.settings;
    s.scenePlane = true;
    s.distance = 305 * 0.1;  // 30.500000000000004
    s.angle = 45.0;
    s.faces = 3;
    s.minFilter = "NEAREST_MIPMAP_LINEAR";
    s.magFilter = "NEAREST";
    s.anisotropy = 16;
    s.lodBias = -15 * 0.1;
    s.bitmapShown = true;
    s.checker = -8;
    s.bmp = "C:\\t\xC3\xA9st\\\"card\".bmp";
    s.mipmaps = 2;
    s.repeatU = 105 * 0.1;
    s.repeatV = 3 * 0.1;
    s.stage = 7;
    s.sceneRotation = 90.0;
    s.textureRotation = 0.0;

    std::map<std::string, std::string> m;
    ASSERT_TRUE(flat_json::Read(ViewRecordJson(record), m)) << ViewRecordJson(record);
    const std::map<std::string, std::string> expected = {
        {"program", "Quorvane \"test\""},
        {"driver", "{}"},
        {"driver.vendor", "Mesa"},
        {"driver.renderer", "llvmpipe (LLVM 15.0.6, 256 bits)"},
        {"driver.version", "4.5 (Compatibility Profile) Mesa 22.3.6"},
        {"settings", "{}"},
        {"settings.scene", "plane"},
        {"settings.distance", "30.5"},
        {"settings.angle", "45.0"},
        {"settings.faces", "3"},
        {"settings.minFilter", "NEAREST_MIPMAP_LINEAR"},
        {"settings.magFilter", "NEAREST"},
        {"settings.anisotropy", "16"},
        {"settings.lodBias", "-1.5"},
        {"settings.texture", "bmp"},
        {"settings.checker", "-8"},
        {"settings.bmp", "C:\\t\xC3\xA9st\\\"card\".bmp"},
        {"settings.mipmaps", "full"},
        {"settings.repeatU", "10.5"},
        {"settings.repeatV", "0.3"},
        {"settings.stage", "7"},
        {"settings.sceneRotation", "90.0"},
        {"settings.textureRotation", "0.0"},
    };
    EXPECT_EQ(expected, m);

    s.scenePlane = false;
    s.bitmapShown = false;
    s.bmp.clear();
    s.mipmaps = 1;
    ASSERT_TRUE(flat_json::Read(ViewRecordJson(record), m));
    EXPECT_EQ("tunnel", m["settings.scene"]);
    EXPECT_EQ("checkerboard", m["settings.texture"]);
    EXPECT_EQ("null", m["settings.bmp"]);
    EXPECT_EQ("tinted", m["settings.mipmaps"]);
}

TEST(JsonText, MembersGoIntoAnotherRecord)
{
    JsonText json;
    JsonOpenObject(json, nullptr);
    JsonAddString(json, "kind", "report");
    AddViewRecordMembers(json, ViewRecord{});
    JsonOpenObject(json, "empty");
    JsonCloseObject(json);
    JsonAddOneDecimal(json, "tiny", -0.04);
    JsonCloseObject(json);
    std::map<std::string, std::string> m;
    ASSERT_TRUE(flat_json::Read(json.text, m)) << json.text;
    EXPECT_EQ("report", m["kind"]);
    EXPECT_EQ("", m["driver.vendor"]);
    EXPECT_EQ("tunnel", m["settings.scene"]);
    EXPECT_EQ("{}", m["empty"]);
    EXPECT_EQ("0.0", m["tiny"]);
}

}  // namespace
