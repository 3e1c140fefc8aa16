#include "textures/picture_kind.h"

#include <cstring>
#include <utility>

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

void BgrTopDownToRgbBottomUp(unsigned char* pixels, size_t width, size_t height)
{
    const size_t rowBytes = width * 3;
    for (size_t top = 0, bottom = height; top + 1 < bottom; ++top) {
        --bottom;
        unsigned char* a = pixels + top * rowBytes;
        unsigned char* b = pixels + bottom * rowBytes;
        for (size_t i = 0; i < rowBytes; ++i)
            std::swap(a[i], b[i]);
    }
    const size_t total = rowBytes * height;
    for (size_t i = 0; i < total; i += 3)
        std::swap(pixels[i], pixels[i + 2]);
}
