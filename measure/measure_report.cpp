#include "measure/measure_report.h"

#include <windows.h>
#include <GL/gl.h>

#include <vector>

#include "capture/file_output.h"
#include "capture/view_capture.h"
#include "measure/junit_xml.h"
#include "measure/measure_battery.h"
#include "measure/report_json.h"
#include "measure/report_sheet.h"
#include "measure/sheet_text.h"

std::string InFolder(const std::string& folder, const char* name)
{
    const char last = folder.empty() ? '\\' : folder.back();
    return folder + (last == '\\' || last == '/' ? "" : "\\") + name;
}

bool WriteSheetPng(const std::string& path, const SheetImage& image, std::string* reason)
{
    // The PNG writer takes rows bottom first.
    const size_t row = static_cast<size_t>(image.width) * 3;
    std::vector<unsigned char> bottomUp(image.rgb.size());
    for (int y = 0; y < image.height; ++y)
        std::copy(image.rgb.begin() + y * row, image.rgb.begin() + (y + 1) * row,
                  bottomUp.begin() + (image.height - 1 - y) * row);
    return WritePngFile(path.c_str(), image.width, image.height, bottomUp.data(), reason);
}

bool PrepareReportFolder(const std::string& folder, std::string* reason)
{
    if (!CreateDirectoryA(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        *reason = SystemErrorText(GetLastError());
        return false;
    }
    const DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        *reason = "not a folder";
        return false;
    }
    // A file that goes when its handle closes: the folder takes writes.
    const std::string trial = InFolder(folder, "report.trial");
    HANDLE file = CreateFileA(trial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *reason = SystemErrorText(GetLastError());
        return false;
    }
    CloseHandle(file);
    return true;
}

bool WriteMeasureReport(const std::string& folder, std::string* reason,
                        const MeasureProgress& progress, std::string* jsonText)
{
    MeasureResults results;
    RunMeasureBattery(results, progress);
    return WriteMeasureResults(folder, results, reason, jsonText);
}

bool WriteMeasureResults(const std::string& folder, const MeasureResults& results,
                         std::string* reason, std::string* jsonText)
{
    const DriverNames names = CurrentDriverNames();

    ReportSheet sheet = LayoutReportSheet(names, results);
    DrawSheetTexts(sheet);
    const std::string pngPath = InFolder(folder, "report.png");
    std::string why;
    if (!WriteSheetPng(pngPath, sheet.image, &why)) {
        *reason = pngPath + ": " + why;
        return false;
    }
    const std::string json = MeasureReportJson(names, results);
    const std::string jsonPath = InFolder(folder, "report.json");
    if (!WriteFileWhole(jsonPath.c_str(), json.data(), json.size(), &why)) {
        *reason = jsonPath + ": " + why;
        return false;
    }
    if (jsonText != nullptr)
        *jsonText = json;
    return true;
}

bool WriteExpectationOutcome(const std::string& folder, const std::string& reportJson,
                             const std::vector<Expectation>& expectations, bool* passed,
                             std::string* reason)
{
    std::vector<FlatMember> report;
    std::string why;
    // The report was written by this program a moment ago: it reads back.
    FlattenJson(reportJson, &report, &why);
    const std::vector<ExpectationOutcome> outcomes = CheckExpectations(expectations, report);
    *passed = true;
    for (const ExpectationOutcome& outcome : outcomes)
        *passed = *passed && outcome.passed;
    const std::string xml = JUnitXml(outcomes, "quorvane.expectations");
    const std::string xmlPath = InFolder(folder, "report.xml");
    if (!WriteFileWhole(xmlPath.c_str(), xml.data(), xml.size(), &why)) {
        *reason = xmlPath + ": " + why;
        return false;
    }
    return true;
}
