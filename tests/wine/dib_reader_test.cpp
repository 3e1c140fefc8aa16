// The BMP reader against Wine's real file mapping and DIB conversion, on files
// that the test writer makes: every pixel of every format, every failure with
// its message, and no handle, mapping or view left behind.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/viewer_state.h"
#include "common/bmp_writer.h"
#include "textures/dib_reader.h"
#include "ui/settings_panel.h"
#include "wine/support.h"

namespace {

using bmp::Encoding;
using bmp::Format;

std::string TempPath(const std::string& name)
{
    return TempFilePath("qv_dib_" + name);
}

std::string WriteFixture(const std::string& name, const std::vector<uint8_t>& bytes)
{
    return WriteTempFile("qv_dib_" + name, bytes);
}

// True when the file can be cut to nothing and deleted at once, which Wine
// refuses while a handle, a mapping or a view of it is still open.
bool FileIsFreeAndDeleted(const std::string& path)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool cut = SetEndOfFile(file) != 0;
    CloseHandle(file);
    return DeleteFileA(path.c_str()) != 0 && cut;
}

void FreeImage(RgbImage* image)
{
    if (image != nullptr) {
        std::free(image->pixels);
        std::free(image);
    }
}

// Compares every pixel; the result must be bottom row first, rows 3 x width apart.
void ExpectPicture(const bmp::Fixture& fx, const Format& f, const RgbImage* image)
{
    ASSERT_NE(nullptr, image) << bmp::Describe(f);
    ASSERT_EQ(f.width, image->width) << bmp::Describe(f);
    ASSERT_EQ(f.height, image->height) << bmp::Describe(f);
    int wrong = 0;
    for (int y = 0; y < f.height; ++y) {
        for (int x = 0; x < f.width; ++x) {
            const unsigned char* p = image->pixels + (static_cast<size_t>(y) * f.width + x) * 3;
            const bmp::Rgb got = {p[0], p[1], p[2]};
            const bmp::Rgb want = fx.picture[static_cast<size_t>(y) * f.width + x];
            if (got != want && ++wrong <= 3) {
                ADD_FAILURE() << bmp::Describe(f) << " at (" << x << ", " << y << "): got "
                              << int(got.r) << "," << int(got.g) << "," << int(got.b)
                              << " want " << int(want.r) << "," << int(want.g) << ","
                              << int(want.b);
            }
        }
    }
}

class DibReaderTest : public testing::Test {
protected:
    void SetUp() override { ResetViewerState(); }
    void TearDown() override { ResetViewerState(); }
};

TEST_F(DibReaderTest, EveryFormatGivesThePictureBottomRowFirstWithTightRows)
{
    const std::vector<Format> formats = bmp::FormatCatalogue();
    MessageBoxCatcher catcher;
    for (size_t i = 0; i < formats.size(); ++i) {
        const Format& f = formats[i];
        const bmp::Fixture fx = bmp::WriteBmp(f);
        const std::string path = WriteFixture("format" + std::to_string(i) + ".bmp", fx.bytes);
        RgbImage* image = LoadDibImage(path.c_str());
        ExpectPicture(fx, f, image);
        FreeImage(image);
        EXPECT_TRUE(FileIsFreeAndDeleted(path)) << bmp::Describe(f);
    }
    EXPECT_EQ(std::vector<std::string>{}, BoxTexts(catcher));
}

TEST_F(DibReaderTest, TopDownFileGivesTheSamePictureAsTheBottomUpOne)
{
    Format f = bmp::MakeFormat(5, 4, 24, true);
    const bmp::Fixture up = bmp::WriteBmp(f);
    f.topDown = true;
    const bmp::Fixture down = bmp::WriteBmp(f);
    ASSERT_NE(up.bytes, down.bytes);
    RgbImage* fromUp = LoadDibImage(WriteFixture("up.bmp", up.bytes).c_str());
    RgbImage* fromDown = LoadDibImage(WriteFixture("down.bmp", down.bytes).c_str());
    ASSERT_NE(nullptr, fromUp);
    ASSERT_NE(nullptr, fromDown);
    EXPECT_EQ(4, fromDown->height);
    EXPECT_EQ(std::vector<unsigned char>(fromUp->pixels, fromUp->pixels + 60),
              std::vector<unsigned char>(fromDown->pixels, fromDown->pixels + 60));
    FreeImage(fromUp);
    FreeImage(fromDown);
    EXPECT_TRUE(FileIsFreeAndDeleted(TempPath("up.bmp")));
    EXPECT_TRUE(FileIsFreeAndDeleted(TempPath("down.bmp")));
}

