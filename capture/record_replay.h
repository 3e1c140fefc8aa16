// --replay RECORD.json: a capture record's settings as the options that set
// them, so that it replays to the same frame. Plain code; the record comes
// from outside, so nothing in it is trusted.
#pragma once

#include <string>
#include <vector>

// The options for every setting of the record, in the record's order. False
// with a reason naming the member at fault.
bool RecordArguments(const std::string& recordText, std::vector<std::string>* arguments,
                     std::string* reason);
