// A strict reader of the JSON the tests get back: objects, arrays, strings,
// numbers, true, false and null, flattened to "outer.inner" -> value (an
// object's own entry is "{}", an array's "[]" and its elements "outer.0" ...).
// Strings are unescaped (\u up to U+FFFF); other values keep their text.
// False on anything that is not such JSON.
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
        while (at < s.size() && std::strchr(" \n\r\t", s[at]) != nullptr && s[at] != '\0')
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
            const char* p = c == '\\' ? std::strchr(escapes, s[at]) : nullptr;
            if (c != '\\') {
                value += static_cast<char>(c);
            } else if (p != nullptr && *p != '\0') {
                value += "\"\\/\b\f\n\r\t"[p - escapes];
            } else if (s[at] == 'u' && at + 4 < s.size() &&
                       s.substr(at + 1, 4).find_first_not_of("0123456789abcdefABCDEF") == std::string::npos) {
                const unsigned long code = std::stoul(s.substr(at + 1, 4), nullptr, 16);
                if (code < 0x80)
                    value += static_cast<char>(code);
                else if (code < 0x800)
                    value += {static_cast<char>(0xC0 | code >> 6), static_cast<char>(0x80 | (code & 0x3F))};
                else
                    value += {static_cast<char>(0xE0 | code >> 12), static_cast<char>(0x80 | (code >> 6 & 0x3F)),
                              static_cast<char>(0x80 | (code & 0x3F))};
                at += 4;
            } else {
                return false;
            }
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
        for (const char* word : {"true", "false", "null"})
            if (s.compare(at, std::strlen(word), word) == 0)
                return value = word, at += value.size(), true;
        size_t end = at + (s.compare(at, 1, "-") == 0);
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
            std::string key, value;
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
    // An array's own entry is "[]", its elements "outer.0", "outer.1" ...
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
        if (Take('{')) {
            --at;
            out[path] = "{}";
            return Object(path);
        }
        if (Take('[')) {
            --at;
            out[path] = "[]";
            return Array(path);
        }
        std::string value;
        if (!(Take('"') ? (--at, String(value)) : Scalar(value)))
            return false;
        out[path] = value;
        return true;
    }
};

inline bool Read(const std::string& text, std::map<std::string, std::string>& members)
{
    members.clear();
    Reader reader{text, 0, members};
    return reader.Object("") && !reader.Take('\x01') && reader.at == text.size();
}

}  // namespace flat_json
