#include "measure/expectations.h"

#include <cmath>
#include <cstdio>

namespace {

std::string Shown(const nlohmann::ordered_json& value)
{
    if (value.is_number()) {
        char text[40];
        std::snprintf(text, sizeof(text), "%.6g", value.get<double>());
        return text;
    }
    return value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string Bounds(const Expectation& e)
{
    if (!e.exact.is_null())
        return "expected " + Shown(e.exact);
    if (e.min && e.max)
        return "expected " + Shown(*e.min) + " .. " + Shown(*e.max);
    return e.min ? "expected at least " + Shown(*e.min) : "expected at most " + Shown(*e.max);
}

bool ReadOne(const std::string& name, const nlohmann::ordered_json& value, Expectation* e,
             std::string* reason)
{
    e->name = name;
    if (!value.is_object()) {
        if (value.is_null()) {
            *reason = name + ": null is not an expectation";
            return false;
        }
        if (value.is_array()) {
            *reason = name + ": an array is not an expectation";
            return false;
        }
        e->exact = value;
        return true;
    }
    for (auto it = value.begin(); it != value.end(); ++it) {
        const bool isMin = it.key() == "min";
        if (!isMin && it.key() != "max") {
            *reason = name + ": unknown member " + nlohmann::ordered_json(it.key()).dump() +
                      " (min and max only)";
            return false;
        }
        if (!it.value().is_number()) {
            *reason = name + "." + it.key() + ": not a number";
            return false;
        }
        (isMin ? e->min : e->max) = it.value().get<double>();
    }
    if (!e->min && !e->max) {
        *reason = name + ": neither min nor max";
        return false;
    }
    if (e->min && e->max && *e->min > *e->max) {
        *reason = name + ": min above max";
        return false;
    }
    return true;
}

bool Meets(const Expectation& e, const nlohmann::ordered_json& value)
{
    if (!e.exact.is_null()) {
        if (e.exact.is_number() && value.is_number())
            return e.exact.get<double>() == value.get<double>();
        return e.exact == value;
    }
    if (!value.is_number())
        return false;
    const double v = value.get<double>();
    return (!e.min || v >= *e.min) && (!e.max || v <= *e.max);
}

}  // namespace

bool ReadExpectations(const std::string& text, std::vector<Expectation>* expectations,
                      std::string* reason)
{
    expectations->clear();
    const nlohmann::ordered_json document = nlohmann::ordered_json::parse(text, nullptr, false);
    if (document.is_discarded() || !document.is_object()) {
        *reason = document.is_discarded() ? "not valid JSON" : "not a JSON object";
        return false;
    }
    if (document.empty()) {
        *reason = "no expectations";
        return false;
    }
    for (auto it = document.begin(); it != document.end(); ++it) {
        Expectation e;
        if (!ReadOne(it.key(), it.value(), &e, reason)) {
            expectations->clear();
            return false;
        }
        expectations->push_back(e);
    }
    return true;
}

std::vector<ExpectationOutcome> CheckExpectations(const std::vector<Expectation>& expectations,
                                                  const std::vector<FlatMember>& report)
{
    std::vector<ExpectationOutcome> outcomes;
    for (const Expectation& e : expectations) {
        ExpectationOutcome outcome;
        outcome.name = e.name;
        const FlatMember* member = FindMember(report, e.name);
        if (member == nullptr) {
            outcome.message = e.name + ": not in the report; " + Bounds(e);
        } else {
            outcome.passed = Meets(e, member->value);
            if (!outcome.passed)
                outcome.message = e.name + " = " + Shown(member->value) + "; " + Bounds(e);
        }
        outcomes.push_back(outcome);
    }
    return outcomes;
}
