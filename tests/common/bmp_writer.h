// Writes BMP files for the tests, in every header kind, depth and encoding the
// reader takes, together with the picture each one encodes pixel by pixel.
// Header-only and platform-free: used by the native, Wine and fuzz builds.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace bmp {

struct Rgb {
    uint8_t r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
};

enum class Encoding { Rgb, Rle8, Rle4, Bitfields565, Bitfields888 };

struct Format {
    int width = 4;
    int height = 3;
    int bitCount = 24;
    Encoding encoding = Encoding::Rgb;
    bool fileHeader = true;
    bool coreHeader = false;
    bool topDown = false;       // rows stored top first, negative biHeight
    uint32_t gap = 0;           // junk bytes between the colour table and the pixels
    uint32_t colorsUsed = 0;    // biClrUsed; when not 0 also the palette's length
    uint32_t tableEntries = 0;  // entries written when they differ from the palette's length
};

struct Fixture {
    std::vector<uint8_t> bytes;
    std::vector<Rgb> picture;  // width x height, bottom row first, as the reader returns it
    std::vector<Rgb> palette;
};

inline void PutU16(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}

inline void PutU32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    PutU16(b, at, v & 0xFFFF);
    PutU16(b, at + 2, v >> 16);
}

inline void AppendU16(std::vector<uint8_t>& b, uint32_t v)
{
    b.resize(b.size() + 2);
    PutU16(b, b.size() - 2, v);
}

inline void AppendU32(std::vector<uint8_t>& b, uint32_t v)
{
    b.resize(b.size() + 4);
    PutU32(b, b.size() - 4, v);
}

inline uint32_t GetU32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

// Palette colours: three different bijections of the index, so that no two
// entries are equal and red differs from blue nearly everywhere.
inline Rgb PaletteColor(uint32_t i)
{
    return {static_cast<uint8_t>(i * 37 + 11), static_cast<uint8_t>(i * 101 + 53),
            static_cast<uint8_t>(i * 59 + 200)};
}

inline bool Indexed(const Format& f)
{
    return f.bitCount <= 8;
}

inline uint32_t PaletteLength(const Format& f)
{
    if (!Indexed(f))
        return f.colorsUsed;
    return f.colorsUsed != 0 && !f.coreHeader ? f.colorsUsed : 1u << f.bitCount;
}

// Palette index of (x, y), y counted from the bottom. Run-length files get a
// run on the left half of each row and changing values on the right.
inline uint32_t PixelIndex(const Format& f, int x, int y)
{
    const uint32_t n = PaletteLength(f);
    if (f.encoding == Encoding::Rle8 || f.encoding == Encoding::Rle4) {
        if (x < f.width / 2)
            return static_cast<uint32_t>(y + 1) % n;
        return static_cast<uint32_t>(x * 5 + y * 3) % n;
    }
    return static_cast<uint32_t>(x * 7 + y * 3 + x * y) % n;
}

// Colour of (x, y) for the direct-colour depths, before any quantisation.
inline Rgb DirectColor(int x, int y)
{
    return {static_cast<uint8_t>(x * 40 + y * 7 + 16), static_cast<uint8_t>(y * 50 + x * 3 + 5),
            static_cast<uint8_t>(x * y * 13 + 200)};
}

// A 5- or 6-bit field widened to 8 bits by repeating its top bits.
inline uint8_t Widen(uint32_t v, int bits)
{
    return static_cast<uint8_t>((v << (8 - bits)) | (v >> (2 * bits - 8)));
}

