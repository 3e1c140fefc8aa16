// Header work of the BMP reader: where the headers, colour table and pixel
// data of a file lie, whether they lie inside it, and the 40-byte header with
// its colour table that the platform's conversion is given. No platform needed.
#pragma once

#include <cstddef>
#include <cstdint>

// BITMAPINFOHEADER, field for field, in the platform's (little-endian) layout.
struct DibInfoHeader {
    uint32_t biSize;
    int32_t biWidth;
    int32_t biHeight;
    uint16_t biPlanes;
    uint16_t biBitCount;
    uint32_t biCompression;
    uint32_t biSizeImage;
    int32_t biXPelsPerMeter;
    int32_t biYPelsPerMeter;
    uint32_t biClrUsed;
    uint32_t biClrImportant;
};
static_assert(sizeof(DibInfoHeader) == 40, "DibInfoHeader must match BITMAPINFOHEADER");

const uint32_t dibFileHeaderSize = 14;
const uint32_t dibCoreHeaderSize = 12;
const uint32_t dibInfoHeaderSize = 40;

// biCompression values.
const uint32_t dibRgb = 0;
const uint32_t dibRle8 = 1;
const uint32_t dibRle4 = 2;
const uint32_t dibBitfields = 3;

enum DibVerdict {
    DibUsable,         // everything the conversion will read lies inside the file
    DibUnknownFormat,  // the DIB header is neither 12 nor 40 bytes
    DibMalformed       // something lies outside the file or makes no sense
};

// What ParseDibFile found. The offsets count from the first byte of the file.
struct DibLayout {
    DibVerdict verdict;
    size_t headerOffset;     // 14 behind a file header, else 0
    uint32_t headerSize;     // 12 or 40 when usable
    uint16_t colorCount;     // n, from CountDibColors
    uint32_t maskCount;      // 3 for BI_BITFIELDS: the masks precede the colour table
    uint32_t entryCount;     // 4-byte entries behind the converted header
    size_t convertedSize;    // bytes of the converted header block: 40 + 4 x entryCount
    size_t pixelOffset;      // where the pixel data starts
    size_t pixelBytes;       // the most the conversion may read from there
    DibInfoHeader header;    // the converted, completed header
};

// Number of colour-table entries that the DIB header at `header` declares.
// Reads the first 36 bytes of a 40-byte header, or 12 of a core header.
uint16_t CountDibColors(const void* header);

// Examines the `length` bytes of a BMP file, with or without the file header.
// Reads nothing outside them, whatever they hold.
DibLayout ParseDibFile(const unsigned char* file, size_t length);

// Writes layout.convertedSize bytes to `converted`: the converted header, the
// masks and colour table as 4-byte entries, and zeros for the spare entries.
// Only for a layout whose verdict is DibUsable, with the same file.
void ConvertDibHeader(const unsigned char* file, const DibLayout& layout, void* converted);
