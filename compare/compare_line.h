// --compare A B --out DIR: what is compared and where the result goes.
// Plain code, read before any window exists.
#pragma once

#include <string>
#include <vector>

struct CompareRequest {
    std::string a;
    std::string b;
    std::string out;
};

// True when the line asks for a comparison (it has --compare anywhere).
bool IsCompareLine(const std::vector<std::string>& arguments);

// Exactly --compare A B and --out DIR, in either order. False with one line
// naming the option and what it takes.
bool ParseCompareLine(const std::vector<std::string>& arguments, CompareRequest* request,
                      std::string* error);

// What a compared path names: a report (its folder, or the report.json in
// it) or a capture record (its PNG, with the JSON beside it).
enum CompareInputKind { ReportInput, RecordInput };

struct CompareInput {
    CompareInputKind kind = ReportInput;
    std::string jsonPath;
    std::string pngPath;
};

CompareInput ClassifyCompareInput(const std::string& path);
