// --measure DIR: the battery on the driver at hand, written as DIR/report.json
// and DIR/report.png.
#pragma once

#include <string>
#include <vector>

#include "measure/expectations.h"

#include "measure/measure_battery.h"
#include "measure/report_sheet.h"

// The path of a file in a report folder, with or without a closing slash.
std::string InFolder(const std::string& folder, const char* name);

// Writes a sheet, stored top row first, as a PNG file. False with the
// system's reason.
bool WriteSheetPng(const std::string& path, const SheetImage& image, std::string* reason);

// Makes the folder when it is missing (its parent must exist) and checks that
// a file can be written there. False with the system's reason.
bool PrepareReportFolder(const std::string& folder, std::string* reason);

// Writes the battery's results as the JSON report and the sheet. False with
// "<path>: <reason>" when a file cannot be written. The JSON report's text
// goes to `json` too when it is given.
bool WriteMeasureResults(const std::string& folder, const MeasureResults& results,
                         std::string* reason, std::string* json = nullptr);

// Runs the battery, telling `progress` each step, then writes its report.
bool WriteMeasureReport(const std::string& folder, std::string* reason,
                        const MeasureProgress& progress = {}, std::string* json = nullptr);

// Checks the report against the expectations and writes DIR/report.xml, a
// JUnit test suite with one case per expectation; `passed` is whether every
// one held. False with "<path>: <reason>" when it cannot be written.
bool WriteExpectationOutcome(const std::string& folder, const std::string& reportJson,
                             const std::vector<Expectation>& expectations, bool* passed,
                             std::string* reason);
