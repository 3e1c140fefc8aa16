#include "textures/bitmap_texture.h"

bool LoadBitmapTexture(const char*)
{
    return false;
}
