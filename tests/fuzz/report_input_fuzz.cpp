// libFuzzer target for the JSON that comes from outside: any text read as an
// expectation file, as a report to compare and as a capture record (to
// compare or to replay) must be refused with one line or taken whole, and what is taken must check,
// compare and turn into JUnit XML without fault.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "capture/command_line.h"
#include "capture/record_replay.h"
#include "compare/record_compare.h"
#include "compare/report_compare.h"
#include "measure/expectations.h"
#include "measure/junit_xml.h"

namespace {

void Require(bool fact, const char* what)
{
    if (!fact) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

void RequireOneLine(bool taken, const std::string& reason)
{
    if (!taken)
        Require(!reason.empty() && reason.find('\n') == std::string::npos, "reason on one line");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string reason;
    std::vector<Expectation> expectations;
    const bool expectationsTaken = ReadExpectations(text, &expectations, &reason);
    RequireOneLine(expectationsTaken, reason);

    std::vector<FlatMember> members;
    const bool flat = FlattenJson(text, &members, &reason);
    RequireOneLine(flat, reason);
    if (expectationsTaken) {
        const std::vector<ExpectationOutcome> outcomes = CheckExpectations(expectations, members);
        Require(outcomes.size() == expectations.size(), "one outcome per expectation");
        const std::string xml = JUnitXml(outcomes, "fuzz");
        for (const char c : xml)
            Require(static_cast<unsigned char>(c) >= 0x20 || c == '\n', "no control characters in XML");
    }
    std::vector<FlatMember> report;
    RequireOneLine(ReadReportFigures(text, &report, &reason), reason);
    RequireOneLine(ReadRecordMembers(text, &report, &reason), reason);
    std::vector<std::string> arguments;
    const bool replayable = RecordArguments(text, &arguments, &reason);
    RequireOneLine(replayable, reason);
    CaptureOptions options;
    if (replayable && !ParseCommandLine(arguments, &options, &reason))
        RequireOneLine(false, reason);
    if (flat) {
        const ReportComparison same = CompareReports(members, members);
        Require(same.fields.empty(), "a report differs from itself in no field");
        for (const FigureDifference& f : same.figures)
            Require(!f.beyond, "a report differs from itself in no figure");
        ComparisonJson(same, "a", "b", members, members, nullptr);
    }
    return 0;
}
