#include "textures/dib_reader.h"

#include <windows.h>

#include <cstddef>
#include <cstdlib>

#include "textures/dib_header.h"

namespace {

static_assert(sizeof(DibInfoHeader) == sizeof(BITMAPINFOHEADER), "header layouts differ");
static_assert(offsetof(DibInfoHeader, biCompression) == offsetof(BITMAPINFOHEADER, biCompression),
              "header layouts differ");
static_assert(offsetof(DibInfoHeader, biClrImportant) == offsetof(BITMAPINFOHEADER, biClrImportant),
              "header layouts differ");

// What one conversion makes, null where not (yet) made.
struct DibConversionParts {
    void* converted;             // converted header and colour table, LocalAlloc
    HDC memoryDc;
    BITMAPINFOHEADER* target;    // header of the 24-bit section, LocalAlloc
    HBITMAP section;
    unsigned char* pixels;       // malloc, handed over with the image
    RgbImage* image;             // malloc, the result
};

char lastError[1024] = "";

void ReportOpenFailure(const void* path, bool wide)
{
    // wsprintfA writes at most 1024 characters, so no path can overflow this.
    char text[1024];
    if (wide)
        wsprintfA(text, "Failed to open DIB file %ws.\n", static_cast<const wchar_t*>(path));
    else
        wsprintfA(text, "Failed to open DIB file %s.\n", static_cast<const char*>(path));
    RecordImageError(text);
}

// Section rows come in memory order; a top-down section holds the top row
// first, so its rows are taken from the end to give the bottom row first.
void CopySectionRows(const unsigned char* bits, int32_t width, int32_t height, unsigned char* pixels)
{
    const bool topDown = height < 0;
    const size_t rows = topDown ? static_cast<size_t>(-static_cast<int64_t>(height))
                                : static_cast<size_t>(height);
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    const size_t sectionRowBytes = (rowBytes + 3) & ~static_cast<size_t>(3);
    for (size_t row = 0; row < rows; ++row) {
        const unsigned char* from = bits + (topDown ? rows - 1 - row : row) * sectionRowBytes;
        unsigned char* to = pixels + row * rowBytes;
        for (int32_t x = 0; x < width; ++x) {
            // The section holds blue, green, red.
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
            from += 3;
            to += 3;
        }
    }
}

// Converts the mapped file into parts.image, making parts on the way; shows
// the message of the first failure and stops there.
void ConvertMappedDib(const unsigned char* file, size_t length, DibConversionParts& parts)
{
    const DibLayout layout = ParseDibFile(file, length);
    if (layout.verdict == DibUnknownFormat) {
        RecordImageError("Unknown DIB file format.");
        return;
    }
    if (layout.verdict != DibUsable) {
        RecordImageError("Image file conversion error.");
        return;
    }
    parts.converted = LocalAlloc(LMEM_FIXED, layout.convertedSize);
    if (parts.converted == nullptr) {
        RecordImageError("Out of memory.");
        return;
    }
    ConvertDibHeader(file, layout, parts.converted);

    const int32_t width = layout.header.biWidth;
    const int32_t height = layout.header.biHeight;
    const UINT rows = height < 0 ? static_cast<UINT>(-static_cast<int64_t>(height))
                                 : static_cast<UINT>(height);
    void* bits = nullptr;
    parts.memoryDc = CreateCompatibleDC(nullptr);
    parts.target = static_cast<BITMAPINFOHEADER*>(LocalAlloc(LPTR, sizeof(BITMAPINFOHEADER)));
    if (parts.memoryDc != nullptr && parts.target != nullptr) {
        // Same sign of height as the file, so the section has its row order.
        parts.target->biSize = sizeof(BITMAPINFOHEADER);
        parts.target->biWidth = width;
        parts.target->biHeight = height;
        parts.target->biPlanes = 1;
        parts.target->biBitCount = 24;
        parts.target->biCompression = BI_RGB;
        parts.target->biSizeImage = rows * static_cast<DWORD>(width) * 3;
        parts.section = CreateDIBSection(parts.memoryDc, reinterpret_cast<BITMAPINFO*>(parts.target),
                                         DIB_RGB_COLORS, &bits, nullptr, 0);
    }
    if (parts.section == nullptr || bits == nullptr ||
        SelectObject(parts.memoryDc, parts.section) == nullptr) {
        RecordImageError("Out of memory.");
        return;
    }

    // The row count is positive whatever the row order: a negative count is
    // taken as a huge unsigned one, and then nothing is converted.
    if (SetDIBits(parts.memoryDc, parts.section, 0, rows, file + layout.pixelOffset,
                  static_cast<const BITMAPINFO*>(parts.converted), DIB_RGB_COLORS) == 0) {
        RecordImageError("Image file conversion error.");
        return;
    }
    GdiFlush();

    parts.pixels = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(rows) * static_cast<size_t>(width) * 3));
    if (parts.pixels == nullptr) {
        RecordImageError("Out of memory.");
        return;
    }
    CopySectionRows(static_cast<const unsigned char*>(bits), width, height, parts.pixels);

    parts.image = static_cast<RgbImage*>(std::malloc(sizeof(RgbImage)));
    if (parts.image == nullptr) {
        RecordImageError("Out of memory.");
        return;
    }
    parts.image->width = width;
    parts.image->height = static_cast<int32_t>(rows);
    parts.image->pixels = parts.pixels;
}

// Releases everything but a finished image and its pixels.
void ReleaseConversionParts(DibConversionParts& parts)
{
    // Deleting the DC lets go of the selected section, which can then go.
    if (parts.memoryDc != nullptr)
        DeleteDC(parts.memoryDc);
    if (parts.section != nullptr)
        DeleteObject(parts.section);
    if (parts.target != nullptr)
        LocalFree(parts.target);
    if (parts.converted != nullptr)
        LocalFree(parts.converted);
    if (parts.image == nullptr)
        std::free(parts.pixels);
}

}  // namespace

RgbImage* LoadDibImage(const char* path)
{
    return LoadDibImageAW(path, false);
}

const char* LastDibError()
{
    return lastError;
}

void RecordImageError(const char* text)
{
    lstrcpynA(lastError, text, sizeof(lastError));
}

RgbImage* LoadDibImageAW(const void* path, bool wide)
{
    lastError[0] = '\0';
    HANDLE file = wide ? CreateFileW(static_cast<const wchar_t*>(path), GENERIC_READ,
                                     FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr)
                       : CreateFileA(static_cast<const char*>(path), GENERIC_READ,
                                     FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        ReportOpenFailure(path, wide);
        return nullptr;
    }

    bool mapped = false;
    DibConversionParts parts = {};
    LARGE_INTEGER fileSize = {};
    // An empty file cannot be mapped: that counts as a failure to open it.
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    if (mapping != nullptr) {
        const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0);
        if (view != nullptr) {
            mapped = GetFileSizeEx(file, &fileSize) != 0 && fileSize.QuadPart > 0;
            if (mapped) {
                ConvertMappedDib(static_cast<const unsigned char*>(view),
                                 static_cast<size_t>(fileSize.QuadPart), parts);
                ReleaseConversionParts(parts);
            }
            UnmapViewOfFile(view);
        }
        CloseHandle(mapping);
    }
    CloseHandle(file);
    if (!mapped)
        ReportOpenFailure(path, wide);
    return parts.image;
}
