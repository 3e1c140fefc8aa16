#include "ui/settings_values.h"

#include <cmath>
#include <cstdio>

const FilterEntry filterTable[6] = {
    {"NEAREST", 0x2600},                 // GL_NEAREST
    {"LINEAR", 0x2601},                  // GL_LINEAR
    {"NEAREST_MIPMAP_NEAREST", 0x2700},  // GL_NEAREST_MIPMAP_NEAREST
    {"LINEAR_MIPMAP_NEAREST", 0x2701},   // GL_LINEAR_MIPMAP_NEAREST
    {"NEAREST_MIPMAP_LINEAR", 0x2702},   // GL_NEAREST_MIPMAP_LINEAR
    {"LINEAR_MIPMAP_LINEAR", 0x2703},    // GL_LINEAR_MIPMAP_LINEAR
};

int AnisoSliderMaxFor(double maxAnisotropy)
{
    // A driver never reports less than 1; anything that would give a negative
    // or absurd exponent keeps the slider at its one position.
    if (!(maxAnisotropy >= 2.0) || std::isinf(maxAnisotropy))
        return 0;
    const int exponent = static_cast<int>(std::logb(maxAnisotropy));
    // 1 << exponent must stay an int.
    return exponent > 30 ? 30 : exponent;
}

double LodBiasLimitFor(double driverMaxLodBias)
{
    return driverMaxLodBias < 8.0 ? driverMaxLodBias : 8.0;
}

int LodBiasSliderHalfRange(double lodBiasLimit)
{
    return static_cast<int>(lodBiasLimit * 10.0);
}

int AnisotropyForPosition(int position)
{
    return 1 << position;
}

double TenthsForPosition(int position)
{
    return position * 0.1;
}

int ScrollPositionAfter(int code, int currentPosition, int thumbPosition)
{
    switch (code) {
    case 0:  // SB_LINELEFT
    case 6:  // SB_LEFT
        return currentPosition - 1;
    case 1:  // SB_LINERIGHT
    case 7:  // SB_RIGHT
        return currentPosition + 1;
    case 2:  // SB_PAGELEFT
        return currentPosition - 10;
    case 3:  // SB_PAGERIGHT
        return currentPosition + 10;
    case 5:  // SB_THUMBTRACK
        return thumbPosition;
    default:  // SB_THUMBPOSITION, SB_ENDSCROLL and anything else
        return currentPosition;
    }
}

char* FormatAnisotropyLabel(char* buffer, size_t size, int value)
{
    std::snprintf(buffer, size, "%ix", value);
    return buffer;
}

char* FormatIntegerLabel(char* buffer, size_t size, int value)
{
    std::snprintf(buffer, size, "%i", value);
    return buffer;
}

char* FormatDecimalLabel(char* buffer, size_t size, double value)
{
    std::snprintf(buffer, size, "%.1lf", value);
    return buffer;
}

char* FormatDegreeLabel(char* buffer, size_t size, double value)
{
    std::snprintf(buffer, size, "%.1lf\xB0", value);
    return buffer;
}
