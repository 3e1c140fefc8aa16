#include "textures/bitmap_texture.h"

#include <windows.h>
#include <GL/gl.h>
#include <GL/glu.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "app/viewer_state.h"
#include "textures/bitmap_levels.h"
#include "textures/dib_reader.h"
#include "textures/texture_limit.h"

namespace {

void FreePicture(RgbImage* picture)
{
    std::free(picture->pixels);
    std::free(picture);
}

// A texture larger than the driver takes would be left incomplete and show a
// wrong picture without an error, so such a picture is refused and said so.
bool FitsDriver(const RgbImage& picture)
{
    if (PictureFitsTextureLimit(picture.width, picture.height, viewer.maxTextureSize))
        return true;
    char text[160];
    FormatTooLargeMessage(text, sizeof(text), picture.width, picture.height,
                          viewer.maxTextureSize);
    if (viewer.reportImageErrors)
        MessageBoxA(GetFocus(), text, "Error", MB_OK);
    else
        std::fprintf(stderr, "%s\n", text);
    return false;
}

}  // namespace

bool LoadBitmapTexture(const char* path)
{
    RgbImage* picture = LoadDibImage(path);
    if (picture == nullptr)
        return false;
    if (!FitsDriver(*picture)) {
        FreePicture(picture);
        return false;
    }

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

    // The picture's rows and the levels' rows are tightly packed, 3 x width
    // bytes apart: the scaler reads with the unpack and writes with the pack
    // alignment, the upload reads with the unpack one. Everything else relies
    // on the defaults, so the pixel-store state goes back afterwards.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int level = 0; level < levelCount; ++level) {
        const int width = sizes[level].width;
        const int height = sizes[level].height;
        // Every level from the picture as read, not from the level before.
        gluScaleImage(GL_RGB, picture->width, picture->height, GL_UNSIGNED_BYTE, picture->pixels,
                      width, height, GL_UNSIGNED_BYTE, block);
        ColorBitmapLevel(block, width, height, level, viewer.mipmapMode);
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                     block);
    }
    glPopClientAttrib();

    std::free(block);
    FreePicture(picture);
    return true;
}
