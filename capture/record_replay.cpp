#include "capture/record_replay.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include <nlohmann/json.hpp>

namespace {

enum SettingKind { Name, OneDecimal, Whole, DecimalList };

struct SettingRow {
    const char* key;
    const char* option;
    SettingKind kind;
};

// Every member of a record's "settings", as capture/view_record.cpp writes them.
const SettingRow settingTable[] = {
    {"scene", "--scene", Name},
    {"distance", "--distance", OneDecimal},
    {"angle", "--angle", OneDecimal},
    {"faces", "--faces", Whole},
    {"minFilter", "--min-filter", Name},
    {"magFilter", "--mag-filter", Name},
    {"anisotropy", "--aniso", Whole},
    {"lodBias", "--lod-bias", OneDecimal},
    {"texture", "--texture", Name},
    {"checker", "--checker", Whole},
    {"bmp", "--bmp", Name},
    {"mipmaps", "--mipmaps", Name},
    {"repeatU", "--repeat-u", OneDecimal},
    {"repeatV", "--repeat-v", OneDecimal},
    {"stage", "--stage", Whole},
    {"sceneRotation", "--scene-rotation", OneDecimal},
    {"textureRotation", "--texture-rotation", OneDecimal},
    {"unitLodBiases", "--unit-lod-biases", DecimalList},
    {"checkerMipmaps", "--checker-mipmaps", Name},
    {"bmpMipmaps", "--bmp-mipmaps", Name},
};

std::string Decimal(double value)
{
    char text[48];
    std::snprintf(text, sizeof(text), "%.1f", value);
    return std::strcmp(text, "-0.0") == 0 ? "0.0" : text;
}

// The option's value, or false when the member is not of the setting's kind.
bool ValueText(const SettingRow& row, const nlohmann::json& value, std::string* text)
{
    switch (row.kind) {
    case Name:
        if (!value.is_string())
            return false;
        *text = value.get<std::string>();
        return true;
    case OneDecimal:
        if (!value.is_number() || !std::isfinite(value.get<double>()))
            return false;
        *text = Decimal(value.get<double>());
        return true;
    case Whole:
        if (!value.is_number_integer())
            return false;
        *text = std::to_string(value.get<long long>());
        return true;
    case DecimalList:
        if (!value.is_array())
            return false;
        text->clear();
        for (const nlohmann::json& item : value) {
            if (!item.is_number() || !std::isfinite(item.get<double>()))
                return false;
            *text += (text->empty() ? "" : ",") + Decimal(item.get<double>());
        }
        return true;
    }
    return false;
}

// A key as an error line may show it: control characters would break the line.
std::string Shown(std::string key)
{
    for (char& c : key)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F)
            c = '?';
    return key;
}

const SettingRow* RowFor(const std::string& key)
{
    for (const SettingRow& row : settingTable)
        if (key == row.key)
            return &row;
    return nullptr;
}

}  // namespace

bool RecordArguments(const std::string& recordText, std::vector<std::string>* arguments,
                     std::string* reason)
{
    arguments->clear();
    const nlohmann::json record = nlohmann::json::parse(recordText, nullptr, false);
    if (record.is_discarded() || !record.is_object()) {
        *reason = record.is_discarded() ? "not valid JSON" : "not a JSON object";
        return false;
    }
    const auto settings = record.find("settings");
    if (settings == record.end() || !settings->is_object()) {
        *reason = "not a capture record (no settings)";
        return false;
    }
    for (auto it = settings->begin(); it != settings->end(); ++it) {
        const SettingRow* row = RowFor(it.key());
        const std::string name = "settings." + Shown(it.key());
        if (row == nullptr) {
            *reason = name + ": not a setting this program knows";
            arguments->clear();
            return false;
        }
        // A null is a texture that was never loaded; an empty list, a driver
        // without per-unit biases: nothing to set either way.
        if (it.value().is_null() || (it.value().is_array() && it.value().empty()))
            continue;
        std::string text;
        if (!ValueText(*row, it.value(), &text)) {
            *reason = name + ": not a value of this setting";
            arguments->clear();
            return false;
        }
        arguments->push_back(row->option);
        arguments->push_back(text);
    }
    return true;
}
