#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "capture/command_line.h"

namespace {

#define FIELD(name) [](const CaptureOptions& o) { return o.name; }

TEST(CommandLine, AcceptsEveryOptionAtItsLimits)
{
    const struct {
        std::vector<std::string> arguments;
        std::function<std::optional<int>(const CaptureOptions&)> field;
        int position;
    } rows[] = {
        {{"--scene", "plane"}, FIELD(scene), 0},        {{"--scene", "tunnel"}, FIELD(scene), 1},
        {{"--distance", "0.5"}, FIELD(distance), 5},    {{"--distance", "30.0"}, FIELD(distance), 300},
        {{"--distance", "30"}, FIELD(distance), 300},   {{"--distance", "2.50"}, FIELD(distance), 25},
        {{"--angle", "0"}, FIELD(angle), 0},            {{"--angle", "90.0"}, FIELD(angle), 90},
        {{"--faces", "3"}, FIELD(faces), 3},            {{"--faces", "400"}, FIELD(faces), 400},
        {{"--min-filter", "NEAREST"}, FIELD(minFilter), 0},
        {{"--min-filter", "GL_LINEAR_MIPMAP_LINEAR"}, FIELD(minFilter), 5},
        {{"--mag-filter", "GL_NEAREST"}, FIELD(magFilter), 0},
        {{"--mag-filter", "LINEAR"}, FIELD(magFilter), 1},
        {{"--aniso", "1"}, FIELD(aniso), 0},            {{"--aniso", "16"}, FIELD(aniso), 4},
        {{"--aniso", "16x"}, FIELD(aniso), 4},          {{"--aniso", "1073741824"}, FIELD(aniso), 30},
        {{"--lod-bias", "-8.0"}, FIELD(lodBias), -80},  {{"--lod-bias", "8"}, FIELD(lodBias), 80},
        {{"--lod-bias", "-0.1"}, FIELD(lodBias), -1},   {{"--checker", "-8"}, FIELD(checker), -8},
        {{"--checker", "8"}, FIELD(checker), 8},        {{"--texture", "checkerboard"}, FIELD(texture), 0},
        {{"--mipmaps", "normal"}, FIELD(mipmaps), 0},   {{"--mipmaps", "full"}, FIELD(mipmaps), 2},
        {{"--repeat-u", "0.5"}, FIELD(repeatU), 5},     {{"--repeat-u", "20.0"}, FIELD(repeatU), 200},
        {{"--repeat-v", "0.5"}, FIELD(repeatV), 5},     {{"--repeat-v", "20"}, FIELD(repeatV), 200},
        {{"--stage", "0"}, FIELD(stage), 0},            {{"--scene-rotation", "90"}, FIELD(sceneRotation), 90},
        {{"--texture-rotation", "0.0"}, FIELD(textureRotation), 0},
    };
    for (const auto& row : rows) {
        CaptureOptions options;
        std::string error;
        ASSERT_TRUE(ParseCommandLine(row.arguments, &options, &error)) << error;
        EXPECT_EQ(row.position, row.field(options)) << row.arguments[0] << " " << row.arguments[1];
    }
}

TEST(CommandLine, PathsUpToTheLimit)
{
    CaptureOptions options;
    std::string error;
    const std::string longest(259, 'a');
    ASSERT_TRUE(ParseCommandLine({"--bmp", "C:\\my pictures\\card.bmp", "--texture", "bmp",
                                  "--screenshot", longest.substr(4) + ".PNG"}, &options, &error));
    EXPECT_EQ("C:\\my pictures\\card.bmp", options.bmp.value());
    EXPECT_EQ(259u, options.screenshot->size());
    EXPECT_FALSE(ParseCommandLine({"--bmp", longest + "a"}, &options, &error));
    EXPECT_FALSE(ParseCommandLine({"--screenshot", longest.substr(3) + ".png"}, &options, &error));
    // --picture is --bmp under another name: the same field, once.
    ASSERT_TRUE(ParseCommandLine({"--picture", "card.png", "--texture", "bmp"}, &options, &error));
    EXPECT_EQ("card.png", options.bmp.value());
    EXPECT_FALSE(ParseCommandLine({"--bmp", "a.bmp", "--picture", "b.png"}, &options, &error));
    EXPECT_EQ("--picture: given twice; allowed values: a picture's path: BMP, PNG, JPEG, GIF, TIFF ... (as --bmp)", error);
}

TEST(CommandLine, RefusesWithTheOptionAndItsAllowedValues)
{
    const struct {
        std::vector<std::string> arguments;
        const char* start;    // the line begins with this
        const char* problem;  // and says this
    } rows[] = {
        {{"--distance", "0.4"}, "--distance 0.4: ", "out of range; allowed values: 0.5 .. 30.0 in steps of 0.1"},
        {{"--distance", "30.1"}, "--distance 30.1: ", "out of range"},
        {{"--distance", "2.55"}, "--distance 2.55: ", "between steps"},
        {{"--angle", "-1"}, "--angle -1: ", "out of range; allowed values: 0 .. 90"},
        {{"--angle", "91"}, "--angle 91: ", "out of range"},
        {{"--angle", "45.5"}, "--angle 45.5: ", "between steps"},
        {{"--faces", "2"}, "--faces 2: ", "out of range"},   {{"--faces", "401"}, "--faces 401: ", "out of range"},
        {{"--faces", "200.0"}, "--faces 200.0: ", "not a whole number"},
        {{"--checker", "-9"}, "--checker -9: ", "out of range; allowed values: -8 .. 8"},
        {{"--checker", "9"}, "--checker 9: ", "out of range"},
        {{"--repeat-u", "0.4"}, "--repeat-u 0.4: ", "allowed values: 0.5 .. 20.0 in steps of 0.1"},
        {{"--repeat-v", "20.1"}, "--repeat-v 20.1: ", "out of range"},
        {{"--lod-bias", "8.1"}, "--lod-bias 8.1: ", "out of range"},
        {{"--lod-bias", "-8.1"}, "--lod-bias -8.1: ", "out of range"},
        {{"--scene-rotation", "91"}, "--scene-rotation 91: ", "out of range"},
        {{"--texture-rotation", "-1"}, "--texture-rotation -1: ", "out of range"},
        {{"--stage", "-1"}, "--stage -1: ", "out of range"},
        {{"--aniso", "0"}, "--aniso 0: ", "not a power of two"}, {{"--aniso", "3"}, "--aniso 3: ", "not a power of two"},
        {{"--aniso", "12x"}, "--aniso 12x: ", "not a power of two"},
        {{"--aniso", "2147483648"}, "--aniso 2147483648: ", "not a power of two"},
        {{"--aniso", "x"}, "--aniso x: ", "not a whole number"}, {{"--aniso", "-2"}, "--aniso -2: ", "not a whole"},
        {{"--aniso", "16xx"}, "--aniso 16xx: ", "not a whole number"},
        {{"--min-filter", "linear"}, "--min-filter linear: ", "unknown filter"},
        {{"--min-filter", "GL_"}, "--min-filter GL_: ", "unknown filter"},
        {{"--min-filter", "GL_GL_NEAREST"}, "--min-filter GL_GL_NEAREST: ", "unknown filter"},
        {{"--mag-filter", "NEAREST_MIPMAP_NEAREST"}, "--mag-filter NEAREST_MIPMAP_NEAREST: ",
         "unknown filter; allowed values: NEAREST, LINEAR (GL_ prefix optional)"},
        {{"--scene", "Plane"}, "--scene Plane: ", "unknown value; allowed values: plane, tunnel"},
        {{"--mipmaps", "colored"}, "--mipmaps colored: ", "allowed values: normal, tinted, full"},
        {{"--texture", "bmp"}, "--texture bmp: ", "needs --bmp PATH"},
        {{"--screenshot", "shot.jpg"}, "--screenshot shot.jpg: ", "not a .png name"},
        {{"--screenshot", ".png"}, "--screenshot .png: ", "not a .png name"},
        {{"--bmp", ""}, "--bmp: ", "empty path"},
        {{"--bmp", "a\nb.bmp", "--faces", "1"}, "--faces 1: ", "out of range"},
        {{"--faces", "a\nb"}, "--faces a?b: ", "not a whole number"},
        {{"--distance"}, "--distance: ", "missing value"},
        {{"--distance", "--angle", "5"}, "--distance: ", "missing value"},
        {{"--faces", "3", "--faces", "4"}, "--faces: ", "given twice"},
        {{"--Faces", "3"}, "--Faces: ", "unknown option; allowed options: --scene, --distance, "},
        {{"faces"}, "faces: ", "unknown option"}, {{"-h"}, "-h: ", "unknown option"},
        {{"--bogus", "--help"}, "--bogus: ", "unknown option"},
    };
    for (const auto& row : rows) {
        CaptureOptions options;
        std::string error;
        EXPECT_FALSE(ParseCommandLine(row.arguments, &options, &error)) << row.start;
        EXPECT_EQ(0u, error.find(row.start)) << error;
        EXPECT_NE(std::string::npos, error.find(row.problem)) << error;
        EXPECT_NE(std::string::npos, error.find("; allowed ")) << error;
        EXPECT_EQ(std::string::npos, error.find('\n')) << error;
    }
    for (const char* text : {"", "abc", "1e1", "2.", ".5", " 2", "2 ", "0x10", "2,5", "nan", "inf",
                             "1.2.3", "+-1", "-", "1.-5", "99999999999999999999999"}) {
        CaptureOptions options;
        std::string error;
        EXPECT_FALSE(ParseCommandLine({"--distance", text}, &options, &error)) << text;
    }
}

TEST(CommandLine, HelpEndsTheReading)
{
    CaptureOptions options;
    std::string error;
    ASSERT_TRUE(ParseCommandLine({"--distance", "2", "--help", "--bogus"}, &options, &error));
    EXPECT_TRUE(options.help);
    ASSERT_TRUE(ParseCommandLine({}, &options, &error));
    EXPECT_FALSE(options.help || options.distance);
}

TEST(CommandLine, DriverLimits)
{
    DriverLimits limits;
    limits.anisoSliderMax = 4;
    limits.lodBiasHalfRange = 25;
    limits.textureUnitCount = 8;
    const DriverLimits none;  // no anisotropy, no LOD bias, one unit
    const struct {
        std::vector<std::string> arguments;
        const DriverLimits& limits;
        const char* error;  // empty when the options fit
    } rows[] = {
        {{"--aniso", "16x"}, limits, ""},
        {{"--aniso", "32"}, limits, "--aniso 32: beyond this driver; allowed values: 1, 2, 4, 8, 16"},
        {{"--aniso", "1"}, none, ""},
        {{"--aniso", "2"}, none, "--aniso 2: beyond this driver; allowed values: 1"},
        {{"--lod-bias", "-2.5"}, limits, ""},
        {{"--lod-bias", "2.6"}, limits, "--lod-bias 2.6: beyond this driver; allowed values: -2.5 .. 2.5 in steps of 0.1"},
        {{"--lod-bias", "-2.6"}, limits, "--lod-bias -2.6: beyond this driver"},
        {{"--lod-bias", "-0.1"}, none, "--lod-bias -0.1: beyond this driver; allowed values: 0.0"},
        {{"--lod-bias", "0"}, none, ""},
        {{"--stage", "7"}, limits, ""},
        {{"--stage", "8"}, limits, "--stage 8: beyond this driver; allowed values: 0 .. 7"},
        {{"--stage", "1"}, none, "--stage 1: beyond this driver; allowed values: 0 .. 0"},
    };
    for (const auto& row : rows) {
        CaptureOptions options;
        std::string error;
        ASSERT_TRUE(ParseCommandLine(row.arguments, &options, &error)) << error;
        const std::string found = CheckDriverLimits(options, row.limits);
        EXPECT_EQ(0u, found.find(row.error)) << found;
        EXPECT_EQ(*row.error == '\0', found.empty()) << found;
    }
}

TEST(CommandLine, RecordNameBesideThePicture)
{
    EXPECT_EQ("shot.json", JsonPathFor("shot.png"));
    EXPECT_EQ("C:\\out\\Shot.json", JsonPathFor("C:\\out\\Shot.PNG"));
    EXPECT_EQ("a.png.json", JsonPathFor("a.png.png"));
    EXPECT_EQ("picture.json", JsonPathFor("picture"));
}

}  // namespace
