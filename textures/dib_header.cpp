#include "textures/dib_header.h"

#include <algorithm>
#include <cstring>

namespace {

// Fields lie on any byte boundary (behind a file header on 2-byte ones) and
// are little-endian whatever the build machine is.
uint16_t ReadU16(const unsigned char* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t ReadU32(const unsigned char* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

int32_t ReadS32(const unsigned char* p)
{
    const uint32_t bits = ReadU32(p);
    int32_t value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

// The 24-bit section and the result must stay addressable with a signed
// 32-bit byte count, which is what the platform's bitmap calls take.
const uint64_t maxSectionBytes = 0x7FFFFFFF;

// Palettes the conversion may read: up to 256 entries, whatever biClrUsed says.
const uint32_t conversionPaletteEntries = 256;

// Bytes of one stored row of uncompressed pixels: rounded up to 4 bytes.
uint64_t StoredRowBytes(uint32_t bitCount, uint32_t width)
{
    return (static_cast<uint64_t>(bitCount) * width + 31) / 32 * 4;
}

// The combinations that the platform's conversion understands.
bool DepthFitsCompression(uint32_t bitCount, uint32_t compression)
{
    switch (compression) {
    case dibRgb:
        return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 ||
               bitCount == 24 || bitCount == 32;
    case dibRle8:
        return bitCount == 8;
    case dibRle4:
        return bitCount == 4;
    case dibBitfields:
        return bitCount == 16 || bitCount == 32;
    default:
        return false;
    }
}

void ReadCoreHeader(const unsigned char* h, uint16_t colorCount, DibInfoHeader& c)
{
    c.biSize = dibInfoHeaderSize;
    c.biWidth = ReadU16(h + 4);
    c.biHeight = ReadU16(h + 6);
    c.biPlanes = ReadU16(h + 8);
    c.biBitCount = ReadU16(h + 10);
    c.biCompression = dibRgb;
    c.biSizeImage = 0;
    c.biXPelsPerMeter = 0;
    c.biYPelsPerMeter = 0;
    c.biClrUsed = colorCount;
    c.biClrImportant = colorCount;
}

void ReadInfoHeader(const unsigned char* h, DibInfoHeader& c)
{
    c.biSize = ReadU32(h);
    c.biWidth = ReadS32(h + 4);
    c.biHeight = ReadS32(h + 8);
    c.biPlanes = ReadU16(h + 12);
    c.biBitCount = ReadU16(h + 14);
    c.biCompression = ReadU32(h + 16);
    c.biSizeImage = ReadU32(h + 20);
    c.biXPelsPerMeter = ReadS32(h + 24);
    c.biYPelsPerMeter = ReadS32(h + 28);
    c.biClrUsed = ReadU32(h + 32);
    c.biClrImportant = ReadU32(h + 36);
}

}  // namespace

uint16_t CountDibColors(const void* header)
{
    const unsigned char* h = static_cast<const unsigned char*>(header);
    uint32_t bitCount;
    if (ReadU32(h) == dibCoreHeaderSize) {
        bitCount = ReadU16(h + 10);
    } else {
        const uint32_t used = ReadU32(h + 32);
        if (used != 0)
            return static_cast<uint16_t>(used);
        bitCount = ReadU16(h + 14);
    }
    switch (bitCount) {
    case 1:
        return 2;
    case 4:
        return 16;
    case 8:
        return 256;
    default:
        return 0;
    }
}

DibLayout ParseDibFile(const unsigned char* file, size_t length)
{
    DibLayout layout = {};
    layout.verdict = DibMalformed;

    const bool fileHeader = length >= 2 && file[0] == 'B' && file[1] == 'M';
    if (fileHeader) {
        if (length < dibFileHeaderSize)
            return layout;
        layout.headerOffset = dibFileHeaderSize;
    }
    if (length - layout.headerOffset < 4)
        return layout;
    const unsigned char* h = file + layout.headerOffset;
    const uint32_t headerSize = ReadU32(h);
    if (headerSize != dibCoreHeaderSize && headerSize != dibInfoHeaderSize) {
        layout.verdict = DibUnknownFormat;
        return layout;
    }
    if (length - layout.headerOffset < headerSize)
        return layout;
    layout.headerSize = headerSize;
    layout.colorCount = CountDibColors(h);

    DibInfoHeader& c = layout.header;
    const bool core = headerSize == dibCoreHeaderSize;
    if (core)
        ReadCoreHeader(h, layout.colorCount, c);
    else
        ReadInfoHeader(h, c);
    if (c.biCompression == dibBitfields)
        layout.maskCount = 3;

    // Masks, then the colour table, directly behind the header.
    const size_t tableOffset = layout.headerOffset + headerSize;
    const size_t maskBytes = 4u * layout.maskCount;
    const size_t tableBytes = maskBytes + static_cast<size_t>(layout.colorCount) * (core ? 3u : 4u);
    if (length - tableOffset < tableBytes)
        return layout;

    if (!DepthFitsCompression(c.biBitCount, c.biCompression))
        return layout;
    if (c.biWidth <= 0 || c.biHeight == 0 || c.biHeight == INT32_MIN)
        return layout;
    const uint32_t width = static_cast<uint32_t>(c.biWidth);
    const uint64_t rows = c.biHeight < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(c.biHeight))
                                          : static_cast<uint64_t>(c.biHeight);
    const uint64_t sectionRowBytes = (static_cast<uint64_t>(width) * 3 + 3) / 4 * 4;
    if (sectionRowBytes * rows > maxSectionBytes)
        return layout;

    if (fileHeader) {
        // The pixel data may leave a gap behind the table, but may not start
        // inside the headers or the masks.
        const size_t offBits = ReadU32(file + 10);
        if (offBits < tableOffset + maskBytes || offBits > length)
            return layout;
        layout.pixelOffset = offBits;
    } else {
        layout.pixelOffset = tableOffset + tableBytes;
    }
    const size_t available = length - layout.pixelOffset;

    if (c.biCompression == dibRle8 || c.biCompression == dibRle4) {
        // Runs end where the data ends: the conversion reads no further than
        // biSizeImage, so that must not reach past the file.
        size_t bytes = available;
        if (c.biSizeImage != 0 && c.biSizeImage < bytes)
            bytes = c.biSizeImage;
        bytes = std::min<size_t>(bytes, UINT32_MAX);
        if (bytes == 0)
            return layout;
        layout.pixelBytes = bytes;
        c.biSizeImage = static_cast<uint32_t>(bytes);
    } else {
        const uint64_t bytes = StoredRowBytes(c.biBitCount, width) * rows;
        if (bytes > available)
            return layout;
        layout.pixelBytes = static_cast<size_t>(bytes);
        // Whole bytes of a row, unpadded; the absolute row count, since a
        // top-down height would turn it into a huge unsigned size.
        if (c.biSizeImage == 0)
            c.biSizeImage =
                static_cast<uint32_t>((static_cast<uint64_t>(c.biBitCount) * width + 7) / 8 * rows);
    }
    if (c.biClrUsed == 0)
        c.biClrUsed = layout.colorCount;

    // Room for the n + 1 entries, and never fewer than the conversion reads.
    layout.entryCount = layout.maskCount +
                        std::max<uint32_t>(layout.colorCount, conversionPaletteEntries) + 1;
    layout.convertedSize = dibInfoHeaderSize + 4u * static_cast<size_t>(layout.entryCount);
    layout.verdict = DibUsable;
    return layout;
}

void ConvertDibHeader(const unsigned char* file, const DibLayout& layout, void* converted)
{
    unsigned char* out = static_cast<unsigned char*>(converted);
    std::memset(out, 0, layout.convertedSize);
    std::memcpy(out, &layout.header, sizeof(layout.header));
    unsigned char* entries = out + dibInfoHeaderSize;
    const unsigned char* table = file + layout.headerOffset + layout.headerSize;
    if (layout.headerSize == dibCoreHeaderSize) {
        // Blue, green, red triples become quads with a zero fourth byte.
        for (uint32_t i = 0; i < layout.colorCount; ++i) {
            entries[4 * i] = table[3 * i];
            entries[4 * i + 1] = table[3 * i + 1];
            entries[4 * i + 2] = table[3 * i + 2];
        }
    } else {
        std::memcpy(entries, table, 4u * (static_cast<size_t>(layout.maskCount) + layout.colorCount));
    }
}
