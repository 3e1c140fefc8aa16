// The one record of the viewer's state: handles, driver capabilities,
// texture names and every setting the panel exposes.
#pragma once

#include <windows.h>
#include <GL/gl.h>

#include "app/mipmap_mode.h"
#include "render/scene.h"


typedef void(APIENTRY* ActiveTextureProc)(GLenum unit);
typedef void(APIENTRY* MultiTexCoord2dProc)(GLenum unit, GLdouble s, GLdouble t);

// A frame this slow or slower makes further changes wait and coalesce.
const double slowFrameSeconds = 0.25;

enum TextureIndex { checkerTexture = 0, bitmapTexture = 1, whiteTexture = 2 };

struct ViewerState {
    // Handles and entry points
    HWND mainWindow = nullptr;
    HDC deviceContext = nullptr;
    HGLRC renderContext = nullptr;
    HWND settingsDialog = nullptr;
    ActiveTextureProc pfnActiveTexture = nullptr;
    MultiTexCoord2dProc pfnMultiTexCoord2d = nullptr;
    GLuint textureNames[3] = {0, 0, 0};

    // Capabilities, read once with the context
    bool anisoSupported = false;
    bool lodBiasSupported = false;
    double anisotropyLimit = 1.0;  // GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, where supported
    double lodBiasLimit = 0.0;     // GL_MAX_TEXTURE_LOD_BIAS_EXT, where supported
    int textureUnitCount = 0;
    int maxTextureSize = 0;  // largest texture side, in texels
    // The panel's ranges made of them
    int anisoSliderMax = 0;
    double maxLodBias = 0.0;
    // Units laid out by BindTextureStages, which the scene sends coordinates
    // to; 0 until then: there is no test texture yet.
    int laidOutUnits = 0;

    // Settings
    int maxAnisotropy = 0;
    double lodBias = 0.0;
    GLenum minFilter = 0;
    GLenum magFilter = 0;
    int textureStage = 0;
    bool useBitmap = false;
    bool bitmapLoaded = false;
    int checkerShift = 0;
    MipmapMode mipmapMode = Normal;
    // The colouring each texture was last built with: a Mipmaps click
    // rebuilds only the shown one, so the other may differ from the radios.
    MipmapMode checkerMipmaps = Normal;
    MipmapMode bitmapMipmaps = Normal;
    Scene scene = blankScene;  // what the window shows

    // Settings panel bookkeeping
    bool dialogCollapsed = false;
    RECT dialogRect = {0, 0, 0, 0};

    // The render window shows the level-of-detail error map instead of the view.
    bool errorView = false;

    // How long the last presented frame took; from slowFrameSeconds on, a
    // change waits for the queue to empty before it is drawn (RenderScene).
    double lastFrameSeconds = 0.0;

    // A screenshot or measuring run: failures go to standard error instead of
    // boxes that would wait for a click (TellUser).
    bool batchRun = false;

    // The battery runs from F5 (app/window_measure): its probe is bound, so
    // frames wait for its end.
    bool measuring = false;
};

extern ViewerState viewer;
