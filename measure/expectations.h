// --expect FILE.json: bounds on a report's figures, for a driver's CI.
// The file maps a figure's dotted name to {"min": m, "max": M} (either may
// be left out) or to an exact value (a boolean, a name, a number). Plain.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "measure/report_figures.h"

struct Expectation {
    std::string name;
    std::optional<double> min;
    std::optional<double> max;
    nlohmann::ordered_json exact;  // null when bounds are given
};

struct ExpectationOutcome {
    std::string name;
    bool passed = false;
    std::string message;  // why it failed: figure, value, bounds
};

// False with a reason naming the member at fault.
bool ReadExpectations(const std::string& text, std::vector<Expectation>* expectations,
                      std::string* reason);

// One outcome per expectation, in the file's order. A figure the report
// does not have fails.
std::vector<ExpectationOutcome> CheckExpectations(const std::vector<Expectation>& expectations,
                                                  const std::vector<FlatMember>& report);
