// The one record of the viewer's state: handles, driver capabilities,
// texture names and every setting the panel exposes.
#pragma once

#include <windows.h>
#include <GL/gl.h>

#include "app/mipmap_mode.h"


typedef void(APIENTRY* ActiveTextureProc)(GLenum unit);
typedef void(APIENTRY* MultiTexCoord2dProc)(GLenum unit, GLdouble s, GLdouble t);

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

    // Capabilities, found once
    bool anisoSupported = false;
    bool lodBiasSupported = false;
    int anisoSliderMax = 0;
    double maxLodBias = 0.0;
    int textureUnitCount = 0;
    int maxTextureSize = 0;  // largest texture side, in texels

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
    bool scenePlane = false;
    double planeDistance = 0.0;  // tenths of a world unit
    double planeAngle = 0.0;     // degrees
    int tunnelFaces = 0;
    double sceneRotation = 0.0;    // degrees
    double textureRotation = 0.0;  // degrees
    double texScaleU = 0.0;
    double texScaleV = 0.0;

    // Settings panel bookkeeping
    bool dialogCollapsed = false;
    RECT dialogRect = {0, 0, 0, 0};

    // The render window shows the level-of-detail error map instead of the view.
    bool errorView = false;

    // BMP reader option
    bool reportImageErrors = true;
    // Off in screenshot and measuring runs: start-up failures then go to
    // standard error instead of a box that would wait for a click.
    bool reportStartupErrors = true;
};

extern ViewerState viewer;