inline std::vector<uint8_t> EncodeRow(const Format& f, const Fixture& fx, int y)
{
    std::vector<uint8_t> row;
    if (Indexed(f)) {
        const int perByte = 8 / f.bitCount;
        row.assign((f.width + perByte - 1) / perByte, 0);
        for (int x = 0; x < f.width; ++x) {
            // The leftmost pixel sits in the byte's most significant bits.
            const int shift = 8 - f.bitCount * (x % perByte + 1);
            row[x / perByte] |= static_cast<uint8_t>(PixelIndex(f, x, y) << shift);
        }
    } else {
        for (int x = 0; x < f.width; ++x) {
            const Rgb c = fx.picture[static_cast<size_t>(y) * f.width + x];
            if (f.bitCount == 24 || (f.bitCount == 32 && f.encoding == Encoding::Rgb)) {
                row.push_back(c.b);
                row.push_back(c.g);
                row.push_back(c.r);
                if (f.bitCount == 32)
                    row.push_back(0x5A);  // unused byte, must be ignored
            } else if (f.encoding == Encoding::Bitfields888) {
                // Masks put red in the low byte, the reverse of plain 32-bit.
                AppendU32(row, c.r | (c.g << 8) | (c.b << 16));
            } else if (f.encoding == Encoding::Bitfields565) {
                AppendU16(row, ((c.r >> 3) << 11) | ((c.g >> 2) << 5) | (c.b >> 3));
            } else {
                AppendU16(row, ((c.r >> 3) << 10) | ((c.g >> 3) << 5) | (c.b >> 3));
            }
        }
    }
    row.resize((row.size() + 3) / 4 * 4, 0);
    return row;
}

// Run-length rows: runs of equal indices as counted pairs, three or more
// differing ones in absolute mode (padded to 16 bits), single ones as runs of 1.
inline std::vector<uint8_t> EncodeRleRow(const Format& f, int y)
{
    const bool four = f.encoding == Encoding::Rle4;
    std::vector<uint8_t> out;
    int x = 0;
    while (x < f.width) {
        int run = 1;
        while (x + run < f.width && run < 255 && PixelIndex(f, x + run, y) == PixelIndex(f, x, y))
            ++run;
        if (run >= 2) {
            const uint32_t i = PixelIndex(f, x, y);
            out.push_back(static_cast<uint8_t>(run));
            out.push_back(static_cast<uint8_t>(four ? (i << 4) | i : i));
            x += run;
            continue;
        }
        int n = 1;
        while (x + n < f.width && n < 255 &&
               !(x + n + 1 < f.width && PixelIndex(f, x + n, y) == PixelIndex(f, x + n + 1, y)))
            ++n;
        if (n >= 3) {
            out.push_back(0);
            out.push_back(static_cast<uint8_t>(n));
            std::vector<uint8_t> data;
            for (int k = 0; k < n; ++k) {
                const uint32_t i = PixelIndex(f, x + k, y);
                if (!four)
                    data.push_back(static_cast<uint8_t>(i));
                else if (k % 2 == 0)
                    data.push_back(static_cast<uint8_t>(i << 4));
                else
                    data.back() |= static_cast<uint8_t>(i);
            }
            data.resize((data.size() + 1) / 2 * 2, 0);
            out.insert(out.end(), data.begin(), data.end());
        } else {
            for (int k = 0; k < n; ++k) {
                const uint32_t i = PixelIndex(f, x + k, y);
                out.push_back(1);
                out.push_back(static_cast<uint8_t>(four ? i << 4 : i));
            }
        }
        x += n;
    }
    return out;
}

