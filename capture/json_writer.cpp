#include "capture/json_writer.h"

#include <cmath>
#include <cstdio>

namespace {

// Length of the UTF-8 sequence at `at`, or 0 when it is not well formed
// (overlong forms, surrogates and values past U+10FFFF included).
size_t Utf8SequenceLength(const std::string& s, size_t at)
{
    const unsigned char c = static_cast<unsigned char>(s[at]);
    size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (c >= 0xC2 && c <= 0xDF) {
        length = 2;
    } else if (c >= 0xE0 && c <= 0xEF) {
        length = 3;
        if (c == 0xE0)
            low = 0xA0;
        if (c == 0xED)
            high = 0x9F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        length = 4;
        if (c == 0xF0)
            low = 0x90;
        if (c == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > s.size())
        return 0;
    for (size_t i = 1; i < length; ++i) {
        const unsigned char next = static_cast<unsigned char>(s[at + i]);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

void BeginMember(JsonText& json, const char* key)
{
    if (!json.hasMembers.empty()) {
        json.text += json.hasMembers.back() ? ",\n" : "\n";
        json.hasMembers.back() = true;
        json.text.append(json.hasMembers.size() * 2, ' ');
    }
    if (key != nullptr)
        json.text += JsonQuoted(key) + ": ";
}

}  // namespace

std::string JsonQuoted(const std::string& utf8)
{
    std::string out = "\"";
    for (size_t at = 0; at < utf8.size();) {
        const unsigned char c = static_cast<unsigned char>(utf8[at]);
        if (c >= 0x80) {
            const size_t length = Utf8SequenceLength(utf8, at);
            if (length == 0) {
                out += "\xEF\xBF\xBD";
                ++at;
            } else {
                out.append(utf8, at, length);
                at += length;
            }
            continue;
        }
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (c < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof(escape), "\\u%04x", c);
                out += escape;
            } else {
                out += static_cast<char>(c);
            }
        }
        ++at;
    }
    return out + "\"";
}

void JsonOpenObject(JsonText& json, const char* key)
{
    BeginMember(json, key);
    json.text += "{";
    json.hasMembers.push_back(false);
}

void JsonCloseObject(JsonText& json)
{
    const bool hadMembers = json.hasMembers.back();
    json.hasMembers.pop_back();
    if (hadMembers) {
        json.text += "\n";
        json.text.append(json.hasMembers.size() * 2, ' ');
    }
    json.text += "}";
    if (json.hasMembers.empty())
        json.text += "\n";
}

void JsonAddString(JsonText& json, const char* key, const std::string& utf8)
{
    BeginMember(json, key);
    json.text += JsonQuoted(utf8);
}

void JsonAddNull(JsonText& json, const char* key)
{
    BeginMember(json, key);
    json.text += "null";
}

void JsonAddInteger(JsonText& json, const char* key, long long value)
{
    BeginMember(json, key);
    json.text += std::to_string(value);
}

void JsonAddOneDecimal(JsonText& json, const char* key, double value)
{
    if (!std::isfinite(value)) {
        JsonAddNull(json, key);
        return;
    }
    char number[64];
    // -0.04 would print as "-0.0"; a one-decimal value of zero has no sign.
    std::snprintf(number, sizeof(number), "%.1f", value);
    BeginMember(json, key);
    json.text += std::string(number) == "-0.0" ? "0.0" : number;
}

void JsonAddNumber(JsonText& json, const char* key, double value, int decimals)
{
    if (!std::isfinite(value)) {
        JsonAddNull(json, key);
        return;
    }
    char number[64];
    std::snprintf(number, sizeof(number), "%.*f", decimals, value);
    // A value that rounds to zero has no sign.
    bool zero = true;
    for (const char* c = number; *c != '\0'; ++c)
        zero = zero && (*c == '-' || *c == '0' || *c == '.');
    BeginMember(json, key);
    json.text += zero && number[0] == '-' ? number + 1 : number;
}

void JsonAddBool(JsonText& json, const char* key, bool value)
{
    BeginMember(json, key);
    json.text += value ? "true" : "false";
}

void JsonOpenArray(JsonText& json, const char* key)
{
    BeginMember(json, key);
    json.text += "[";
    json.hasMembers.push_back(false);
}

void JsonCloseArray(JsonText& json)
{
    const bool hadMembers = json.hasMembers.back();
    json.hasMembers.pop_back();
    if (hadMembers) {
        json.text += "\n";
        json.text.append(json.hasMembers.size() * 2, ' ');
    }
    json.text += "]";
}
