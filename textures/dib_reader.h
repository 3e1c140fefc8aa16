// Reader of Windows bitmap (BMP) files into tightly packed RGB rows.
#pragma once

#include <cstdint>

// A picture: rows of width x 3 bytes (red, green, blue) with no gap between
// them, the bottom row first. Allocated with malloc: the caller frees
// `pixels`, then the record.
struct RgbImage {
    int32_t width;
    int32_t height;
    unsigned char* pixels;
};

// Reads an 8-bit path; exactly LoadDibImageAW(path, false).
RgbImage* LoadDibImage(const char* path);

// Reads a UTF-16 path when `wide` is true, else an 8-bit one. Null on failure,
// after a message box when viewer.reportImageErrors is true.
RgbImage* LoadDibImageAW(const void* path, bool wide);

// The text of the last read's failure, shown or not; empty after a success.
const char* LastDibError();

// Tells a picture's failure as the reader does: kept for LastDibError, and in
// a message box when viewer.reportImageErrors is true.
void ReportImageError(const char* text);