inline Fixture WriteBmp(const Format& f)
{
    Fixture fx;
    const uint32_t paletteLength = PaletteLength(f);
    for (uint32_t i = 0; i < paletteLength; ++i)
        fx.palette.push_back(PaletteColor(i));
    for (int y = 0; y < f.height; ++y) {
        for (int x = 0; x < f.width; ++x) {
            Rgb c;
            if (Indexed(f)) {
                c = fx.palette[PixelIndex(f, x, y)];
            } else {
                c = DirectColor(x, y);
                if (f.encoding == Encoding::Bitfields565)
                    c = {Widen(c.r >> 3, 5), Widen(c.g >> 2, 6), Widen(c.b >> 3, 5)};
                else if (f.bitCount == 16)
                    c = {Widen(c.r >> 3, 5), Widen(c.g >> 3, 5), Widen(c.b >> 3, 5)};
            }
            fx.picture.push_back(c);
        }
    }

    std::vector<uint8_t>& b = fx.bytes;
    if (f.fileHeader) {
        b = {'B', 'M'};
        AppendU32(b, 0);  // bfSize, filled in below
        AppendU32(b, 0);  // reserved
        AppendU32(b, 0);  // bfOffBits, filled in below
    }
    const size_t headerAt = b.size();
    const bool bitfields =
        f.encoding == Encoding::Bitfields565 || f.encoding == Encoding::Bitfields888;
    if (f.coreHeader) {
        AppendU32(b, 12);
        AppendU16(b, f.width);
        AppendU16(b, f.height);
        AppendU16(b, 1);
        AppendU16(b, f.bitCount);
    } else {
        uint32_t compression = 0;
        if (f.encoding == Encoding::Rle8)
            compression = 1;
        else if (f.encoding == Encoding::Rle4)
            compression = 2;
        else if (bitfields)
            compression = 3;
        AppendU32(b, 40);
        AppendU32(b, f.width);
        AppendU32(b, static_cast<uint32_t>(f.topDown ? -f.height : f.height));
        AppendU16(b, 1);
        AppendU16(b, f.bitCount);
        AppendU32(b, compression);
        AppendU32(b, 0);  // biSizeImage, filled in below
        AppendU32(b, 2835);
        AppendU32(b, 2835);
        AppendU32(b, f.colorsUsed);
        AppendU32(b, 0);
        if (f.encoding == Encoding::Bitfields565) {
            AppendU32(b, 0xF800);
            AppendU32(b, 0x07E0);
            AppendU32(b, 0x001F);
        } else if (f.encoding == Encoding::Bitfields888) {
            AppendU32(b, 0x000000FF);
            AppendU32(b, 0x0000FF00);
            AppendU32(b, 0x00FF0000);
        }
    }
    const uint32_t written = f.tableEntries != 0 ? f.tableEntries : paletteLength;
    for (uint32_t i = 0; i < written; ++i) {
        const Rgb c = i < paletteLength ? fx.palette[i] : Rgb{0x77, 0x77, 0x77};
        b.push_back(c.b);
        b.push_back(c.g);
        b.push_back(c.r);
        if (!f.coreHeader)
            b.push_back(0);
    }
    b.insert(b.end(), f.gap, 0xEE);
    const size_t pixelsAt = b.size();

    std::vector<int> order;  // rows in storage order, as y from the bottom
    for (int k = 0; k < f.height; ++k)
        order.push_back(f.topDown ? f.height - 1 - k : k);
    if (f.encoding == Encoding::Rle8 || f.encoding == Encoding::Rle4) {
        for (size_t k = 0; k < order.size(); ++k) {
            std::vector<uint8_t> row = EncodeRleRow(f, order[k]);
            b.insert(b.end(), row.begin(), row.end());
            b.push_back(0);
            b.push_back(k + 1 == order.size() ? 1 : 0);  // end of bitmap, else end of line
        }
    } else {
        for (int y : order) {
            std::vector<uint8_t> row = EncodeRow(f, fx, y);
            b.insert(b.end(), row.begin(), row.end());
        }
    }
    if (f.fileHeader) {
        PutU32(b, 2, static_cast<uint32_t>(b.size()));
        PutU32(b, 10, static_cast<uint32_t>(pixelsAt));
    }
    if (!f.coreHeader)
        PutU32(b, headerAt + 20, static_cast<uint32_t>(b.size() - pixelsAt));
    return fx;
}

// A format with the given shape; every other choice at its default.
inline Format MakeFormat(int width, int height, int bitCount, bool fileHeader,
                         bool coreHeader = false, Encoding encoding = Encoding::Rgb)
{
    Format f;
    f.width = width;
    f.height = height;
    f.bitCount = bitCount;
    f.fileHeader = fileHeader;
    f.coreHeader = coreHeader;
    f.encoding = encoding;
    return f;
}

