// --measure DIR: the battery on the driver at hand, written as DIR/report.json
// and DIR/report.png.
#pragma once

#include <string>

#include "measure/measure_battery.h"

// Makes the folder when it is missing (its parent must exist) and checks that
// a file can be written there. False with the system's reason.
bool PrepareReportFolder(const std::string& folder, std::string* reason);

// Writes the battery's results as the JSON report and the sheet. False with
// "<path>: <reason>" when a file cannot be written.
bool WriteMeasureResults(const std::string& folder, const MeasureResults& results,
                         std::string* reason);

// Runs the battery, telling `progress` each step, then writes its report.
bool WriteMeasureReport(const std::string& folder, std::string* reason,
                        const MeasureProgress& progress = {});
