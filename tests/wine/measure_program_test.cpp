// --measure end to end: the real program measures the driver and writes its
// report; llvmpipe with and without its brilinear shortcut must differ.
#include <gtest/gtest.h>

#include <windows.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <map>
#include <regex>
#include <sstream>
#include <string>

#include "app/product_name.h"
#include "common/child_process.h"
#include "common/flat_json.h"
#include "wine/program_support.h"
#include "wine/support.h"

namespace {

// A fresh path for a report folder, which the program is to make itself.
std::string ReportFolder(const std::string& name)
{
    const std::string parent = TestDirectory() + "reports\\";
    CreateDirectoryA(parent.c_str(), nullptr);
    const std::string folder = parent + name;
    for (const char* file : {"\\report.json", "\\report.png", "\\report.xml", "\\compare.json",
                             "\\compare.png"})
        DeleteFileA((folder + file).c_str());
    RemoveDirectoryA(folder.c_str());
    return folder;
}

struct Report {
    FinishedRun run;
    std::map<std::string, std::string> json;
    std::string png;
};

// The Unix path of a Windows path on the Z: drive.
std::string UnixPath(std::string path)
{
    if (path.size() > 2 && path[1] == ':')
        path = path.substr(2);
    for (char& c : path)
        if (c == '\\')
            c = '/';
    return path;
}

// --measure under a Mesa switch. Mesa reads the Unix environment, which a
// Windows process does not pass on, so the run goes through a shell that sets
// it; the shell leaves the exit code in a file once the program has ended.
FinishedRun RunWithMesaSwitch(const std::string& assignment, const std::string& arguments,
                              const std::string& name)
{
    const std::string base = UnixPath(TestDirectory()) + "reports/" + name;
    const std::string exitFile = TestDirectory() + "reports\\" + name + ".exit";
    DeleteFileA(exitFile.c_str());
    // The loader the suite runs under (Debian's `wine` wrapper may pick a
    // 32-bit loader that this host cannot run); Wine keeps it out of a Unix
    // child's environment, so it goes on the line.
    char named[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableA("WINELOADER", named, sizeof(named));
    const std::string loader = length > 0 && length < sizeof(named) ? named : "wine";
    const std::string command = assignment + " " + loader + " '" + TestDirectory() +
                                "quorvane.exe' " + arguments + " 2>'" + base + ".err'; echo $? >'" +
                                base + ".tmp' && mv '" + base + ".tmp' '" + base + ".exit'";
    FinishedRun run;
    std::string error;
    if (!RunShellCommand(command, exitFile, 180000, &error)) {
        ADD_FAILURE() << error;
        return run;
    }
    run.exitCode = static_cast<DWORD>(std::atoi(FileText(exitFile).c_str()));
    run.err = FileText(TestDirectory() + "reports\\" + name + ".err");
    return run;
}

// Runs --measure with one Mesa switch ("NAME=value") or none.
Report Measure(const std::string& name, const char* assignment)
{
    const std::string folder = ReportFolder(name);
    const std::string arguments = "--measure \"" + folder + "\"";
    Report report;
    report.run = assignment == nullptr ? RunProgramToEnd(arguments, 180000)
                                       : RunWithMesaSwitch(assignment, "--measure '" + folder + "'", name);
    EXPECT_TRUE(flat_json::Read(FileText(folder + "\\report.json"), report.json)) << name;
    report.png = FileText(folder + "\\report.png");
    return report;
}

double Number(const Report& report, const std::string& key)
{
    const auto found = report.json.find(key);
    return found == report.json.end() ? std::nan("") : std::atof(found->second.c_str());
}

// Standard error in a file holds one progress line a step, and nothing else.
void ExpectProgressLines(const std::string& err)
{
    std::istringstream lines(err);
    std::string line;
    int told = 0;
    int count = 0;
    while (std::getline(lines, line)) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(line, m, std::regex("quorvane: measuring ([0-9]+) of ([0-9]+): .+")))
            << line;
        EXPECT_EQ(++told, std::stoi(m[1])) << line;
        count = std::stoi(m[2]);
    }
    EXPECT_GT(told, 20);
    EXPECT_EQ(count, told) << "the last line is \"n of n\"";
}

// The atlas on llvmpipe and softpipe: both follow the extension's column
// formula, whose flower spans 3.5 levels at ratio 16, and take one level.
void ExpectTheExtensionsFlower(const Report& r)
{
    EXPECT_EQ("extension", r.json.at("aniso.model"));
    EXPECT_NE("blend", r.json.at("aniso.levelSelection"));
    EXPECT_EQ(0.0, Number(r, "aniso.levelsUnderAniso"));
    EXPECT_GE(Number(r, "aniso.flowerSpread"), 3.0);
    EXPECT_LE(Number(r, "aniso.flowerSpread"), 5.0);
    EXPECT_LT(Number(r, "aniso.effectiveRatioWorstAngle"), Number(r, "aniso.effectiveRatio"));
    EXPECT_LT(Number(r, "aniso.modelResiduals.extension"), Number(r, "aniso.modelResiduals.ellipse"));
}

