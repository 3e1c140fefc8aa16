// A small writer of indented JSON text: objects, strings, numbers, null.
#pragma once

#include <string>
#include <vector>

struct JsonText {
    std::string text;
    std::vector<bool> hasMembers;  // one entry per open object
};

// `key` is null for the outermost object.
void JsonOpenObject(JsonText& json, const char* key);
void JsonCloseObject(JsonText& json);
void JsonAddString(JsonText& json, const char* key, const std::string& utf8);
void JsonAddNull(JsonText& json, const char* key);
void JsonAddInteger(JsonText& json, const char* key, long long value);
// A number with one decimal, as the panel's labels show it: 10.5, -2.0.
void JsonAddOneDecimal(JsonText& json, const char* key, double value);

// The string as a JSON literal with its quotes. Bytes that are not UTF-8 become
// U+FFFD, so the result is always valid UTF-8 and valid JSON.
std::string JsonQuoted(const std::string& utf8);

// A number with the given decimals (trailing zeros kept); null when not finite.
void JsonAddNumber(JsonText& json, const char* key, double value, int decimals);
void JsonAddBool(JsonText& json, const char* key, bool value);
// Arrays: their elements are added with a null key.
void JsonOpenArray(JsonText& json, const char* key);
void JsonCloseArray(JsonText& json);