// Every kind of file the reader must load: both header kinds, with and
// without the file header, each depth at widths 1 to 5 (every row padding),
// run-length, bitfields, top-down, short palettes and gaps before the pixels.
inline std::vector<Format> FormatCatalogue()
{
    std::vector<Format> formats;
    auto add = [&formats](int width, int height, int bits, Encoding encoding, bool fileHeader) -> Format& {
        formats.push_back(MakeFormat(width, height, bits, fileHeader, false, encoding));
        return formats.back();
    };
    for (bool fileHeader : {true, false}) {
        for (int width = 1; width <= 5; ++width) {
            for (int bits : {1, 4, 8, 16, 24, 32})
                add(width, 3, bits, Encoding::Rgb, fileHeader);
            for (int bits : {1, 4, 8, 24})
                add(width, 2, bits, Encoding::Rgb, fileHeader).coreHeader = true;
            add(width, 2, 16, Encoding::Bitfields565, fileHeader);
            add(width, 2, 32, Encoding::Bitfields888, fileHeader);
        }
        for (int width : {1, 6, 9, 13}) {
            add(width, 4, 8, Encoding::Rle8, fileHeader);
            add(width, 4, 4, Encoding::Rle4, fileHeader);
        }
        for (int bits : {1, 8, 24, 32})
            add(5, 4, bits, Encoding::Rgb, fileHeader).topDown = true;
        add(3, 3, 16, Encoding::Bitfields565, fileHeader).topDown = true;
        add(7, 3, 8, Encoding::Rgb, fileHeader).colorsUsed = 20;
        add(5, 3, 4, Encoding::Rgb, fileHeader).colorsUsed = 5;
        add(4, 2, 24, Encoding::Rgb, fileHeader).colorsUsed = 2;
        add(9, 3, 8, Encoding::Rle8, fileHeader).colorsUsed = 12;
    }
    for (int bits : {4, 8, 24})
        add(3, 3, bits, Encoding::Rgb, true).gap = 37;
    Format& coreGap = add(3, 3, 8, Encoding::Rgb, true);
    coreGap.coreHeader = true;
    coreGap.gap = 6;
    add(3, 3, 16, Encoding::Bitfields565, true).gap = 2;
    add(67, 41, 24, Encoding::Rgb, true);
    return formats;
}

// A 24-bit file with a file header holding any picture (bottom row first).
inline std::vector<uint8_t> WriteRgb24(int width, int height, const std::vector<Rgb>& picture)
{
    Format f;
    f.width = width;
    f.height = height;
    std::vector<uint8_t> b = WriteBmp(f).bytes;
    const size_t rowBytes = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
    const size_t pixelsAt = GetU32(b, 10);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb c = picture[static_cast<size_t>(y) * width + x];
            uint8_t* p = &b[pixelsAt + y * rowBytes + 3 * static_cast<size_t>(x)];
            p[0] = c.b;
            p[1] = c.g;
            p[2] = c.r;
        }
    }
    return b;
}

// A short description for failure messages.
inline std::string Describe(const Format& f)
{
    static const char* const encodings[] = {"rgb", "rle8", "rle4", "bitfields565", "bitfields888"};
    return std::to_string(f.width) + "x" + std::to_string(f.height) + " " +
           std::to_string(f.bitCount) + "-bit " + encodings[static_cast<int>(f.encoding)] +
           (f.coreHeader ? " core" : " info") + (f.fileHeader ? " with file header" : " bare") +
           (f.topDown ? " top-down" : "") + (f.gap ? " gap " + std::to_string(f.gap) : "") +
           (f.colorsUsed ? " clrUsed " + std::to_string(f.colorsUsed) : "");
}

}  // namespace bmp