TEST(MeasureProgram, ReportTellsBrilinearFromTrilinear)
{
    // The report's anisotropy and bias sweeps need the extensions.
    SKIP_WITHOUT(anisoExtension);
    SKIP_WITHOUT(lodBiasExtension);
    const Report trilinear = Measure("llvmpipe", nullptr);
    const Report brilinear = Measure("brilinear", "GALLIVM_PERF=brilinear");
    for (const Report* r : {&trilinear, &brilinear}) {
        EXPECT_EQ(0u, r->run.exitCode);
        ExpectProgressLines(r->run.err);
        EXPECT_EQ("", r->run.boxes);
        for (const char* key :
             {"program", "driver.vendor", "driver.renderer", "driver.version", "lod.meanAbsError",
              "lod.p99AbsError", "lod.meanAbsErrorInvariant", "trilinear.plateau",
              "trilinear.curve.31.measuredBlend", "angle.spread", "angle.curve.18.meanError",
              "aniso.maxAnisotropy", "aniso.meanAbsError", "aniso.blendsLevels", "bias.maxError",
              "stages.count", "stages.identical", "seconds", "aniso.effectiveRatio",
              "aniso.effectiveRatioWorstAngle", "aniso.flowerSpread", "aniso.model",
              "aniso.modelResiduals.ellipse", "aniso.levelSelection", "aniso.levelsUnderAniso",
              "aniso.flower.10.curve.23.isotropic", "aniso.ratioCurve.4.curve.10.measured",
              "lod.modelResiduals.sumComponents", "lod.fractionBits", "lod.granularity",
              "envelope.outsideShare", "filter.bilinear", "filter.subtexelBits", "fingerprint"})
            EXPECT_EQ(1u, r->json.count(key)) << key;
        EXPECT_EQ("Quorvane V1.3 - OpenGL Texture Filtering Test Bench", r->json.at("program"));
        // A PNG, 1240 x 1230 by its header.
        ASSERT_GT(r->png.size(), 24u);
        EXPECT_EQ(0, r->png.compare(0, 8, "\x89PNG\r\n\x1A\n"));
        const unsigned char* header = reinterpret_cast<const unsigned char*>(r->png.data()) + 16;
        EXPECT_EQ(1240, header[2] << 8 | header[3]);
        EXPECT_EQ(1230, header[6] << 8 | header[7]);
    }
    // True trilinear blends all the way; the shortcut holds each level over
    // half of the range.
    EXPECT_LT(Number(trilinear, "trilinear.plateau"), 0.05);
    EXPECT_GT(Number(brilinear, "trilinear.plateau"), 0.3);
    EXPECT_LT(Number(trilinear, "lod.meanAbsError"), Number(brilinear, "lod.meanAbsError"));
    EXPECT_EQ("true", trilinear.json.at("stages.identical"));
    ExpectTheExtensionsFlower(trilinear);
    // Exact rho and a true blend are inside the rules; the shortcut is not.
    EXPECT_EQ("exact", trilinear.json.at("lod.model"));
    // The coloured probe measures what a natural texture gets.
    EXPECT_LT(Number(trilinear, "probe.agreement"), 0.1);
    EXPECT_GT(Number(trilinear, "probe.solvedShare"), 0.2);
    EXPECT_EQ("inside", trilinear.json.at("envelope.verdict"));
    EXPECT_EQ("exact", brilinear.json.at("lod.model"));
    EXPECT_EQ("outside", brilinear.json.at("envelope.verdict"));
    EXPECT_EQ("blend", brilinear.json.at("envelope.reasons.0"));
    EXPECT_EQ(0u, brilinear.json.count("envelope.reasons.1"));
}

// rho from the larger derivative component: named, and allowed.
TEST(MeasureProgram, SoftpipeAndRhoApproxTakeTheLargerComponent)
{
    SKIP_WITHOUT(anisoExtension);
    const Report approx = Measure("rho_approx", "GALLIVM_PERF=rho_approx");
    const Report softpipe = Measure("softpipe", "GALLIUM_DRIVER=softpipe");
    for (const Report* r : {&approx, &softpipe}) {
        EXPECT_EQ("maxComponent", r->json.at("lod.model"));
        EXPECT_EQ("inside", r->json.at("envelope.verdict"));
    }
    EXPECT_EQ(0u, softpipe.run.exitCode);
    EXPECT_EQ("softpipe", softpipe.json.at("driver.renderer"));
    ExpectTheExtensionsFlower(softpipe);
    // Past 2x the level climbs with the ratio: log2(32 x 4 / 2) = 6 at most.
    EXPECT_GE(Number(softpipe, "aniso.ratioCurve.1.curve.10.measured"), 5.0);
}

