// The scene as a value, and the view's fixed constants: the renderer draws
// with them and the measuring model computes with them, so that the two agree
// by construction. Platform-free.
#pragma once

// What a frame shows, in the panel's own units.
struct Scene {
    bool plane = false;
    double planeDistance = 20.0;  // tenths of a world unit
    double planeAngle = 0.0;      // degrees
    int tunnelFaces = 200;
    double sceneRotation = 0.0;    // degrees
    double textureRotation = 0.0;  // degrees
    double texScaleU = 10.5;
    double texScaleV = 1.0;
};

// A rectangle of window pixels (origin bottom left) with affine texture
// coordinates: (s, t) at its corner (x, y), changing by the given amounts per
// pixel, so every pixel in it has the same derivatives.
struct AffineRect {
    int x = 0, y = 0, width = 0, height = 0;
    double dsdx = 0.0, dsdy = 0.0, dtdx = 0.0, dtdy = 0.0;
    double s = 0.0, t = 0.0;
};

// Before the panel has run every setting is still zero: the first frame.
const Scene blankScene = {false, 0.0, 0.0, 0, 0.0, 0.0, 0.0, 0.0};

// The fixed projection and viewport.
const int viewWidth = 800;
const int viewHeight = 600;
const double viewFieldOfView = 80.0;
const double viewAspect = 1.3333330154418945;  // 4:3 in single precision
const double viewNear = 0.5;
const double viewFar = 60.0;

// The shapes: pi rounded to single precision and widened, as the tunnel's
// ring is laid out; the plane's half side and the tunnel's length in world
// units.
const double singlePi = 3.1415927410125732;
// And in double precision, for the measuring side's angles.
const double doublePi = 3.14159265358979323846;
const double planeHalfSide = 25.0;
const double tunnelLength = 21.0;