TEST_F(DibReaderTest, WidePathReadsTheSameFile)
{
    const Format f = bmp::MakeFormat(5, 3, 8, true);
    const bmp::Fixture fx = bmp::WriteBmp(f);
    const std::string path = WriteFixture("wide.bmp", fx.bytes);
    const std::wstring widePath(path.begin(), path.end());
    MessageBoxCatcher catcher;
    RgbImage* image = LoadDibImageAW(widePath.c_str(), true);
    ExpectPicture(fx, f, image);
    FreeImage(image);
    EXPECT_TRUE(catcher.boxes.empty());
    EXPECT_TRUE(FileIsFreeAndDeleted(path));
}

// A file that fails, and the one message it must raise.
struct FailureCase {
    const char* what;
    std::vector<uint8_t> bytes;
    std::string message;  // empty: the open-failure text with the path
};

std::vector<FailureCase> FailureCases()
{
    const std::string conversion = "Image file conversion error.";
    const std::string unknown = "Unknown DIB file format.";
    std::vector<FailureCase> cases;
    const std::vector<uint8_t> plain = bmp::WriteBmp(bmp::MakeFormat(4, 3, 24, true)).bytes;

    cases.push_back({"empty file", {}, ""});
    for (uint32_t size : {108u, 124u}) {
        std::vector<uint8_t> b = plain;
        bmp::PutU32(b, 14, size);
        b.resize(b.size() + 200, 0);
        cases.push_back({size == 108 ? "header size 108" : "header size 124", b, unknown});
    }
    {
        std::vector<uint8_t> b = bmp::WriteBmp(bmp::MakeFormat(4, 3, 8, false)).bytes;
        b.resize(40 + 4 * 100);
        cases.push_back({"colour table cut short", b, conversion});
    }
    {
        Format core = bmp::MakeFormat(4, 3, 8, false);
        core.coreHeader = true;
        std::vector<uint8_t> b = bmp::WriteBmp(core).bytes;
        b.resize(12 + 3 * 255 + 2);
        cases.push_back({"core colour table cut short", b, conversion});
    }
    {
        std::vector<uint8_t> b = plain;
        b.pop_back();
        cases.push_back({"pixel data one byte short", b, conversion});
    }
    // The plain file with one 32-bit field of its headers made nonsense.
    const struct {
        const char* what;
        size_t offset;
        uint32_t value;
    } patches[] = {
        {"absurd width", 18, 0x7FFFFFFF},
        {"absurd height", 22, 0x40000000},
        {"most negative height", 22, 0x80000000},
        {"width 0", 18, 0},
        {"bfOffBits past the end", 10, static_cast<uint32_t>(plain.size()) + 1},
        {"bfOffBits far past the end", 10, 0xFFFFFFF0u},
    };
    for (const auto& patch : patches) {
        std::vector<uint8_t> b = plain;
        bmp::PutU32(b, patch.offset, patch.value);
        cases.push_back({patch.what, b, conversion});
    }
    {
        std::vector<uint8_t> b = {'B', 'M', 1, 2, 3};
        cases.push_back({"file header cut short", b, conversion});
    }
    {
        // Passes the header checks; the platform's conversion refuses it.
        Format f = bmp::MakeFormat(6, 3, 8, true);
        f.encoding = Encoding::Rle8;
        f.topDown = true;
        cases.push_back({"top-down run-length data", bmp::WriteBmp(f).bytes, conversion});
    }
    {
        std::vector<uint8_t> b = plain;
        bmp::PutU16(b, 26, 0);
        cases.push_back({"no planes", b, conversion});
    }
    return cases;
}

