// The measurement report as JSON: the program and driver as a capture record
// names them, then every figure. Platform-free.
#pragma once

#include <string>

#include "measure/measure_battery.h"

struct DriverNames {
    std::string program;  // UTF-8, as all four
    std::string vendor;
    std::string renderer;
    std::string version;
};

std::string MeasureReportJson(const DriverNames& names, const MeasureResults& results);
