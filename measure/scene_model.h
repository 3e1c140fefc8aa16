// The scene as the renderer draws it, as geometry on the CPU: which surface a
// pixel centre sees and how the texel coordinates change across the window
// there. Platform-free.
#pragma once

#include <functional>
#include <vector>

#include "render/scene.h"

// A scene with the test texture's base size, in texels.
struct SceneView {
    Scene scene;
    int textureWidth = 512;
    int textureHeight = 512;
};

// A linear form p x + q y + r in window coordinates.
struct WindowForm {
    double p = 0.0, q = 0.0, r = 0.0;
    double At(double x, double y) const { return p * x + q * y + r; }
};

// One flat face. With w = n.D for the pixel's eye ray D, the ray meets the
// face's plane at depth c / w, and any quantity affine on the face is
// c * form / w + constant: perspective-correct interpolation in closed form.
struct FaceModel {
    double c = 0.0;
    WindowForm w;
    WindowForm a, b;    // face parameters, each 0..1 across the face
    double a0 = 0.0, b0 = 0.0;
    WindowForm u, v;    // base-level texel coordinates (their constants dropped)
};

struct SceneModel {
    bool plane = false;
    double sceneRotation = 0.0;  // radians
    std::vector<FaceModel> faces;
};

// d(u, v) / d(x, y) in base-level texels per window pixel.
struct TexelJacobian {
    double dudx = 0.0, dudy = 0.0, dvdx = 0.0, dvdy = 0.0;
};

SceneModel BuildSceneModel(const SceneView& view);

// Index of the face that the pixel-centre ray at window (x, y) (origin at the
// bottom left, as OpenGL's window coordinates) meets inside the depth range,
// or -1. `hint` is a face to try first (a neighbour pixel's), or -1.
int FaceAt(const SceneModel& model, double x, double y, int hint);

TexelJacobian JacobianAt(const FaceModel& face, double x, double y);

// Calls visit(at, j) for every pixel centre the scene covers, row by row from
// the bottom; at = row * viewWidth + column.
void ForEachCoveredPixel(const SceneModel& model,
                         const std::function<void(size_t, const TexelJacobian&)>& visit);

// The ray at (x, y) against one face, with the Jacobian when it lands inside:
// FaceAt and JacobianAt in one, for a face that a neighbour pixel makes
// likely. Before and after: the ray passes the face's first or last edge (a
// tunnel's neighbour face may hold it); unknown: the face's plane says nothing.
enum FaceHit { HitInside, HitOutside, HitBefore, HitAfter, HitUnknown };
FaceHit HitFace(const FaceModel& face, double x, double y, TexelJacobian& j);
