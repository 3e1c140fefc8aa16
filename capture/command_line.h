// The command line: options that set the panel's controls, --screenshot and
// --help. Plain code; the driver's limits are checked in a second step.
#pragma once

#include <optional>
#include <string>
#include <vector>

// What the command line asks for; an absent option leaves its control alone.
// Numbers are control positions: distance, LOD bias and repeats in tenths,
// angles and rotations in degrees, anisotropy as the exponent of 2, lists and
// radio groups as the index of their choice.
struct CaptureOptions {
    std::optional<int> scene;  // 0 plane, 1 tunnel
    std::optional<int> distance;
    std::optional<int> angle;
    std::optional<int> faces;
    std::optional<int> minFilter;  // index into filterTable
    std::optional<int> magFilter;
    std::optional<int> aniso;
    std::optional<int> lodBias;
    std::optional<int> checker;
    std::optional<std::string> bmp;
    std::optional<int> texture;  // 0 checkerboard, 1 bmp
    std::optional<int> mipmaps;  // a MipmapMode
    std::optional<int> repeatU;
    std::optional<int> repeatV;
    std::optional<int> stage;
    std::optional<int> sceneRotation;
    std::optional<int> textureRotation;
    std::optional<std::string> screenshot;
    std::optional<std::string> measure;  // the report's folder
    std::optional<std::string> expect;   // bounds on the report's figures
    // What the panel does not show: the bias each unit keeps (tenths, from
    // unit 0) and the colouring each texture was built with.
    std::optional<std::vector<int>> unitLodBiases;
    std::optional<int> checkerMipmaps;
    std::optional<int> bmpMipmaps;
    std::optional<std::string> replay;  // a capture record whose settings apply first
    bool help = false;
};

// Reads the arguments (without the program's name). False with `error` set to
// one line naming the option and its allowed values. --help ends the reading:
// what follows it is not looked at. With --replay the options that need
// another are not checked here but by CheckCombination once the record's
// options are merged in.
bool ParseCommandLine(const std::vector<std::string>& arguments, CaptureOptions* options,
                      std::string* error);

// Empty when every option that needs another has it (--texture bmp needs
// --bmp, --bmp-mipmaps needs --bmp, --expect needs --measure), else the
// error line.
std::string CheckCombination(const CaptureOptions& options);

// The record's options with those of the line over them: the line's own
// options win, as if the record's came first.
CaptureOptions MergeOptions(const CaptureOptions& fromRecord, const CaptureOptions& fromLine);

// The limits that only the running driver knows (see the panel's sliders).
struct DriverLimits {
    int anisoSliderMax = 0;     // largest anisotropy exponent
    int lodBiasHalfRange = 0;   // LOD bias range in tenths, each way
    int textureUnitCount = 1;
};

// Empty when the options fit the driver, else the error line.
std::string CheckDriverLimits(const CaptureOptions& options, const DriverLimits& limits);

// The --help text, one option a line.
std::string UsageText();

// FILE.png gives FILE.json; a name without ".png" gets ".json" added.
std::string JsonPathFor(const std::string& pngPath);
