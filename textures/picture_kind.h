// Which reader a picture file goes to, and the reordering of a decoded
// picture's rows: plain code, tested natively.
#pragma once

#include <cstddef>

// True for a file the program's own BMP reader takes: a name ending in .bmp
// or .dib (any case), or contents starting with "BM". Every other file goes
// to the platform's imaging component.
bool ReadsAsBmp(const char* path, const unsigned char* head, size_t headLength);

// Turns rows of blue, green, red, alpha, top row first (as the imaging
// component gives them) into rows of red, green, blue, bottom row first. The
// colour is taken as stored: alpha is dropped, as the BMP reader drops it.
void BgraTopDownToRgbBottomUp(const unsigned char* bgra, size_t width, size_t height,
                              unsigned char* rgb);
