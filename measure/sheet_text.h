// The report sheet's texts, drawn with GDI into the sheet's pixels.
#pragma once

#include "measure/report_sheet.h"

// False when GDI cannot give a drawing surface; the sheet is then unchanged.
bool DrawSheetTexts(ReportSheet& sheet);
