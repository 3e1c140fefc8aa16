// --measure DIR: the battery on the driver at hand, written as DIR/report.json
// and DIR/report.png.
#pragma once

#include <string>

// Makes the folder when it is missing (its parent must exist) and checks that
// a file can be written there. False with the system's reason.
bool PrepareReportFolder(const std::string& folder, std::string* reason);

// Runs the battery, then writes the JSON report and the sheet. False with
// "<path>: <reason>" when a file cannot be written.
bool WriteMeasureReport(const std::string& folder, std::string* reason);
