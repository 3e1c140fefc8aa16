// Value mapping of the settings panel's controls; no platform needed.
#pragma once

#include <cstddef>

// One row of the filter lists: the list text and its OpenGL filter enum.
struct FilterEntry {
    const char* text;
    unsigned int filter;
};

// Both lists are filled from this table in order, so a list's selection index
// is the table index. The magnification list holds the first two rows.
extern const FilterEntry filterTable[6];
const int minFilterCount = 6;
const int magFilterCount = 2;

// Base-2 exponent e of the driver's largest anisotropy m = f x 2^e, 1 <= f < 2;
// 0 for anything below 2 or not a number.
int AnisoSliderMaxFor(double maxAnisotropy);

// The driver's largest LOD bias lowered to 8.0; a value that does not compare
// (NaN) also gives 8.0.
double LodBiasLimitFor(double driverMaxLodBias);

// Slider half-range for a LOD bias limit: (int)(limit x 10), truncated.
int LodBiasSliderHalfRange(double lodBiasLimit);

// Anisotropy for a slider position: 1 shifted left by the position.
int AnisotropyForPosition(int position);

// A fractional setting: position x 0.1 in double precision.
double TenthsForPosition(int position);

// The scroll-bar position after a scroll code; the scroll bar clamps it.
// `thumbPosition` is the high word of the message, used by SB_THUMBTRACK.
int ScrollPositionAfter(int code, int currentPosition, int thumbPosition);

// Label texts: "%ix", "%i", "%.1lf" and "%.1lf" followed by the degree sign
// (the byte 0xB0 of code page 1252). Each returns `buffer`.
char* FormatAnisotropyLabel(char* buffer, size_t size, int value);
char* FormatIntegerLabel(char* buffer, size_t size, int value);
char* FormatDecimalLabel(char* buffer, size_t size, double value);
char* FormatDegreeLabel(char* buffer, size_t size, double value);
