#include "textures/picture_kind.h"

#include <cstring>

namespace {

bool EndsWithNoCase(const char* text, const char* ending)
{
    const size_t length = std::strlen(text);
    const size_t endingLength = std::strlen(ending);
    if (length < endingLength)
        return false;
    for (size_t i = 0; i < endingLength; ++i) {
        char c = text[length - endingLength + i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != ending[i])
            return false;
    }
    return true;
}

}  // namespace

bool ReadsAsBmp(const char* path, const unsigned char* head, size_t headLength)
{
    // By name first: a broken .bmp keeps the BMP reader's own message.
    if (EndsWithNoCase(path, ".bmp") || EndsWithNoCase(path, ".dib"))
        return true;
    return headLength >= 2 && head[0] == 'B' && head[1] == 'M';
}

void BgraTopDownToRgbBottomUp(const unsigned char* bgra, size_t width, size_t height,
                              unsigned char* rgb)
{
    for (size_t row = 0; row < height; ++row) {
        const unsigned char* from = bgra + (height - 1 - row) * width * 4;
        unsigned char* to = rgb + row * width * 3;
        for (size_t x = 0; x < width; ++x, from += 4, to += 3) {
            to[0] = from[2];
            to[1] = from[1];
            to[2] = from[0];
        }
    }
}
