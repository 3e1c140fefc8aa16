// A strict reader of the JSON the tests get back: objects, strings, numbers,
// true, false and null (no arrays), flattened to "outer.inner" -> value (an
// object's own entry is "{}"). Strings are unescaped (\u up to U+FFFF); other
// values keep their text. False on anything that is not such JSON.
#pragma once

#include <cstring>
#include <map>
#include <regex>
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
            } else if (s[at] == 'u' && std::regex_match(s.substr(at + 1, 4), std::regex("[0-9a-fA-F]{4}"))) {
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
    bool Scalar(std::string& value)
    {
        static const std::regex scalar("^(true|false|null|-?(0|[1-9][0-9]*)(\\.[0-9]+)?)");
        std::smatch match;
        const std::string rest = s.substr(at);
        if (!std::regex_search(rest, match, scalar))
            return false;
        value = match.str(0);
        at += value.size();
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
            if (Take('{')) {
                --at;
                out[path] = "{}";
                if (!Object(path))
                    return false;
                continue;
            }
            if (!(Take('"') ? (--at, String(value)) : Scalar(value)))
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
    return reader.Object("") && !reader.Take('\x01') && reader.at == text.size();
}

}  // namespace flat_json
