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

// Reads a UTF-16 path when `wide` is true, else an 8-bit one. Null on
// failure, with the reason kept for LastDibError; the reader shows nothing.
RgbImage* LoadDibImageAW(const void* path, bool wide);

// The text of the last read's failure, for the caller to tell; empty after a
// success.
const char* LastDibError();

// Keeps a picture's failure for LastDibError, as the reader does: the texture
// builder's refusals are told the same way.
void RecordImageError(const char* text);
