// The BMP header parser on files from the test writer, under ASan and UBSan:
// offsets, converted headers and colour tables, and refusal of everything that
// lies outside the file.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <memory>
#include <vector>

#include "common/bmp_writer.h"
#include "textures/dib_header.h"

namespace {

using bmp::Encoding;
using bmp::Format;

// Parses from a heap block of exactly the file's size, so that any read past
// its end is caught by AddressSanitizer.
DibLayout ParseExact(const std::vector<uint8_t>& bytes)
{
    std::unique_ptr<unsigned char[]> copy(new unsigned char[bytes.size() + (bytes.empty() ? 1 : 0)]);
    if (!bytes.empty())
        std::memcpy(copy.get(), bytes.data(), bytes.size());
    return ParseDibFile(copy.get(), bytes.size());
}

// The converted block, written into a block of exactly its size.
std::vector<uint8_t> Convert(const std::vector<uint8_t>& bytes, const DibLayout& layout)
{
    std::vector<uint8_t> block(layout.convertedSize);
    ConvertDibHeader(bytes.data(), layout, block.data());
    return block;
}

// Entry i behind the converted header, as blue, green, red, fourth byte.
std::vector<uint8_t> Entry(const std::vector<uint8_t>& block, size_t i)
{
    return std::vector<uint8_t>(block.begin() + 40 + 4 * i, block.begin() + 44 + 4 * i);
}

std::vector<uint8_t> Quad(const bmp::Rgb& c)
{
    return {c.b, c.g, c.r, 0};
}

TEST(CountDibColors, FollowsDepthAndOverride)
{
    struct Case {
        bool core;
        uint16_t bitCount;
        uint32_t clrUsed;
        uint16_t expected;
    };
    const Case cases[] = {
        {true, 1, 0, 2},    {true, 4, 0, 16},   {true, 8, 0, 256},  {true, 24, 0, 0},
        {false, 1, 0, 2},   {false, 4, 0, 16},  {false, 8, 0, 256}, {false, 16, 0, 0},
        {false, 24, 0, 0},  {false, 32, 0, 0},  {false, 2, 0, 0},   {false, 8, 20, 20},
        {false, 24, 2, 2},  {false, 1, 300, 300},
        {false, 8, 0x10005, 5},   // only the low 16 bits count
        {false, 8, 0x10000, 0},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> h(40, 0);
        bmp::PutU32(h, 0, c.core ? 12 : 40);
        bmp::PutU16(h, c.core ? 10 : 14, c.bitCount);
        if (!c.core)
            bmp::PutU32(h, 32, c.clrUsed);
        else
            bmp::PutU32(h, 32, 77);  // not part of a core header: ignored
        EXPECT_EQ(c.expected, CountDibColors(h.data()))
            << (c.core ? "core " : "info ") << c.bitCount << " bits, clrUsed " << c.clrUsed;
    }
}

TEST(ParseDibFile, BareInfoHeader8BitWithoutClrUsedCopiesAll256Entries)
{
    bmp::Fixture fx = bmp::WriteBmp(bmp::MakeFormat(5, 3, 8, false));
    bmp::PutU32(fx.bytes, 20, 0);  // biSizeImage left for the parser
    const DibLayout layout = ParseExact(fx.bytes);
    ASSERT_EQ(DibUsable, layout.verdict);
    EXPECT_EQ(0u, layout.headerOffset);
    EXPECT_EQ(256, layout.colorCount);
    EXPECT_EQ(256u, layout.header.biClrUsed);
    EXPECT_EQ(40u + 4 * 256, layout.pixelOffset);
    EXPECT_EQ(3u * 8, layout.pixelBytes);  // 5-byte rows padded to 8
    EXPECT_EQ(15u, layout.header.biSizeImage);  // unpadded whole bytes per row
    const std::vector<uint8_t> block = Convert(fx.bytes, layout);
    for (size_t i = 0; i < 256; ++i)
        EXPECT_EQ(Quad(fx.palette[i]), Entry(block, i)) << "entry " << i;
    DibInfoHeader copied;
    std::memcpy(&copied, block.data(), 40);
    EXPECT_EQ(0, std::memcmp(&copied, &layout.header, 40));
}

TEST(ParseDibFile, BareCoreHeader4BitWidensTriplesAndStartsPixelsBehindThem)
{
    const bmp::Fixture fx = bmp::WriteBmp(bmp::MakeFormat(3, 2, 4, false, true));
    const DibLayout layout = ParseExact(fx.bytes);
    ASSERT_EQ(DibUsable, layout.verdict);
    EXPECT_EQ(16, layout.colorCount);
    EXPECT_EQ(12u + 3 * 16, layout.pixelOffset);
    const DibInfoHeader& h = layout.header;
    EXPECT_EQ(40u, h.biSize);
    EXPECT_EQ(3, h.biWidth);
    EXPECT_EQ(2, h.biHeight);
    EXPECT_EQ(1, h.biPlanes);
    EXPECT_EQ(4, h.biBitCount);
    EXPECT_EQ(0u, h.biCompression);
    EXPECT_EQ(4u, h.biSizeImage);  // (4 x 3 + 7) / 8 = 2 bytes a row, 2 rows
    EXPECT_EQ(0, h.biXPelsPerMeter);
    EXPECT_EQ(0, h.biYPelsPerMeter);
    EXPECT_EQ(16u, h.biClrUsed);
    EXPECT_EQ(16u, h.biClrImportant);
    const std::vector<uint8_t> block = Convert(fx.bytes, layout);
    for (size_t i = 0; i < 16; ++i)
        EXPECT_EQ(Quad(fx.palette[i]), Entry(block, i)) << "entry " << i;
}

TEST(ParseDibFile, CoreHeaderOneBitAndTwentyFourBit)
{
    const bmp::Fixture one = bmp::WriteBmp(bmp::MakeFormat(9, 2, 1, true, true));
    const DibLayout layout = ParseExact(one.bytes);
    ASSERT_EQ(DibUsable, layout.verdict);
    EXPECT_EQ(2u, layout.header.biClrUsed);
    EXPECT_EQ(2u, layout.header.biClrImportant);
    EXPECT_EQ(0u, layout.header.biCompression);
    const std::vector<uint8_t> block = Convert(one.bytes, layout);
    EXPECT_EQ(Quad(one.palette[0]), Entry(block, 0));
    EXPECT_EQ(Quad(one.palette[1]), Entry(block, 1));

    const DibLayout deep = ParseExact(bmp::WriteBmp(bmp::MakeFormat(2, 2, 24, true, true)).bytes);
    ASSERT_EQ(DibUsable, deep.verdict);
    EXPECT_EQ(0, deep.colorCount);
    EXPECT_EQ(0u, deep.header.biClrUsed);
}

TEST(ParseDibFile, ClrUsedTwentyCopiesExactlyTwentyEntries)
{
    Format f = bmp::MakeFormat(4, 4, 8, true);
    f.colorsUsed = 20;
    f.gap = 16;  // junk right behind the table must not become entry 20
    const bmp::Fixture fx = bmp::WriteBmp(f);
    const DibLayout layout = ParseExact(fx.bytes);
    ASSERT_EQ(DibUsable, layout.verdict);
    EXPECT_EQ(20, layout.colorCount);
    EXPECT_EQ(20u, layout.header.biClrUsed);
    const std::vector<uint8_t> block = Convert(fx.bytes, layout);
    EXPECT_EQ(Quad(fx.palette[19]), Entry(block, 19));
    EXPECT_EQ((std::vector<uint8_t>{0, 0, 0, 0}), Entry(block, 20));
    // The conversion may read a full 256-entry palette whatever biClrUsed says.
    EXPECT_GE(layout.entryCount, 257u);
}

TEST(ParseDibFile, TwentyFourBitWithAndWithoutColourTable)
{
    const DibLayout plain = ParseExact(bmp::WriteBmp(bmp::MakeFormat(3, 3, 24, false)).bytes);
    ASSERT_EQ(DibUsable, plain.verdict);
    EXPECT_EQ(0, plain.colorCount);
    EXPECT_EQ(0u, plain.header.biClrUsed);
    EXPECT_EQ(40u, plain.pixelOffset);
    EXPECT_EQ(3u * 12, plain.pixelBytes);

    Format f = bmp::MakeFormat(3, 3, 24, false);
    f.colorsUsed = 2;
    const bmp::Fixture fx = bmp::WriteBmp(f);
    const DibLayout table = ParseExact(fx.bytes);
    ASSERT_EQ(DibUsable, table.verdict);
    EXPECT_EQ(2, table.colorCount);
    EXPECT_EQ(48u, table.pixelOffset);
    const std::vector<uint8_t> block = Convert(fx.bytes, table);
    EXPECT_EQ(Quad(fx.palette[1]), Entry(block, 1));
}

TEST(ParseDibFile, FileHeaderOffsetWinsOverTheTableEnd)
{
    Format f = bmp::MakeFormat(2, 2, 4, true);
    f.gap = 10;
    const bmp::Fixture fx = bmp::WriteBmp(f);
    const DibLayout layout = ParseExact(fx.bytes);
    ASSERT_EQ(DibUsable, layout.verdict);
    EXPECT_EQ(14u, layout.headerOffset);
    EXPECT_EQ(14u + 40 + 64 + 10, layout.pixelOffset);
    EXPECT_EQ(bmp::GetU32(fx.bytes, 10), layout.pixelOffset);
}

TEST(ParseDibFile, BitfieldsMasksFollowTheHeaderAndPrecedeThePixels)
{
    Format f = bmp::MakeFormat(3, 2, 16, false);
    f.encoding = Encoding::Bitfields565;
    const bmp::Fixture fx = bmp::WriteBmp(f);
    const DibLayout layout = ParseExact(fx.bytes);
    ASSERT_EQ(DibUsable, layout.verdict);
    EXPECT_EQ(3u, layout.maskCount);
    EXPECT_EQ(52u, layout.pixelOffset);
    EXPECT_EQ(2u * 8, layout.pixelBytes);
    const std::vector<uint8_t> block = Convert(fx.bytes, layout);
    EXPECT_EQ((std::vector<uint8_t>{0x00, 0xF8, 0, 0}), Entry(block, 0));
    EXPECT_EQ((std::vector<uint8_t>{0xE0, 0x07, 0, 0}), Entry(block, 1));
    EXPECT_EQ((std::vector<uint8_t>{0x1F, 0x00, 0, 0}), Entry(block, 2));
    EXPECT_GE(layout.convertedSize, 40u + 12);
}

TEST(ParseDibFile, TopDownKeepsItsSignButGetsAPositiveImageSize)
{
    Format f = bmp::MakeFormat(5, 4, 24, true);
    f.topDown = true;
    std::vector<uint8_t> bytes = bmp::WriteBmp(f).bytes;
    bmp::PutU32(bytes, 14 + 20, 0);  // biSizeImage left for the parser
    const DibLayout layout = ParseExact(bytes);
    ASSERT_EQ(DibUsable, layout.verdict);
    EXPECT_EQ(-4, layout.header.biHeight);
    EXPECT_EQ(60u, layout.header.biSizeImage);
    EXPECT_EQ(4u * 16, layout.pixelBytes);
}

TEST(ParseDibFile, RunLengthDataIsBoundedByTheFileEnd)
{
    Format f = bmp::MakeFormat(7, 3, 8, true);
    f.encoding = Encoding::Rle8;
    std::vector<uint8_t> bytes = bmp::WriteBmp(f).bytes;
    const size_t dataStart = bmp::GetU32(bytes, 10);
    const uint32_t dataBytes = static_cast<uint32_t>(bytes.size() - dataStart);

    struct Case {
        uint32_t declared;
        uint32_t expected;
    };
    const Case cases[] = {
        {0, dataBytes},               // filled in: up to the end of the file
        {dataBytes + 1000, dataBytes},  // declared past the end: cut at it
        {dataBytes - 2, dataBytes - 2},  // declared shorter: kept
    };
    for (const Case& c : cases) {
        bmp::PutU32(bytes, 14 + 20, c.declared);
        const DibLayout layout = ParseExact(bytes);
        ASSERT_EQ(DibUsable, layout.verdict) << c.declared;
        EXPECT_EQ(c.expected, layout.header.biSizeImage) << c.declared;
        EXPECT_EQ(c.expected, layout.pixelBytes) << c.declared;
    }
    // No data at all behind the table.
    bytes.resize(dataStart);
    EXPECT_EQ(DibMalformed, ParseExact(bytes).verdict);
}

TEST(ParseDibFile, OtherHeaderSizesAreUnknown)
{
    for (uint32_t size : {108u, 124u, 64u, 0u, 41u, 11u}) {
        std::vector<uint8_t> bytes = bmp::WriteBmp(bmp::MakeFormat(2, 2, 24, true)).bytes;
        bmp::PutU32(bytes, 14, size);
        bytes.resize(bytes.size() + 200, 0);
        EXPECT_EQ(DibUnknownFormat, ParseExact(bytes).verdict) << size;
    }
}

// Patches of a valid 24-bit 4 x 3 file with a file header that make it unusable.
TEST(ParseDibFile, RefusesWhatLiesOutsideTheFileOrMakesNoSense)
{
    struct Patch {
        const char* what;
        size_t at;
        uint32_t value;
        bool shortField;
    };
    const Patch patches[] = {
        {"bfOffBits past the end", 10, 100000, false},
        {"bfOffBits one byte too far", 10, 14 + 40 + 1, false},  // rows no longer fit
        {"bfOffBits inside the header", 10, 20, false},
        {"width 0", 18, 0, false},
        {"negative width", 18, 0xFFFFFFFF, false},
        {"height 0", 22, 0, false},
        {"most negative height", 22, 0x80000000, false},
        {"huge width", 18, 0x7FFFFFFF, false},
        {"huge height", 22, 0x7FFFFFFF, false},
        {"huge negative height", 22, 0x80000001, false},
        {"rows longer than the data", 18, 40000, false},
        {"bit count 7", 28, 7, true},
        {"bit count 0", 28, 0, true},
        {"bit count 65535", 28, 65535, true},
        {"JPEG compression", 30, 4, false},
        {"PNG compression", 30, 5, false},
        {"RLE8 on 24 bits", 30, 1, false},
        {"RLE4 on 24 bits", 30, 2, false},
        {"bitfields on 24 bits", 30, 3, false},
        {"colour table past the end", 46, 5000, false},
    };
    for (const Patch& p : patches) {
        std::vector<uint8_t> bytes = bmp::WriteBmp(bmp::MakeFormat(4, 3, 24, true)).bytes;
        if (p.shortField)
            bmp::PutU16(bytes, p.at, p.value);
        else
            bmp::PutU32(bytes, p.at, p.value);
        if (p.at == 22 || p.at == 18) {
            // Enough bytes that only the size arithmetic can refuse it.
            bytes.resize(bytes.size() + 0x10000, 0);
        }
        EXPECT_EQ(DibMalformed, ParseExact(bytes).verdict) << p.what;
    }
}

TEST(ParseDibFile, TinyFilesAreMalformedOrUnknownButNeverOverread)
{
    const std::vector<std::vector<uint8_t>> files = {
        {},          {'B'},        {'B', 'M'},         {'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {40, 0, 0},  {12, 0, 0, 0},  {40, 0, 0, 0, 1, 0},
    };
    for (const std::vector<uint8_t>& f : files)
        EXPECT_NE(DibUsable, ParseExact(f).verdict) << f.size() << " bytes";
}

// Every format the writer makes, cut short at every length: each cut is refused
// unless it leaves whole run-length data, and nothing is read past the cut.
TEST(ParseDibFile, EveryTruncationIsRefusedOrStaysInside)
{
    for (const Format& f : bmp::FormatCatalogue()) {
        if (f.width > 13)
            continue;  // the large one adds time, not cases
        const std::vector<uint8_t> full = bmp::WriteBmp(f).bytes;
        const DibLayout whole = ParseExact(full);
        ASSERT_EQ(DibUsable, whole.verdict) << bmp::Describe(f);
        EXPECT_EQ(full.size(), whole.pixelOffset + whole.pixelBytes) << bmp::Describe(f);
        const bool runLength = f.encoding == Encoding::Rle8 || f.encoding == Encoding::Rle4;
        for (size_t length = 0; length < full.size(); ++length) {
            const std::vector<uint8_t> cut(full.begin(), full.begin() + length);
            const DibLayout layout = ParseExact(cut);
            if (layout.verdict == DibUsable) {
                EXPECT_TRUE(runLength && length > whole.pixelOffset)
                    << bmp::Describe(f) << " cut to " << length;
                EXPECT_EQ(length, layout.pixelOffset + layout.pixelBytes);
                Convert(cut, layout);
            }
        }
    }
}

}  // namespace
