#include "app/user_report.h"

#include "app/standard_streams.h"
#include "app/viewer_state.h"

void TellUser(const UserReport& report)
{
    if (report.line == UserReport::AlwaysLine ||
        (report.line == UserReport::BatchLine && viewer.batchRun))
        WriteStandardStream(true, report.text + "\n");
    if (!viewer.batchRun)
        MessageBoxA(report.owner, report.text.c_str(), report.caption, report.style);
}
