// The expectations' outcomes as a JUnit test suite, the XML that CI
// dashboards read. Plain.
#pragma once

#include <string>
#include <vector>

#include "measure/expectations.h"

// One test case per outcome, a failure element with its message for each
// that failed; UTF-8.
std::string JUnitXml(const std::vector<ExpectationOutcome>& outcomes, const std::string& suiteName);
