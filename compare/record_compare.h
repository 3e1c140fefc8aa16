// Two capture records compared: their frames pixel by pixel, and the
// settings and driver strings that differ. Plain.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "compare/report_compare.h"
#include "measure/report_sheet.h"

struct RecordSide {
    SheetImage frame;                 // the record's PNG, rows top first
    std::vector<FlatMember> members;  // its JSON
};

// FlattenJson, refusing what is not a capture record.
bool ReadRecordMembers(const std::string& text, std::vector<FlatMember>* members,
                       std::string* reason);

struct RecordComparison {
    bool sameSize = false;
    bool sameView = false;             // every setting the same
    long long differingPixels = 0;     // any channel differs
    int largestDifference = 0;         // of one channel, 0 .. 255
    std::vector<uint8_t> difference;   // per pixel, the largest channel's; frame A's size
    std::vector<FieldDifference> settings;
    std::vector<FieldDifference> driver;  // program and driver strings
};

RecordComparison CompareRecords(const RecordSide& a, const RecordSide& b);

// The difference picture: unchanged pixels as a pale copy of A, changed
// ones on a scale from yellow (1) to dark red (255), with the scale and the
// counts below.
ReportSheet LayoutRecordDifference(const RecordSide& a, const RecordSide& b,
                                   const RecordComparison& comparison);

// The colour of a difference of 1 .. 255 on that scale.
Rgb8 DifferenceColor(int difference);

std::string RecordComparisonJson(const RecordComparison& comparison, const std::string& sourceA,
                                 const std::string& sourceB);
