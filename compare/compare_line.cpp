#include "compare/compare_line.h"

#include "capture/command_line.h"

namespace {

const char* const compareUsage = "--compare A B --out DIR: A and B are two report folders (or "
                                 "their report.json) or two capture records' PNG files";

bool EndsWith(const std::string& text, const char* end)
{
    const std::string tail(end);
    if (text.size() < tail.size())
        return false;
    for (size_t i = 0; i < tail.size(); ++i)
        if ((text[text.size() - tail.size() + i] | 0x20) != (tail[i] | 0x20))
            return false;
    return true;
}

bool IsOptionName(const std::string& argument)
{
    return argument.compare(0, 2, "--") == 0;
}

}  // namespace

bool IsCompareLine(const std::vector<std::string>& arguments)
{
    for (const std::string& argument : arguments)
        if (argument == "--compare")
            return true;
    return false;
}

bool ParseCompareLine(const std::vector<std::string>& arguments, CompareRequest* request,
                      std::string* error)
{
    *request = CompareRequest{};
    bool haveCompare = false, haveOut = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& name = arguments[i];
        const size_t values = name == "--compare" ? 2 : 1;
        if (name != "--compare" && name != "--out") {
            *error = name + ": not taken with --compare; " + compareUsage;
            return false;
        }
        bool& seen = name == "--compare" ? haveCompare : haveOut;
        if (seen) {
            *error = name + ": given twice; " + compareUsage;
            return false;
        }
        seen = true;
        for (size_t k = 1; k <= values; ++k)
            if (i + k >= arguments.size() || IsOptionName(arguments[i + k]) ||
                arguments[i + k].empty()) {
                *error = name + ": missing value; " + compareUsage;
                return false;
            }
        if (values == 2) {
            request->a = arguments[i + 1];
            request->b = arguments[i + 2];
        } else {
            request->out = arguments[i + 1];
        }
        i += values;
    }
    if (!haveOut) {
        *error = std::string("--out: missing; ") + compareUsage;
        return false;
    }
    return true;
}

CompareInput ClassifyCompareInput(const std::string& path)
{
    CompareInput input;
    if (EndsWith(path, ".png")) {
        input.kind = RecordInput;
        input.pngPath = path;
        input.jsonPath = JsonPathFor(path);
        return input;
    }
    std::string folder = path;
    if (EndsWith(path, ".json")) {
        const size_t slash = path.find_last_of("/\\");
        folder = slash == std::string::npos ? "." : path.substr(0, slash);
    }
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    input.jsonPath = EndsWith(path, ".json") ? path : folder + "\\report.json";
    input.pngPath = folder + "\\report.png";
    return input;
}
