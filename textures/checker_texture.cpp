#include "textures/checker_texture.h"

#include <cstdint>
#include <cstdlib>

#include "app/viewer_state.h"
#include "app/gl_constants.h"
#include "textures/checker_texels.h"

void BuildCheckerTexture()
{
    // One block, sized for level 0, serves every level of the chain.
    const size_t blockBytes = sizeof(uint32_t) * checkerBaseSide * checkerBaseSide;
    uint32_t* block = static_cast<uint32_t*>(std::malloc(blockBytes));
    const GLuint name = viewer.textureNames[checkerTexture];
    if (block == nullptr) {
        // The texture keeps its previous levels; callers still expect it bound.
        glBindTexture(GL_TEXTURE_2D, name);
        return;
    }
    for (int level = 0; level < checkerLevelCount; ++level) {
        const int side = CheckerLevelSide(level);
        FillCheckerLevel(block, level, viewer.checkerShift, viewer.mipmapMode);
        glBindTexture(GL_TEXTURE_2D, name);
        glTexImage2D(GL_TEXTURE_2D, level, GL_RGBA8, side, side, 0, GL_RGBA,
                     GL_UNSIGNED_INT_8_8_8_8, block);
    }
    std::free(block);
    viewer.checkerMipmaps = viewer.mipmapMode;
}
