// --compare A B --out DIR, run before any window exists: reads both inputs,
// writes DIR/compare.json and DIR/compare.png, or nothing at all.
#pragma once

#include "compare/compare_line.h"

// 0 when written; 2 with "quorvane: <file>: <reason>" on standard error for
// an input that cannot be compared; 1 when the output cannot be written.
int RunCompare(const CompareRequest& request);
