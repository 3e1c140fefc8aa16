// The measurement report as JSON: the program and driver as a capture record
// names them, then every figure. Platform-free.
#pragma once

#include <string>

#include "capture/view_record.h"
#include "measure/measure_battery.h"

std::string MeasureReportJson(const DriverNames& names, const MeasureResults& results);