std::map<std::string, std::string> JsonIn(const std::string& path)
{
    std::map<std::string, std::string> members;
    EXPECT_TRUE(flat_json::Read(FileText(path), members)) << path;
    return members;
}

TEST(MeasureProgram, ComparisonMarksTheShortcutAndFindsNothingBetweenARunAndItself)
{
    SKIP_WITHOUT(anisoExtension);
    SKIP_WITHOUT(lodBiasExtension);
    const std::string trilinear = ReportFolder("compare-llvmpipe");
    const std::string brilinear = ReportFolder("compare-brilinear");
    ASSERT_EQ(0u, RunProgramToEnd("--measure \"" + trilinear + "\"", 180000).exitCode);
    ASSERT_EQ(0u, RunWithMesaSwitch("GALLIVM_PERF=brilinear", "--measure '" + brilinear + "'",
                                    "compare-brilinear").exitCode);
    const std::string out = ReportFolder("compared");
    const FinishedRun run = RunProgramToEnd("--compare \"" + trilinear + "\" \"" + brilinear +
                                            "\" --out \"" + out + "\"");
    EXPECT_EQ(0u, run.exitCode) << run.err;
    EXPECT_EQ("", run.err);
    EXPECT_FALSE(run.windowSeen);
    std::map<std::string, std::string> c = JsonIn(out + "\\compare.json");
    EXPECT_EQ("true", c["figures.trilinear.plateau.beyondTolerance"]);
    EXPECT_GT(std::atof(c["figures.trilinear.plateau.difference"].c_str()), 0.3);
    EXPECT_EQ("true", c["figures.lod.meanAbsError.beyondTolerance"]);
    EXPECT_EQ("false", c["figures.angle.spread.beyondTolerance"]);
    EXPECT_GT(std::atof(c["levelMap.meanAbsDifference"].c_str()), 0.05);
    EXPECT_EQ(0, FileText(out + "\\compare.png").compare(0, 8, "\x89PNG\r\n\x1A\n"));

    const std::string self = ReportFolder("compared-self");
    EXPECT_EQ(0u, RunProgramToEnd("--compare \"" + trilinear + "\" \"" + trilinear +
                                  "\\report.json\" --out \"" + self + "\"").exitCode);
    c = JsonIn(self + "\\compare.json");
    EXPECT_EQ("0", c["figuresBeyondTolerance"]);
    EXPECT_EQ("[]", c["differingFields"]);
    EXPECT_EQ("0.0000", c["levelMap.maxAbsDifference"]);
    EXPECT_EQ("0.0000", c["figures.trilinear.plateau.difference"]);
}

TEST(MeasureProgram, ExpectationsGateTheRunWithAJUnitSuite)
{
    SKIP_WITHOUT(lodBiasExtension);
    const std::string expectations = TestDirectory() + "reports\\expect.json";
    const std::string bounds = "{\"trilinear.plateau\": {\"max\": 0.02}, \"stages.identical\": true,"
                               " \"bias.maxError\": {\"max\": 0.01}}";
    std::ofstream(expectations, std::ios::binary) << bounds;
    const std::string passing = ReportFolder("gate-llvmpipe");
    FinishedRun run = RunProgramToEnd("--measure \"" + passing + "\" --expect \"" + expectations + "\"",
                                      180000);
    EXPECT_EQ(0u, run.exitCode) << run.err;
    const std::string xml = FileText(passing + "\\report.xml");
    EXPECT_NE(std::string::npos, xml.find("tests=\"3\" failures=\"0\""));

    const std::string failing = ReportFolder("gate-brilinear");
    run = RunWithMesaSwitch("GALLIVM_PERF=brilinear", "--measure '" + failing + "' --expect '" +
                            expectations + "'", "gate-brilinear");
    EXPECT_EQ(3u, run.exitCode) << run.err;
    const std::string failed = FileText(failing + "\\report.xml");
    EXPECT_NE(std::string::npos, failed.find("failures=\"2\"")) << failed;
    EXPECT_NE(std::string::npos, failed.find("<failure message=\"trilinear.plateau = 0.5")) << failed;
    EXPECT_NE(std::string::npos, failed.find("name=\"stages.identical\"/>")) << failed;

    // A bad file ends the run before anything is measured or written.
    std::ofstream(expectations, std::ios::binary) << "{\"trilinear.plateau\": {\"most\": 1}}";
    const std::string refused = ReportFolder("gate-refused");
    run = RunProgramToEnd("--measure \"" + refused + "\" --expect \"" + expectations + "\"");
    EXPECT_EQ(2u, run.exitCode);
    EXPECT_EQ("quorvane: " + expectations + ": trilinear.plateau: unknown member \"most\" (min and max only)\n",
              run.err);
    EXPECT_FALSE(run.windowSeen);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(refused.c_str()));
}