// The reader shows nothing; its caller tells the one reason, or nothing in a batch run.
TEST_F(DibReaderTest, EachFailureShowsItsOneMessageOrNoneWhenSilenced)
{
    for (const FailureCase& c : FailureCases()) {
        const std::string path = WriteFixture("failure.bmp", c.bytes);
        const std::string expected =
            c.message.empty() ? "Failed to open DIB file " + path + ".\n" : c.message;
        {
            MessageBoxCatcher catcher;
            EXPECT_EQ(nullptr, LoadDibImage(path.c_str())) << c.what;
            EXPECT_TRUE(catcher.boxes.empty()) << c.what;
            TellPictureFailure();
            ASSERT_EQ(1u, catcher.boxes.size()) << c.what;
            EXPECT_EQ(expected, catcher.boxes[0].text) << c.what;
            EXPECT_EQ("Error", catcher.boxes[0].caption) << c.what;
        }
        viewer.batchRun = true;
        {
            MessageBoxCatcher catcher;
            EXPECT_EQ(nullptr, LoadDibImage(path.c_str())) << c.what;
            EXPECT_EQ(expected, LastDibError()) << c.what;
            TellPictureFailure();
            EXPECT_TRUE(catcher.boxes.empty()) << c.what;
        }
        viewer.batchRun = false;
        EXPECT_TRUE(FileIsFreeAndDeleted(path)) << c.what;
    }
}

// Run-length data that ends with the file, in the middle of an instruction,
// on a page boundary: the byte after the file's last one is not mapped, so a
// conversion that ran past the data would fault instead of reading junk.
std::vector<uint8_t> PageSizedRunLengthFile(bool rle4, const std::vector<uint8_t>& tail,
                                            int width)
{
    const uint32_t pageSize = 4096;
    // A gap of one byte before odd tails keeps the runs on whole pairs.
    const uint32_t dataStart = 14 + 40 + 2 * 4 + static_cast<uint32_t>(tail.size() % 2);
    std::vector<uint8_t> b(dataStart);
    b[0] = 'B';
    b[1] = 'M';
    bmp::PutU32(b, 2, pageSize);
    bmp::PutU32(b, 10, dataStart);
    bmp::PutU32(b, 14, 40);
    bmp::PutU32(b, 18, static_cast<uint32_t>(width));
    bmp::PutU32(b, 22, 2);
    bmp::PutU16(b, 26, 1);
    bmp::PutU16(b, 28, rle4 ? 4 : 8);
    bmp::PutU32(b, 30, rle4 ? 2 : 1);
    bmp::PutU32(b, 46, 2);  // two colours: black, and blue 0x10 green 0x20 red 0x30
    b[58] = 0x10;
    b[59] = 0x20;
    b[60] = 0x30;
    // Encoded runs of one pixel of colour 1 fill the page up to the tail.
    while (b.size() + tail.size() < pageSize) {
        b.push_back(1);
        b.push_back(rle4 ? 0x11 : 1);
    }
    b.insert(b.end(), tail.begin(), tail.end());
    return b;
}

