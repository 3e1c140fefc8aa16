// --expect: the expectation file, its checks against a report, and the
// JUnit suite that carries the outcome.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "capture/command_line.h"
#include "measure/expectations.h"
#include "measure/junit_xml.h"

namespace {

std::vector<Expectation> Read(const std::string& text)
{
    std::vector<Expectation> expectations;
    std::string reason;
    EXPECT_TRUE(ReadExpectations(text, &expectations, &reason)) << reason;
    return expectations;
}

}  // namespace

TEST(Expectations, RefusesAFileWithTheMemberAtFault)
{
    const struct {
        const char* text;
        const char* reason;
    } rows[] = {
        {"", "not valid JSON"},
        {"[]", "not a JSON object"},
        {"{}", "no expectations"},
        {"{\"a\": null}", "a: null is not an expectation"},
        {"{\"a\": [1]}", "a: an array"},
        {"{\"a\": {}}", "a: neither min nor max"},
        {"{\"a\": {\"min\": 2, \"max\": 1}}", "a: min above max"},
        {"{\"a\": {\"min\": \"1\"}}", "a.min: not a number"},
        {"{\"a\": {\"maximum\": 1}}", "a: unknown member \"maximum\""},
    };
    for (const auto& row : rows) {
        std::vector<Expectation> expectations;
        std::string reason;
        EXPECT_FALSE(ReadExpectations(row.text, &expectations, &reason)) << row.text;
        EXPECT_EQ(0u, reason.find(row.reason)) << row.text << " -> " << reason;
        EXPECT_TRUE(expectations.empty());
    }
}

TEST(Expectations, BoundsAreInclusiveAndExactValuesExact)
{
    std::vector<FlatMember> report;
    std::string reason;
    ASSERT_TRUE(FlattenJson("{\"trilinear\": {\"plateau\": 0.5}, \"stages\": {\"identical\": true},"
                            " \"driver\": {\"renderer\": \"llvmpipe\"}, \"aniso\": null}",
                            &report, &reason));
    const struct {
        const char* expectation;
        bool passed;
        const char* message;  // the start of the failure's message
    } rows[] = {
        {"\"trilinear.plateau\": {\"max\": 0.5}", true, ""},
        {"\"trilinear.plateau\": {\"min\": 0.5}", true, ""},
        {"\"trilinear.plateau\": {\"max\": 0.02}", false, "trilinear.plateau = 0.5; expected at most 0.02"},
        {"\"trilinear.plateau\": {\"min\": 0.6}", false, "trilinear.plateau = 0.5; expected at least 0.6"},
        {"\"trilinear.plateau\": {\"min\": 0, \"max\": 0.1}", false, "trilinear.plateau = 0.5; expected 0 .. 0.1"},
        {"\"trilinear.plateau\": 0.5", true, ""},
        {"\"stages.identical\": true", true, ""},
        {"\"stages.identical\": false", false, "stages.identical = true; expected false"},
        {"\"driver.renderer\": \"softpipe\"", false, "driver.renderer = \"llvmpipe\"; expected \"softpipe\""},
        {"\"driver.renderer\": {\"max\": 1}", false, "driver.renderer = \"llvmpipe\"; expected at most 1"},
        {"\"aniso.meanAbsError\": {\"max\": 0.1}", false, "aniso.meanAbsError: not in the report"},
        {"\"trilinear\": {\"max\": 1}", false, "trilinear: not in the report"},
    };
    for (const auto& row : rows) {
        const std::vector<ExpectationOutcome> outcomes =
            CheckExpectations(Read(std::string("{") + row.expectation + "}"), report);
        ASSERT_EQ(1u, outcomes.size());
        EXPECT_EQ(row.passed, outcomes[0].passed) << row.expectation;
        EXPECT_EQ(0u, outcomes[0].message.find(row.message)) << outcomes[0].message;
    }
}

TEST(Expectations, JUnitSuiteCountsFailuresAndEscapesMarkup)
{
    const std::vector<ExpectationOutcome> outcomes = {
        {"a<b>&\"c'", false, "a<b> = 1; expected at most 0 & \"so\""},
        {"ok", true, ""},
        {"bell\x07", false, "x"},
    };
    const std::string xml = JUnitXml(outcomes, "suite");
    EXPECT_EQ(0u, xml.find("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<testsuite name=\"suite\" "
                           "tests=\"3\" failures=\"2\" errors=\"0\">"));
    EXPECT_NE(std::string::npos, xml.find("name=\"a&lt;b&gt;&amp;&quot;c&apos;\""));
    EXPECT_NE(std::string::npos,
              xml.find("message=\"a&lt;b&gt; = 1; expected at most 0 &amp; &quot;so&quot;\""));
    EXPECT_NE(std::string::npos, xml.find("<testcase classname=\"suite\" name=\"ok\"/>"));
    EXPECT_NE(std::string::npos, xml.find("name=\"bell?\""));
    EXPECT_EQ(std::string::npos, xml.find('\x07'));
    EXPECT_EQ(2u, [&] {
        size_t n = 0;
        for (size_t at = xml.find("<failure"); at != std::string::npos; at = xml.find("<failure", at + 1))
            ++n;
        return n;
    }());
}

TEST(Expectations, OptionNeedsAMeasurement)
{
    CaptureOptions options;
    std::string error;
    EXPECT_FALSE(ParseCommandLine({"--expect", "e.json"}, &options, &error));
    EXPECT_EQ("--expect e.json: needs --measure DIR; allowed values: a JSON file of bounds on the "
              "report's figures (with --measure)", error);
    EXPECT_TRUE(ParseCommandLine({"--expect", "e.json", "--measure", "r"}, &options, &error)) << error;
    EXPECT_EQ("e.json", *options.expect);
}
