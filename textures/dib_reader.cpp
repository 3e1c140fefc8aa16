#include "textures/dib_reader.h"

RgbImage* LoadDibImage(const char* path)
{
    return LoadDibImageAW(path, false);
}

RgbImage* LoadDibImageAW(const void*, bool)
{
    return nullptr;
}
