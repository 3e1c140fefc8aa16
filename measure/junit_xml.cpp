#include "measure/junit_xml.h"

namespace {

// XML 1.0 text: the five markup characters escaped; control characters,
// which XML cannot hold or an attribute would fold into spaces, shown as '?'.
std::string XmlEscaped(const std::string& text)
{
    std::string out;
    for (const char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&apos;"; break;
        default:
            const unsigned char u = static_cast<unsigned char>(c);
            out += u < 0x20 ? '?' : c;
        }
    }
    return out;
}

}  // namespace

std::string JUnitXml(const std::vector<ExpectationOutcome>& outcomes, const std::string& suiteName)
{
    int failures = 0;
    for (const ExpectationOutcome& outcome : outcomes)
        failures += outcome.passed ? 0 : 1;
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
    xml += "<testsuite name=\"" + XmlEscaped(suiteName) + "\" tests=\"" +
           std::to_string(outcomes.size()) + "\" failures=\"" + std::to_string(failures) +
           "\" errors=\"0\">\n";
    for (const ExpectationOutcome& outcome : outcomes) {
        xml += "  <testcase classname=\"" + XmlEscaped(suiteName) + "\" name=\"" +
               XmlEscaped(outcome.name) + "\"";
        if (outcome.passed) {
            xml += "/>\n";
            continue;
        }
        xml += ">\n    <failure message=\"" + XmlEscaped(outcome.message) + "\">" +
               XmlEscaped(outcome.message) + "</failure>\n  </testcase>\n";
    }
    return xml + "</testsuite>\n";
}
