#include "measure/sheet_text.h"

#include <windows.h>

#include <cstring>

namespace {

HFONT MakeFont(const SheetText& text)
{
    return CreateFontA(-text.height, 0, 0, 0, text.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                       (text.fixedPitch ? FIXED_PITCH | FF_MODERN : VARIABLE_PITCH | FF_SWISS),
                       text.fixedPitch ? "Courier New" : "Arial");
}

UINT Alignment(TextAlign align)
{
    switch (align) {
    case AlignCentre:
        return TA_TOP | TA_CENTER;
    case AlignRight:
        return TA_TOP | TA_RIGHT;
    default:
        return TA_TOP | TA_LEFT;
    }
}

}  // namespace

bool DrawSheetTexts(ReportSheet& sheet)
{
    SheetImage& image = sheet.image;
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = image.width;
    info.bmiHeader.biHeight = -image.height;  // top row first, as the sheet
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr)
        return false;
    void* bits = nullptr;
    HBITMAP surface = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (surface == nullptr || bits == nullptr) {
        if (surface != nullptr)
            DeleteObject(surface);
        DeleteDC(dc);
        return false;
    }
    // DIB rows are blue, green, red, padded to 4 bytes.
    const size_t stride = (static_cast<size_t>(image.width) * 3 + 3) & ~static_cast<size_t>(3);
    unsigned char* pixels = static_cast<unsigned char*>(bits);
    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const uint8_t* from = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
            unsigned char* to = pixels + y * stride + x * 3;
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
        }

    HGDIOBJ previousBitmap = SelectObject(dc, surface);
    SetBkMode(dc, TRANSPARENT);
    for (const SheetText& text : sheet.texts) {
        HFONT font = MakeFont(text);
        HGDIOBJ previousFont = SelectObject(dc, font);
        SetTextColor(dc, RGB(text.color.r, text.color.g, text.color.b));
        SetTextAlign(dc, Alignment(text.align));
        TextOutA(dc, text.x, text.y, text.text.c_str(), static_cast<int>(text.text.size()));
        SelectObject(dc, previousFont);
        DeleteObject(font);
    }
    GdiFlush();

    for (int y = 0; y < image.height; ++y)
        for (int x = 0; x < image.width; ++x) {
            const unsigned char* from = pixels + y * stride + x * 3;
            uint8_t* to = &image.rgb[(static_cast<size_t>(y) * image.width + x) * 3];
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
        }
    SelectObject(dc, previousBitmap);
    DeleteObject(surface);
    DeleteDC(dc);
    return true;
}
