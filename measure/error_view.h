// The error view: in place of the picture, the map of the measured level of
// detail against the OpenGL rule for a scene, on the bound test texture.
#pragma once

#include "render/scene.h"

// Deletes the view's textures.
void ReleaseErrorView();

// Draws the error map of `scene` into the back buffer without showing it.
void DrawErrorView(const Scene& scene);
