#include "textures/bitmap_texture.h"

#include <windows.h>
#include <GL/gl.h>

#include <cstdint>
#include <cstdlib>

#include "app/viewer_state.h"
#include "textures/bitmap_levels.h"
#include "textures/dib_reader.h"
#include "textures/picture_file.h"
#include "textures/mip_scaler.h"
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
    RecordImageError(text);
    return false;
}

}  // namespace

bool LoadBitmapTexture(const char* path)
{
    RgbImage* picture = LoadPictureImage(path, viewer.maxTextureSize);
    if (picture == nullptr)
        return false;
    if (!FitsDriver(*picture)) {
        FreePicture(picture);
        return false;
    }

    // One block, sized for level 0, holds level 0 and every other level above.
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

    // A second block, sized for level 1, lets the next level be scaled while
    // this one is uploaded; without it the levels take turns in the one block.
    // Full Colored levels above 0 are one colour each: nothing to scale there.
    const MipmapMode mode = viewer.mipmapMode;
    unsigned char* upperBlock = nullptr;
    if (levelCount > 1 && mode != FullColored) {
        upperBlock = static_cast<unsigned char*>(
            std::malloc(static_cast<size_t>(sizes[1].width) * sizes[1].height * 3));
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
    // Every level from the picture as read, not from the level before.
    ScaleLevels(picture->pixels, picture->width, picture->height, sizes, levelCount, mode != FullColored,
                block, upperBlock, [&sizes, mode](int level, unsigned char* texels) {
                    const int width = sizes[level].width;
                    const int height = sizes[level].height;
                    ColorBitmapLevel(texels, width, height, level, mode);
                    glTexImage2D(GL_TEXTURE_2D, level, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE,
                                 texels);
                });
    glPopClientAttrib();

    std::free(upperBlock);
    std::free(block);
    FreePicture(picture);
    viewer.bitmapMipmaps = mode;
    return true;
}
