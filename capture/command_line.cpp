#include "capture/command_line.h"

#include <cstring>

#include "ui/settings_values.h"

namespace {

enum ValueKind { Flag, Choice, FilterName, Integer, Tenths, TenthsList, Anisotropy, Path, PngPath };

const char* const sceneNames[] = {"plane", "tunnel", nullptr};
const char* const textureNames[] = {"checkerboard", "bmp", nullptr};
const char* const mipmapNames[] = {"normal", "tinted", "full", nullptr};  // MipmapMode order

const int pathCapacity = 260;  // MAX_PATH, with the terminator

// One option. Numbers are control positions; a Tenths value v stands for the
// position v / tenthsPerStep. FilterName takes the first `maximum` rows of
// filterTable. `allowed` replaces the generated text of the allowed values.
struct OptionRow {
    const char* name;
    const char* valueName;
    ValueKind kind;
    int minimum;
    int maximum;
    int tenthsPerStep;
    const char* const* choices;
    std::optional<int> CaptureOptions::*number;
    std::optional<std::string> CaptureOptions::*text;
    const char* allowed;
    std::optional<std::vector<int>> CaptureOptions::*list = nullptr;
};

// A texture unit count no driver exceeds.
const int mostUnits = 32;

// Adding an option: a row here, a field in CaptureOptions, and its use.
const OptionRow optionTable[] = {
    {"--scene", "plane|tunnel", Choice, 0, 0, 0, sceneNames, &CaptureOptions::scene, nullptr, nullptr},
    {"--distance", "D", Tenths, 5, 300, 1, nullptr, &CaptureOptions::distance, nullptr, nullptr},
    {"--angle", "DEG", Tenths, 0, 90, 10, nullptr, &CaptureOptions::angle, nullptr, nullptr},
    {"--faces", "N", Integer, 3, 400, 0, nullptr, &CaptureOptions::faces, nullptr, nullptr},
    {"--min-filter", "NAME", FilterName, 0, minFilterCount, 0, nullptr, &CaptureOptions::minFilter,
     nullptr, nullptr},
    {"--mag-filter", "NAME", FilterName, 0, magFilterCount, 0, nullptr, &CaptureOptions::magFilter,
     nullptr, nullptr},
    {"--aniso", "N", Anisotropy, 0, 30, 0, nullptr, &CaptureOptions::aniso, nullptr,
     "1, 2, 4 ... up to the driver's maximum (16 or 16x)"},
    {"--lod-bias", "B", Tenths, -80, 80, 1, nullptr, &CaptureOptions::lodBias, nullptr,
     "-8.0 .. 8.0 in steps of 0.1, within the driver's range"},
    {"--checker", "E", Integer, -8, 8, 0, nullptr, &CaptureOptions::checker, nullptr, nullptr},
    {"--bmp", "PATH", Path, 0, 0, 0, nullptr, nullptr, &CaptureOptions::bmp,
     "a BMP file's path (up to 259 characters)"},
    {"--picture", "PATH", Path, 0, 0, 0, nullptr, nullptr, &CaptureOptions::bmp,
     "a picture's path: BMP, PNG, JPEG, GIF, TIFF ... (as --bmp)"},
    {"--texture", "checkerboard|bmp", Choice, 0, 0, 0, textureNames, &CaptureOptions::texture,
     nullptr, nullptr},
    {"--mipmaps", "normal|tinted|full", Choice, 0, 0, 0, mipmapNames, &CaptureOptions::mipmaps,
     nullptr, nullptr},
    {"--repeat-u", "U", Tenths, 5, 200, 1, nullptr, &CaptureOptions::repeatU, nullptr, nullptr},
    {"--repeat-v", "V", Tenths, 5, 200, 1, nullptr, &CaptureOptions::repeatV, nullptr, nullptr},
    {"--stage", "N", Integer, 0, 999, 0, nullptr, &CaptureOptions::stage, nullptr,
     "0 .. the driver's texture units - 1"},
    {"--scene-rotation", "DEG", Tenths, 0, 90, 10, nullptr, &CaptureOptions::sceneRotation,
     nullptr, nullptr},
    {"--texture-rotation", "DEG", Tenths, 0, 90, 10, nullptr, &CaptureOptions::textureRotation,
     nullptr, nullptr},
    {"--screenshot", "FILE.png", PngPath, 0, 0, 0, nullptr, nullptr, &CaptureOptions::screenshot,
     "a path ending in .png (up to 259 characters)"},
    {"--measure", "DIR", Path, 0, 0, 0, nullptr, nullptr, &CaptureOptions::measure,
     "a folder's path (up to 259 characters); made if missing"},
    {"--expect", "FILE.json", Path, 0, 0, 0, nullptr, nullptr, &CaptureOptions::expect,
     "a JSON file of bounds on the report's figures (with --measure)"},
    {"--unit-lod-biases", "B0,B1,...", TenthsList, -80, 80, 1, nullptr, nullptr, nullptr,
     "one LOD bias per texture unit from unit 0, comma-separated, each as --lod-bias",
     &CaptureOptions::unitLodBiases},
    {"--checker-mipmaps", "normal|tinted|full", Choice, 0, 0, 0, mipmapNames,
     &CaptureOptions::checkerMipmaps, nullptr, nullptr},
    {"--bmp-mipmaps", "normal|tinted|full", Choice, 0, 0, 0, mipmapNames,
     &CaptureOptions::bmpMipmaps, nullptr, nullptr},
    {"--replay", "RECORD.json", Path, 0, 0, 0, nullptr, nullptr, &CaptureOptions::replay,
     "a capture record's path (up to 259 characters)"},
    {"--help", nullptr, Flag, 0, 0, 0, nullptr, nullptr, nullptr, nullptr},
};

// "-1.5", "30.0", "2": tenths, with one decimal at most.
std::string FormatTenths(long long tenths)
{
    const long long whole = tenths / 10;
    const long long tenth = tenths % 10;
    std::string text = tenths < 0 && whole == 0 ? "-" : "";
    text += std::to_string(whole) + "." + std::to_string(tenth < 0 ? -tenth : tenth);
    return text;
}

std::string JoinChoices(const char* const* choices)
{
    std::string text;
    for (int i = 0; choices[i] != nullptr; ++i)
        text += (i > 0 ? ", " : "") + std::string(choices[i]);
    return text;
}

std::string AllowedValues(const OptionRow& row)
{
    if (row.allowed != nullptr)
        return row.allowed;
    switch (row.kind) {
    case Choice:
        return JoinChoices(row.choices);
    case FilterName: {
        std::string text;
        for (int i = 0; i < row.maximum; ++i)
            text += (i > 0 ? ", " : "") + std::string(filterTable[i].text);
        return text + " (GL_ prefix optional)";
    }
    case Integer:
        return std::to_string(row.minimum) + " .. " + std::to_string(row.maximum);
    case Tenths:
        if (row.tenthsPerStep == 10)
            return std::to_string(row.minimum) + " .. " + std::to_string(row.maximum);
        return FormatTenths(row.minimum) + " .. " + FormatTenths(row.maximum) + " in steps of 0.1";
    default:
        return "none";
    }
}

// The argument as the error line shows it: control characters would break the line.
std::string Shown(const std::string& argument)
{
    std::string shown = argument;
    for (char& c : shown)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return shown;
}

std::string Complaint(const OptionRow& row, const std::string& value, const char* problem)
{
    std::string line = row.name;
    if (!value.empty())
        line += " " + Shown(value);
    return line + ": " + problem + "; allowed values: " + AllowedValues(row);
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

enum NumberVerdict { NotANumber, BetweenSteps, Number };

// [+-]digits[.digits] in tenths; digits past the first decimal must be zeros.
// Huge numbers saturate, so they stay out of every range.
NumberVerdict ReadTenths(const std::string& text, long long* tenths)
{
    size_t at = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (!text.empty() && (text[0] == '-' || text[0] == '+'))
        at = 1;
    if (at >= text.size() || !IsDigit(text[at]))
        return NotANumber;
    long long value = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at)
        value = value > 100000000000LL ? value : value * 10 + (text[at] - '0');
    value *= 10;
    bool onStep = true;
    if (at < text.size() && text[at] == '.') {
        ++at;
        if (at >= text.size() || !IsDigit(text[at]))
            return NotANumber;
        value += text[at++] - '0';
        for (; at < text.size() && IsDigit(text[at]); ++at)
            onStep = onStep && text[at] == '0';
    }
    if (at != text.size())
        return NotANumber;
    *tenths = negative ? -value : value;
    return onStep ? Number : BetweenSteps;
}

// Whole numbers only: [+-]digits.
bool ReadInteger(const std::string& text, long long* value)
{
    long long tenths = 0;
    if (text.find('.') != std::string::npos || ReadTenths(text, &tenths) != Number)
        return false;
    *value = tenths / 10;
    return true;
}

bool EndsWithPng(const std::string& path)
{
    if (path.size() <= 4)
        return false;
    const std::string end = path.substr(path.size() - 4);
    return end[0] == '.' && (end[1] | 0x20) == 'p' && (end[2] | 0x20) == 'n' &&
           (end[3] | 0x20) == 'g';
}

// Reads one option's value into `options`; false with `error` set.
bool ReadValue(const OptionRow& row, const std::string& value, CaptureOptions* options,
               std::string* error)
{
    long long number = 0;
    switch (row.kind) {
    case Choice:
        for (int i = 0; row.choices[i] != nullptr; ++i)
            if (value == row.choices[i]) {
                options->*row.number = i;
                return true;
            }
        *error = Complaint(row, value, "unknown value");
        return false;
    case FilterName: {
        const std::string name = value.compare(0, 3, "GL_") == 0 ? value.substr(3) : value;
        for (int i = 0; i < row.maximum; ++i)
            if (name == filterTable[i].text) {
                options->*row.number = i;
                return true;
            }
        *error = Complaint(row, value, "unknown filter");
        return false;
    }
    case Integer:
        if (!ReadInteger(value, &number)) {
            *error = Complaint(row, value, "not a whole number");
            return false;
        }
        break;
    case Tenths:
        switch (ReadTenths(value, &number)) {
        case NotANumber:
            *error = Complaint(row, value, "not a number");
            return false;
        case BetweenSteps:
            *error = Complaint(row, value, "between steps");
            return false;
        case Number:
            if (number % row.tenthsPerStep != 0) {
                *error = Complaint(row, value, "between steps");
                return false;
            }
            number /= row.tenthsPerStep;
            break;
        }
        break;
    case TenthsList: {
        std::vector<int> values;
        size_t at = 0;
        for (;;) {
            const size_t comma = value.find(',', at);
            const std::string item = value.substr(at, comma == std::string::npos ? comma : comma - at);
            const NumberVerdict verdict = ReadTenths(item, &number);
            if (verdict != Number || values.size() >= static_cast<size_t>(mostUnits)) {
                *error = Complaint(row, value, verdict == NotANumber    ? "not a list of numbers"
                                               : verdict == BetweenSteps ? "between steps"
                                                                         : "more values than units");
                return false;
            }
            if (number < row.minimum || number > row.maximum) {
                *error = Complaint(row, value, "out of range");
                return false;
            }
            values.push_back(static_cast<int>(number));
            if (comma == std::string::npos)
                break;
            at = comma + 1;
        }
        options->*row.list = values;
        return true;
    }
    case Anisotropy: {
        const std::string digits =
            !value.empty() && (value.back() == 'x' || value.back() == 'X')
                ? value.substr(0, value.size() - 1) : value;
        if (!ReadInteger(digits, &number) || digits[0] == '+' || digits[0] == '-') {
            *error = Complaint(row, value, "not a whole number");
            return false;
        }
        int exponent = 0;
        while (exponent <= row.maximum && (1LL << exponent) < number)
            ++exponent;
        if (exponent > row.maximum || (1LL << exponent) != number) {
            *error = Complaint(row, value, "not a power of two");
            return false;
        }
        number = exponent;
        break;
    }
    case Path:
    case PngPath:
        if (value.empty() || value.size() >= static_cast<size_t>(pathCapacity)) {
            *error = Complaint(row, value, value.empty() ? "empty path" : "path too long");
            return false;
        }
        if (row.kind == PngPath && !EndsWithPng(value)) {
            *error = Complaint(row, value, "not a .png name");
            return false;
        }
        options->*row.text = value;
        return true;
    case Flag:
        return true;
    }
    if (number < row.minimum || number > row.maximum) {
        *error = Complaint(row, value, "out of range");
        return false;
    }
    options->*row.number = static_cast<int>(number);
    return true;
}

std::string OptionNames()
{
    std::string names;
    for (const OptionRow& row : optionTable)
        names += (names.empty() ? "" : ", ") + std::string(row.name);
    return names;
}

bool IsGiven(const OptionRow& row, const CaptureOptions& options)
{
    if (row.number != nullptr)
        return (options.*row.number).has_value();
    if (row.text != nullptr)
        return (options.*row.text).has_value();
    if (row.list != nullptr)
        return (options.*row.list).has_value();
    return false;
}

const OptionRow& RowNamed(const char* name)
{
    for (const OptionRow& row : optionTable)
        if (std::strcmp(row.name, name) == 0)
            return row;
    return optionTable[0];
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& arguments, CaptureOptions* options,
                      std::string* error)
{
    *options = CaptureOptions{};
    for (size_t i = 0; i < arguments.size(); ++i) {
        const OptionRow* row = nullptr;
        for (const OptionRow& candidate : optionTable)
            if (arguments[i] == candidate.name)
                row = &candidate;
        if (row == nullptr) {
            *error = Shown(arguments[i]) + ": unknown option; allowed options: " + OptionNames();
            return false;
        }
        if (row->kind == Flag) {
            options->help = true;
            return true;
        }
        if (IsGiven(*row, *options)) {
            *error = Complaint(*row, "", "given twice");
            return false;
        }
        // Every option takes a value; an option name in its place means none.
        if (i + 1 >= arguments.size() || arguments[i + 1].compare(0, 2, "--") == 0) {
            *error = Complaint(*row, "", "missing value");
            return false;
        }
        if (!ReadValue(*row, arguments[++i], options, error))
            return false;
    }
    if (!options->replay)
        *error = CheckCombination(*options);
    return options->replay || error->empty();
}

std::string CheckCombination(const CaptureOptions& options)
{
    if (options.texture == 1 && !options.bmp)
        return Complaint(RowNamed("--texture"), "bmp", "needs --bmp PATH");
    if (options.bmpMipmaps && !options.bmp)
        return Complaint(RowNamed("--bmp-mipmaps"), mipmapNames[*options.bmpMipmaps],
                         "needs --bmp PATH");
    if (options.expect && !options.measure)
        return Complaint(RowNamed("--expect"), *options.expect, "needs --measure DIR");
    return "";
}

CaptureOptions MergeOptions(const CaptureOptions& fromRecord, const CaptureOptions& fromLine)
{
    CaptureOptions merged = fromRecord;
    for (const OptionRow& row : optionTable) {
        if (!IsGiven(row, fromLine))
            continue;
        if (row.number != nullptr)
            merged.*row.number = fromLine.*row.number;
        if (row.text != nullptr)
            merged.*row.text = fromLine.*row.text;
        if (row.list != nullptr)
            merged.*row.list = fromLine.*row.list;
    }
    merged.help = fromLine.help;
    return merged;
}

std::string CheckDriverLimits(const CaptureOptions& options, const DriverLimits& limits)
{
    if (options.aniso && *options.aniso > limits.anisoSliderMax) {
        std::string allowed;
        for (int p = 0; p <= limits.anisoSliderMax; ++p)
            allowed += (p > 0 ? ", " : "") + std::to_string(1 << p);
        return "--aniso " + std::to_string(1 << *options.aniso) +
               ": beyond this driver; allowed values: " + allowed;
    }
    if (options.lodBias && (*options.lodBias > limits.lodBiasHalfRange ||
                            *options.lodBias < -limits.lodBiasHalfRange)) {
        const std::string allowed =
            limits.lodBiasHalfRange == 0
                ? "0.0"
                : FormatTenths(-limits.lodBiasHalfRange) + " .. " +
                      FormatTenths(limits.lodBiasHalfRange) + " in steps of 0.1";
        return "--lod-bias " + FormatTenths(*options.lodBias) +
               ": beyond this driver; allowed values: " + allowed;
    }
    if (options.unitLodBiases) {
        const std::vector<int>& biases = *options.unitLodBiases;
        std::string text;
        for (size_t i = 0; i < biases.size(); ++i)
            text += (i > 0 ? "," : "") + FormatTenths(biases[i]);
        for (int bias : biases)
            if (bias > limits.lodBiasHalfRange || bias < -limits.lodBiasHalfRange)
                return "--unit-lod-biases " + text + ": beyond this driver; allowed values: " +
                       (limits.lodBiasHalfRange == 0
                            ? std::string("0.0")
                            : FormatTenths(-limits.lodBiasHalfRange) + " .. " +
                                  FormatTenths(limits.lodBiasHalfRange) + " in steps of 0.1");
        if (static_cast<int>(biases.size()) > limits.textureUnitCount)
            return "--unit-lod-biases " + text + ": beyond this driver; allowed values: up to " +
                   std::to_string(limits.textureUnitCount) + " biases, one per texture unit";
    }
    if (options.stage && *options.stage >= limits.textureUnitCount)
        return "--stage " + std::to_string(*options.stage) +
               ": beyond this driver; allowed values: 0 .. " +
               std::to_string(limits.textureUnitCount - 1);
    return "";
}

std::string UsageText()
{
    std::string text =
        "Usage: quorvane [options]\n"
        "Each option sets a control of the Settings panel as a user would, once the\n"
        "program has started. With --screenshot the frame is written as PNG, with a\n"
        "JSON record of the settings beside it, and the program ends. With --measure\n"
        "the driver's level-of-detail figures are measured and written to DIR as\n"
        "report.json and report.png, and the program ends.\n\n";
    for (const OptionRow& row : optionTable) {
        std::string left = "  " + std::string(row.name);
        if (row.valueName != nullptr)
            left += " " + std::string(row.valueName);
        if (left.size() < 36)
            left.resize(36, ' ');
        else
            left += " ";
        text += left + (row.kind == Flag ? "this text" : AllowedValues(row)) + "\n";
    }
    return text + "\n  --compare A B --out DIR             compare two report folders or two "
                  "capture records' PNG files;\n"
                  "                                    writes DIR/compare.json and "
                  "DIR/compare.png, without a window\n";
}

std::string JsonPathFor(const std::string& pngPath)
{
    if (EndsWithPng(pngPath))
        return pngPath.substr(0, pngPath.size() - 4) + ".json";
    return pngPath + ".json";
}