TEST_F(DibReaderTest, RunLengthDataCutShortAtAPageEndIsNotReadPast)
{
    const struct {
        const char* what;
        bool rle4;
        std::vector<uint8_t> tail;
    } cases[] = {
        {"RLE8 delta without its offsets", false, {0, 2}},
        {"RLE8 literal run cut short", false, {0, 200}},
        {"RLE8 encoded run without its colour", false, {5}},
        {"RLE4 delta without its offsets", true, {0, 2}},
        {"RLE4 literal run cut short", true, {0, 200}},
    };
    const int width = 3000;  // wider than the runs reach, so they stay in the bottom row
    for (const auto& c : cases) {
        const std::vector<uint8_t> bytes = PageSizedRunLengthFile(c.rle4, c.tail, width);
        ASSERT_EQ(4096u, bytes.size()) << c.what;
        const std::string path = WriteFixture("cut_rle.bmp", bytes);
        MessageBoxCatcher catcher;
        // How much of a broken stream the platform keeps is its own business;
        // what the reader owes is that nothing past the file is read.
        RgbImage* image = LoadDibImage(path.c_str());
        EXPECT_EQ(std::vector<std::string>{}, BoxTexts(catcher)) << c.what;
        ASSERT_NE(nullptr, image) << c.what;
        EXPECT_EQ(width, image->width) << c.what;
        EXPECT_EQ(2, image->height) << c.what;
        int strange = 0;
        for (int i = 0; i < width * 2; ++i) {
            const unsigned char* p = image->pixels + 3 * i;
            const bool black = p[0] == 0 && p[1] == 0 && p[2] == 0;
            const bool runColour = p[0] == 0x30 && p[1] == 0x20 && p[2] == 0x10;
            strange += !black && !runColour;
        }
        EXPECT_EQ(0, strange) << c.what;
        FreeImage(image);
        EXPECT_TRUE(FileIsFreeAndDeleted(path)) << c.what;
    }
}

TEST_F(DibReaderTest, MissingFileNamesItsPathInBothWidths)
{
    const std::string path = TempPath("does_not_exist.bmp");
    const std::wstring widePath(path.begin(), path.end());
    const std::string text = "Failed to open DIB file " + path + ".\n";
    MessageBoxCatcher catcher;
    EXPECT_EQ(nullptr, LoadDibImage(path.c_str()));
    EXPECT_EQ(text, LastDibError());
    EXPECT_EQ(nullptr, LoadDibImageAW(widePath.c_str(), true));
    EXPECT_EQ(text, LastDibError());
    EXPECT_EQ(nullptr, LoadDibImageAW(path.c_str(), false));
    EXPECT_EQ(text, LastDibError());
    EXPECT_TRUE(catcher.boxes.empty());
}

TEST_F(DibReaderTest, OpenFailureTextHoldsALongestPathWhole)
{
    std::string path = "C:\\qv_missing_folder\\";
    path += std::string(259 - path.size() - 4, 'n') + ".bmp";
    ASSERT_EQ(259u, path.size());
    const std::wstring widePath(path.begin(), path.end());
    const std::string text = "Failed to open DIB file " + path + ".\n";
    EXPECT_EQ(nullptr, LoadDibImage(path.c_str()));
    EXPECT_EQ(text, LastDibError());
    EXPECT_EQ(nullptr, LoadDibImageAW(widePath.c_str(), true));
    EXPECT_EQ(text, LastDibError());
}

TEST_F(DibReaderTest, MessageBelongsToTheWindowWithTheFocus)
{
    HWND window = CreateWindowExA(0, "STATIC", "focus", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50,
                                  nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_NE(nullptr, window);
    SetForegroundWindow(window);
    SetFocus(window);
    ASSERT_EQ(window, GetFocus());
    std::vector<uint8_t> b = bmp::WriteBmp(bmp::MakeFormat(2, 2, 24, true)).bytes;
    bmp::PutU32(b, 14, 124);
    const std::string path = WriteFixture("owner.bmp", b);
    {
        MessageBoxCatcher catcher;
        EXPECT_EQ(nullptr, LoadDibImage(path.c_str()));
        TellPictureFailure();
        ASSERT_EQ(1u, catcher.boxes.size());
        EXPECT_EQ("Unknown DIB file format.", catcher.boxes[0].text);
        EXPECT_EQ(window, catcher.boxes[0].owner);
    }
    DestroyWindow(window);
    PumpMessages();
    {
        MessageBoxCatcher catcher;
        EXPECT_EQ(nullptr, LoadDibImage(path.c_str()));
        TellPictureFailure();
        ASSERT_EQ(1u, catcher.boxes.size());
        EXPECT_EQ(nullptr, catcher.boxes[0].owner);
    }
    EXPECT_TRUE(FileIsFreeAndDeleted(path));
}

}  // namespace
