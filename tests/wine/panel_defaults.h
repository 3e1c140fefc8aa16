// The settings panel's settled start-up state, set by hand for code that runs
// the renderer without the panel. Needs the render window's context current.
#pragma once

#include "app/viewer_state.h"
#include "app/gl_constants.h"
#include "app/frame.h"
#include "render/scene_renderer.h"
#include "textures/checker_texture.h"

inline void SetPanelDefaults()
{
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &viewer.textureUnitCount);
    viewer.maxAnisotropy = 1;
    viewer.minFilter = GL_LINEAR_MIPMAP_LINEAR;
    viewer.magFilter = GL_LINEAR;
    viewer.checkerShift = 8;
    viewer.mipmapMode = Tinted;
    viewer.scene.plane = false;
    viewer.scene.planeDistance = 20.0;
    viewer.scene.tunnelFaces = 200;
    viewer.scene.texScaleU = 10.5;
    viewer.scene.texScaleV = 1.0;
    viewer.textureStage = 0;
    BuildCheckerTexture();
    BindTextureStages();
}
