// A report.json read back: every scalar member by its dotted name as the
// report gives it ("trilinear.plateau", "trilinear.curve.3.pixels"), in the
// report's order. Used to compare two reports and to check expectations.
// Plain code; the text comes from outside, so nothing in it is trusted.
#pragma once

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

struct FlatMember {
    std::string name;
    nlohmann::ordered_json value;  // null, boolean, number or string
};

// Every scalar of a JSON object by its dotted name; array elements are named
// by their index. False with a reason for text that is not a JSON object or
// is nested deeper than any report.
bool FlattenJson(const std::string& text, std::vector<FlatMember>* members, std::string* reason);

// As FlattenJson, and refuses what is not a report of this format (one
// without the members every current report has).
bool ReadReportFigures(const std::string& text, std::vector<FlatMember>* members,
                       std::string* reason);

// The member of that name, or null when there is none.
const FlatMember* FindMember(const std::vector<FlatMember>& members, const std::string& name);

// The driver's strings of a report or a record: "vendor renderer version".
std::string DriverLine(const std::vector<FlatMember>& members);
