#include "textures/bitmap_texture.h"

#include <windows.h>
#include <GL/gl.h>

#include <cstdint>
#include <cstdlib>

#include "app/viewer_state.h"
#include "textures/bitmap_levels.h"
#include "textures/dib_reader.h"
#include "textures/mip_scaler.h"

namespace {

void FreePicture(RgbImage* picture)
{
    std::free(picture->pixels);
    std::free(picture);
}

}  // namespace

bool LoadBitmapTexture(const char* path)
{
    RgbImage* picture = LoadDibImage(path);
    if (picture == nullptr)
        return false;

    // One block, sized for level 0, serves every level of the chain.
    BitmapLevelSize sizes[maxBitmapLevels];
    const int levelCount = BitmapLevelSizes(picture->width, picture->height, sizes);
    unsigned char* block = nullptr;
    if (levelCount > 0) {
        const uint64_t blockBytes = static_cast<uint64_t>(sizes[0].width) * sizes[0].height * 3;
        if (blockBytes <= SIZE_MAX)
            block = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(blockBytes)));
    }
    if (block == nullptr) {
        FreePicture(picture);
        return false;
    }

    GLuint& name = viewer.textureNames[bitmapTexture];
    glDeleteTextures(1, &name);
    glGenTextures(1, &name);
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);

    // The levels' rows are tightly packed, 3 x width bytes apart, and the
    // upload reads them with the unpack alignment. Everything else relies on
    // the defaults, so the pixel-store state goes back afterwards.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int level = 0; level < levelCount; ++level) {
        const int width = sizes[level].width;
        const int height = sizes[level].height;
        // Every level from the picture as read, not from the level before;
        // Full Colored levels above 0 are one colour, so nothing to scale.
        if (level == 0 || viewer.mipmapMode != FullColored)
            ScaleRgbImage(picture->pixels, picture->width, picture->height, block, width, height);
        ColorBitmapLevel(block, width, height, level, viewer.mipmapMode);
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                     block);
    }
    glPopClientAttrib();

    std::free(block);
    FreePicture(picture);
    return true;
}
