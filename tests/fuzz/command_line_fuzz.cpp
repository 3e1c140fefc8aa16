// libFuzzer target for the command line: any arguments (the input split at
// zero bytes) must be read without fault, give one line on refusal, and every
// argument must come out of the JSON quoting as valid JSON text.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "capture/command_line.h"
#include "capture/json_writer.h"
#include "tests/common/flat_json.h"

namespace {

void Require(bool fact, const char* what)
{
    if (!fact) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::vector<std::string> arguments(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            arguments.emplace_back();
        else
            arguments.back() += static_cast<char>(data[i]);
    }
    CaptureOptions options;
    std::string error;
    if (ParseCommandLine(arguments, &options, &error)) {
        DriverLimits limits;
        const std::string driverError = CheckDriverLimits(options, limits);
        Require(driverError.find('\n') == std::string::npos, "driver error on one line");
    } else {
        Require(!error.empty() && error.find('\n') == std::string::npos, "error on one line");
    }
    for (const std::string& argument : arguments) {
        JsonText json;
        JsonOpenObject(json, nullptr);
        JsonAddString(json, "argument", argument);
        JsonCloseObject(json);
        std::map<std::string, std::string> members;
        Require(flat_json::Read(json.text, members), "quoted argument reads back");
    }
    return 0;
}
