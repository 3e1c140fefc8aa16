// A strict reader of the JSON the tests get back: objects, arrays, strings,
// numbers, true, false and null, flattened to "outer.inner" -> value (an
// object's own entry is "{}", an array's "[]" and its elements "outer.0" ...).
// Strings are unescaped, with \u only below U+0080, the only ones our writer
// makes; numbers, true, false and null keep their text. False on anything else.
#pragma once

#include <cstring>
#include <map>
#include <string>

namespace flat_json {

struct Reader {
    const std::string& s;
    size_t at;
    std::map<std::string, std::string>& out;

    bool Take(char c)
    {
        while (at < s.size() && (s[at] == ' ' || s[at] == '\n' || s[at] == '\r' || s[at] == '\t'))
            ++at;
        return at < s.size() && s[at] == c && ++at;
    }
    bool String(std::string& value)
    {
        if (!Take('"'))
            return false;
        for (; at < s.size() && s[at] != '"'; ++at) {
            const unsigned char c = static_cast<unsigned char>(s[at]);
            if (c < 0x20 || (c == '\\' && ++at >= s.size()))
                return false;
            const char* escapes = "\"\\/bfnrt";
            const char* p = c == '\\' && s[at] != '\0' ? std::strchr(escapes, s[at]) : nullptr;
            const std::string hex = c == '\\' && s[at] == 'u' ? s.substr(at + 1, 4) : "";
            if (c != '\\')
                value += static_cast<char>(c);
            else if (p != nullptr)
                value += "\"\\/\b\f\n\r\t"[p - escapes];
            else if (hex.size() == 4 && hex.compare(0, 2, "00") == 0 &&
                     hex.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos && hex[2] < '8')
                value += static_cast<char>(std::stoi(hex, nullptr, 16)), at += 4;
            else
                return false;
        }
        return Take('"');
    }
    size_t Digits(size_t from) const
    {
        size_t end = from;
        while (end < s.size() && s[end] >= '0' && s[end] <= '9')
            ++end;
        return end - from;
    }
    bool Scalar(std::string& value)
    {
        size_t end = at;
        for (const char* word : {"null", "true", "false"})
            if (s.compare(at, std::strlen(word), word) == 0)
                end = at + std::strlen(word);
        if (end == at) {
            end = at + (s.compare(at, 1, "-") == 0);
            const size_t whole = Digits(end);
            if (whole == 0 || (whole > 1 && s[end] == '0'))
                return false;
            end += whole;
            if (s.compare(end, 1, ".") == 0) {
                const size_t fraction = Digits(end + 1);
                if (fraction == 0)
                    return false;
                end += 1 + fraction;
            }
        }
        value = s.substr(at, end - at);
        at = end;
        return true;
    }
    bool Object(const std::string& prefix)
    {
        if (!Take('{'))
            return false;
        if (Take('}'))
            return true;
        do {
            std::string key;
            if (!String(key) || !Take(':'))
                return false;
            const std::string path = prefix.empty() ? key : prefix + "." + key;
            if (out.count(path) != 0)
                return false;
            if (!Value(path))
                return false;
        } while (Take(','));
        return Take('}');
    }
    bool Array(const std::string& prefix)
    {
        if (!Take('['))
            return false;
        if (Take(']'))
            return true;
        size_t index = 0;
        do {
            if (!Value(prefix + "." + std::to_string(index++)))
                return false;
        } while (Take(','));
        return Take(']');
    }
    bool Value(const std::string& path)
    {
        if (Take('{') && --at)
            return (out[path] = "{}", Object(path));
        if (Take('[') && --at)
            return (out[path] = "[]", Array(path));
        std::string value;
        if (!(Take('"') && --at ? String(value) : Scalar(value)))
            return false;
        out[path] = value;
        return true;
    }
};

inline bool Read(const std::string& text, std::map<std::string, std::string>& members)
{
    members.clear();
    Reader reader{text, 0, members};
    return reader.Object("") && !reader.Take('\0') && reader.at == text.size();
}

}  // namespace flat_json