TEST(MeasureProgram, UnwritableFolderEndsWithCodeOneBeforeMeasuring)
{
    const std::string nowhere = ReportFolder("missing") + "\\deeper";
    const FinishedRun run = RunProgramToEnd("--measure \"" + nowhere + "\"");
    EXPECT_EQ(1u, run.exitCode);
    EXPECT_EQ(0u, run.err.find("quorvane: cannot write " + nowhere + ": ")) << run.err;
    EXPECT_GT(run.err.size(), nowhere.size() + 27) << "the system's reason follows";
    EXPECT_EQ("", run.boxes);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(nowhere.c_str()));
}

// The title as the program answers WM_GETTEXT: mid-battery only a program
// that answers its messages between the steps can tell it.
std::string AskedTitle(HWND window)
{
    char text[256] = {};
    DWORD_PTR copied = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof(text), reinterpret_cast<LPARAM>(text),
                        SMTO_NORMAL, 20000, &copied);
    return text;
}

// Asks the title until it matches the pattern; returns it, or "".
std::string WaitForTitle(HWND window, const std::string& pattern)
{
    for (int polls = 0; polls < 2000; ++polls, Sleep(10)) {
        const std::string title = AskedTitle(window);
        if (std::regex_match(title, std::regex(pattern)))
            return title;
    }
    return "";
}

bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

TEST(MeasureProgram, F5MeasuresIntoTheChosenFolderAndEscapeStopsIt)
{
    const std::string folder = ReportFolder("window");
    ASSERT_TRUE(CreateDirectoryA(folder.c_str(), nullptr));
    RunningProgram program;
    ASSERT_NO_FATAL_FAILURE(StartProgram(program));
    ASSERT_TRUE(WaitForSettledPanel(program.panel));
    HWND window = program.renderWindow;
    const std::string view = TestDirectory() + "reports\\view-";
    const auto saveView = [&](const std::string& name) {
        // A file left from a run before would raise the overwrite prompt.
        for (const char* extension : {".png", ".json"})
            DeleteFileA((view + name + extension).c_str());
        SetForegroundWindow(window);
        Sleep(200);
        PressCtrlS();
        EXPECT_NE("", AnswerSaveDialog(window, view + name + ".png"));
        for (int polls = 0; polls < 150 && !Exists(view + name + ".json"); ++polls)
            Sleep(100);
    };
    saveView("before");

    PostMessageA(window, WM_KEYDOWN, VK_F5, 0);
    EXPECT_EQ("report.json", AnswerSaveDialog(window, folder + "\\report.json"));
    const std::string title = WaitForTitle(window, "Measuring [0-9]+ of [0-9]+");
    PostMessageA(window, WM_KEYDOWN, VK_ESCAPE, 0);
    int step = 0, count = 0;
    ASSERT_EQ(2, std::sscanf(title.c_str(), "Measuring %d of %d", &step, &count)) << title;
    EXPECT_LT(step, count);
    ASSERT_NE("", WaitForTitle(window, productBanner));
    EXPECT_FALSE(Exists(folder + "\\report.json"));
    EXPECT_FALSE(Exists(folder + "\\report.png"));
    saveView("after");
    const std::string before = FileText(view + "before.png");
    EXPECT_GT(before.size(), 1000u);
    EXPECT_TRUE(before == FileText(view + "after.png")) << "the same frame, pixel for pixel";
    EXPECT_EQ(FileText(view + "before.json"), FileText(view + "after.json"));

    // From the panel, to its end: the report is there once the title is back.
    PostMessageA(program.panel, WM_KEYDOWN, VK_F5, 0);
    EXPECT_EQ("report.json", AnswerSaveDialog(program.panel, folder + "\\report.json"));
    ASSERT_NE("", WaitForTitle(window, "Measuring [0-9]+ of [0-9]+"));
    ASSERT_NE("", WaitForTitle(window, productBanner));
    std::map<std::string, std::string> report;
    EXPECT_TRUE(flat_json::Read(FileText(folder + "\\report.json"), report));
    EXPECT_EQ(1u, report.count("stages.identical"));
    EXPECT_EQ(0, FileText(folder + "\\report.png").compare(0, 4, "\x89PNG"));
    EXPECT_EQ(0u, CloseProgram(program));
}

}  // namespace
