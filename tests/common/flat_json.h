// A strict reader of the JSON the tests get back: objects, strings, numbers,
// true, false and null (no arrays), flattened to "outer.inner" -> value.
// Strings are unescaped; other values keep their text. False on anything
// that is not valid JSON of that kind.
#pragma once

#include <cctype>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>

namespace flat_json {

struct Reader {
    const std::string& s;
    size_t at = 0;
    std::map<std::string, std::string>& out;

    void Space()
    {
        while (at < s.size() && (s[at] == ' ' || s[at] == '\n' || s[at] == '\r' || s[at] == '\t'))
            ++at;
    }
    bool Take(char c)
    {
        Space();
        if (at < s.size() && s[at] == c) {
            ++at;
            return true;
        }
        return false;
    }
    static void PutUtf8(std::string& to, uint32_t code)
    {
        if (code < 0x80) {
            to += static_cast<char>(code);
        } else if (code < 0x800) {
            to += static_cast<char>(0xC0 | code >> 6);
            to += static_cast<char>(0x80 | (code & 0x3F));
        } else {
            to += static_cast<char>(0xE0 | code >> 12);
            to += static_cast<char>(0x80 | (code >> 6 & 0x3F));
            to += static_cast<char>(0x80 | (code & 0x3F));
        }
    }
    bool String(std::string& value)
    {
        if (!Take('"'))
            return false;
        while (at < s.size() && s[at] != '"') {
            const unsigned char c = static_cast<unsigned char>(s[at++]);
            if (c < 0x20)
                return false;
            if (c != '\\') {
                value += static_cast<char>(c);
                continue;
            }
            if (at >= s.size())
                return false;
            const char e = s[at++];
            const char* simple = "\"\\/bfnrt";
            const char* meant = "\"\\/\b\f\n\r\t";
            const char* found = e != '\0' ? std::strchr(simple, e) : nullptr;
            if (found != nullptr) {
                value += meant[found - simple];
            } else if (e == 'u' && at + 4 <= s.size()) {
                const std::string hex = s.substr(at, 4);
                for (char h : hex)
                    if (!std::isxdigit(static_cast<unsigned char>(h)))
                        return false;
                PutUtf8(value, static_cast<uint32_t>(std::stoul(hex, nullptr, 16)));
                at += 4;
            } else {
                return false;
            }
        }
        return Take('"');
    }
    bool Scalar(std::string& value)
    {
        Space();
        const size_t start = at;
        for (const char* word : {"true", "false", "null"})
            if (s.compare(at, std::strlen(word), word) == 0) {
                at += std::strlen(word);
                value = word;
                return true;
            }
        if (at < s.size() && s[at] == '-')
            ++at;
        if (at >= s.size() || !std::isdigit(static_cast<unsigned char>(s[at])))
            return false;
        if (s[at] == '0' && at + 1 < s.size() && std::isdigit(static_cast<unsigned char>(s[at + 1])))
            return false;
        while (at < s.size() && std::isdigit(static_cast<unsigned char>(s[at])))
            ++at;
        if (at < s.size() && s[at] == '.') {
            ++at;
            if (at >= s.size() || !std::isdigit(static_cast<unsigned char>(s[at])))
                return false;
            while (at < s.size() && std::isdigit(static_cast<unsigned char>(s[at])))
                ++at;
        }
        value = s.substr(start, at - start);
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
            Space();
            if (at < s.size() && s[at] == '{') {
                out[path] = "{}";
                if (!Object(path))
                    return false;
                continue;
            }
            std::string value;
            if (!(at < s.size() && s[at] == '"' ? String(value) : Scalar(value)))
                return false;
            out[path] = value;
        } while (Take(','));
        return Take('}');
    }
};

inline bool Read(const std::string& text, std::map<std::string, std::string>& members)
{
    members.clear();
    Reader reader{text, 0, members};
    if (!reader.Object(""))
        return false;
    reader.Space();
    return reader.at == text.size();
}

}  // namespace flat_json
