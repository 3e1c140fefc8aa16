#include "measure/scene_model.h"

#include <cmath>

namespace {

// Pixel centres on a shared edge belong to either face.
const double edgeSlack = 1e-9;

struct Vec3 {
    double x, y, z;
};

Vec3 Add(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 Sub(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 Scale(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Cross(Vec3 a, Vec3 b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

double Radians(double degrees) { return degrees * doublePi / 180.0; }

// The eye-space model-view of the renderer, as rotations and a shift.
struct RigidMap {
    double sceneCos = 1.0, sceneSin = 0.0;  // glRotated(scene, 0, 0, 1)
    double shiftZ = 0.0;                    // glTranslated(0, 0, shiftZ)
    double tiltCos = 1.0, tiltSin = 0.0;    // glRotated(tilt, -1, 0, 0)

    Vec3 Direction(Vec3 p) const
    {
        // About -x by the tilt is about +x by minus the tilt.
        const Vec3 tilted = {p.x, p.y * tiltCos + p.z * tiltSin, -p.y * tiltSin + p.z * tiltCos};
        return {tilted.x * sceneCos - tilted.y * sceneSin,
                tilted.x * sceneSin + tilted.y * sceneCos, tilted.z};
    }
    Vec3 Point(Vec3 p) const
    {
        const Vec3 moved = {p.x, p.y * tiltCos + p.z * tiltSin, -p.y * tiltSin + p.z * tiltCos + shiftZ};
        return {moved.x * sceneCos - moved.y * sceneSin, moved.x * sceneSin + moved.y * sceneCos,
                moved.z};
    }
};

// The eye ray through window (x, y) is D = (kx x + ox, ky y + oy, -1).
struct RayForm {
    double kx, ox, ky, oy;
};

RayForm ViewRays()
{
    const double cotangent = 1.0 / std::tan(Radians(viewFieldOfView / 2.0));
    return {2.0 * viewAspect / (cotangent * viewWidth), -viewAspect / cotangent,
            2.0 / (cotangent * viewHeight), -1.0 / cotangent};
}

// G.D as a linear form in window coordinates.
WindowForm DotWithRay(Vec3 g, const RayForm& ray)
{
    WindowForm form;
    form.p = g.x * ray.kx;
    form.q = g.y * ray.ky;
    form.r = g.x * ray.ox + g.y * ray.oy - g.z;
    return form;
}

// A face from its corner, its two edges (eye space) and the texture
// coordinates' change along each edge; `texel` maps s, t to texels.
FaceModel MakeFace(Vec3 corner, Vec3 edgeA, Vec3 edgeB, const double stA[2],
                   const double stB[2], const double texel[2][2], const RayForm& ray)
{
    FaceModel face;
    const Vec3 n = Cross(edgeA, edgeB);
    const Vec3 bn = Cross(edgeB, n);
    const Vec3 na = Cross(n, edgeA);
    const Vec3 dualA = Scale(bn, 1.0 / Dot(edgeA, bn));
    const Vec3 dualB = Scale(na, 1.0 / Dot(edgeB, na));
    face.c = Dot(n, corner);
    face.w = DotWithRay(n, ray);
    face.a = DotWithRay(dualA, ray);
    face.b = DotWithRay(dualB, ray);
    face.a0 = Dot(corner, dualA);
    face.b0 = Dot(corner, dualB);
    const double uA = texel[0][0] * stA[0] + texel[0][1] * stA[1];
    const double vA = texel[1][0] * stA[0] + texel[1][1] * stA[1];
    const double uB = texel[0][0] * stB[0] + texel[0][1] * stB[1];
    const double vB = texel[1][0] * stB[0] + texel[1][1] * stB[1];
    face.u = DotWithRay(Add(Scale(dualA, uA), Scale(dualB, uB)), ray);
    face.v = DotWithRay(Add(Scale(dualA, vA), Scale(dualB, vB)), ray);
    return face;
}

// Where the ray meets the face's plane: depth and the two face parameters.
struct Hit {
    double depth, a, b;
};

Hit HitOn(const FaceModel& face, double x, double y)
{
    const double w = face.w.At(x, y);
    if (w == 0.0)
        return {-1.0, 0.0, 0.0};
    const double scale = face.c / w;
    return {scale, scale * face.a.At(x, y) - face.a0, scale * face.b.At(x, y) - face.b0};
}

bool Within(double value) { return value >= -edgeSlack && value <= 1.0 + edgeSlack; }

bool InDepthRange(double depth) { return depth >= viewNear && depth <= viewFar; }

// The tunnel face whose angular sector holds the ray, from the angle alone.
int TunnelFaceByAngle(const SceneModel& model, double x, double y)
{
    const RayForm ray = ViewRays();
    const double dx = ray.kx * x + ray.ox;
    const double dy = ray.ky * y + ray.oy;
    // Back into the tunnel's own frame: undo the scene rotation.
    const double c = std::cos(model.sceneRotation), s = std::sin(model.sceneRotation);
    const double ox = dx * c + dy * s;
    const double oy = -dx * s + dy * c;
    // The ring starts at +y and turns towards +x.
    double angle = std::atan2(ox, oy);
    if (angle < 0.0)
        angle += 2.0 * doublePi;
    const int count = static_cast<int>(model.faces.size());
    int face = static_cast<int>(angle / (2.0 * doublePi) * count);
    return face < 0 ? 0 : (face >= count ? count - 1 : face);
}

}  // namespace

SceneModel BuildSceneModel(const SceneView& view)
{
    SceneModel model;
    model.plane = view.scene.plane;
    model.sceneRotation = Radians(view.scene.sceneRotation);
    const RayForm ray = ViewRays();

    // Texels per unit of s and t: the texture matrix's rotation, then the
    // base level's size. The tunnel's shift only moves the coordinates.
    const double rc = std::cos(Radians(view.scene.textureRotation));
    const double rs = std::sin(Radians(view.scene.textureRotation));
    const double texel[2][2] = {{view.textureWidth * rc, -view.textureWidth * rs},
                                {view.textureHeight * rs, view.textureHeight * rc}};

    RigidMap map;
    map.sceneCos = std::cos(model.sceneRotation);
    map.sceneSin = std::sin(model.sceneRotation);
    if (view.scene.plane) {
        map.shiftZ = view.scene.planeDistance * -0.1;
        map.tiltCos = std::cos(Radians(view.scene.planeAngle));
        map.tiltSin = std::sin(Radians(view.scene.planeAngle));
        const Vec3 corner = map.Point({-planeHalfSide, -planeHalfSide, 0.0});
        const Vec3 edgeA = map.Direction({2.0 * planeHalfSide, 0.0, 0.0});
        const Vec3 edgeB = map.Direction({0.0, 2.0 * planeHalfSide, 0.0});
        const double stA[2] = {2.0 * view.scene.texScaleU, 0.0};
        const double stB[2] = {0.0, 2.0 * view.scene.texScaleV};
        model.faces.push_back(MakeFace(corner, edgeA, edgeB, stA, stB, texel, ray));
        return model;
    }

    const int faces = view.scene.tunnelFaces;
    if (faces <= 0)
        return model;
    // The same running sum of d as the renderer's strip.
    const double step = 2.0 / static_cast<double>(faces);
    double d = 0.0;
    Vec3 previous = {std::sin(0.0), std::cos(0.0), 0.0};
    double previousD = 0.0;
    for (int pair = 1; pair <= faces; ++pair) {
        d += step;
        const Vec3 ring = {std::sin(d * singlePi), std::cos(d * singlePi), 0.0};
        const Vec3 corner = map.Point(previous);
        const Vec3 edgeA = map.Direction(Sub(ring, previous));
        const Vec3 edgeB = {0.0, 0.0, -tunnelLength};
        const double stA[2] = {0.0, view.scene.texScaleV * (d - previousD)};
        const double stB[2] = {-2.0 * view.scene.texScaleU, 0.0};
        model.faces.push_back(MakeFace(corner, edgeA, edgeB, stA, stB, texel, ray));
        previous = ring;
        previousD = d;
    }
    return model;
}

int FaceAt(const SceneModel& model, double x, double y, int hint)
{
    const int count = static_cast<int>(model.faces.size());
    if (count == 0)
        return -1;
    if (model.plane) {
        const Hit hit = HitOn(model.faces[0], x, y);
        return InDepthRange(hit.depth) && Within(hit.a) && Within(hit.b) ? 0 : -1;
    }
    int face = hint >= 0 && hint < count ? hint : TunnelFaceByAngle(model, x, y);
    // Step towards the face whose edge parameter holds the ray; a few steps
    // from a neighbour pixel's face at most.
    for (int steps = 0; steps <= count; ++steps) {
        const Hit hit = HitOn(model.faces[face], x, y);
        if (hit.depth <= 0.0) {
            // A plane behind the eye says nothing of the direction.
            const int byAngle = TunnelFaceByAngle(model, x, y);
            if (byAngle == face)
                return -1;
            face = byAngle;
            continue;
        }
        if (hit.a < -edgeSlack)
            face = (face + count - 1) % count;
        else if (hit.a > 1.0 + edgeSlack)
            face = (face + 1) % count;
        else
            return InDepthRange(hit.depth) && Within(hit.b) ? face : -1;
    }
    return -1;
}

TexelJacobian JacobianAt(const FaceModel& face, double x, double y)
{
    // d/dx (c L / w) = c (L.p w - L w.p) / w^2, and likewise for y.
    const double w = face.w.At(x, y);
    const double k = face.c / (w * w);
    const double u = face.u.At(x, y);
    const double v = face.v.At(x, y);
    TexelJacobian j;
    j.dudx = k * (face.u.p * w - u * face.w.p);
    j.dudy = k * (face.u.q * w - u * face.w.q);
    j.dvdx = k * (face.v.p * w - v * face.w.p);
    j.dvdy = k * (face.v.q * w - v * face.w.q);
    return j;
}

FaceHit HitFace(const FaceModel& face, double x, double y, TexelJacobian& j)
{
    const double w = face.w.At(x, y);
    if (w == 0.0)
        return HitUnknown;
    const double inverse = 1.0 / w;
    const double depth = face.c * inverse;
    if (depth <= 0.0)
        return HitUnknown;
    const double a = depth * face.a.At(x, y) - face.a0;
    if (a < -edgeSlack)
        return HitBefore;
    if (a > 1.0 + edgeSlack)
        return HitAfter;
    if (!InDepthRange(depth) || !Within(depth * face.b.At(x, y) - face.b0))
        return HitOutside;
    const double k = depth * inverse;
    const double u = face.u.At(x, y);
    const double v = face.v.At(x, y);
    j.dudx = k * (face.u.p * w - u * face.w.p);
    j.dudy = k * (face.u.q * w - u * face.w.q);
    j.dvdx = k * (face.v.p * w - v * face.w.p);
    j.dvdy = k * (face.v.q * w - v * face.w.q);
    return HitInside;
}

void ForEachCoveredPixel(const SceneModel& model,
                         const std::function<void(size_t, const TexelJacobian&)>& visit)
{
    int rowHint = -1;
    for (int row = 0; row < viewHeight; ++row) {
        const double y = row + 0.5;
        int hint = rowHint;
        bool firstInRow = true;
        for (int column = 0; column < viewWidth; ++column) {
            const double x = column + 0.5;
            TexelJacobian j;
            int face = -1;
            // Mostly the neighbour's face; a walk only where the faces change.
            const FaceHit hit = hint >= 0 ? HitFace(model.faces[hint], x, y, j) : HitUnknown;
            if (hit == HitInside) {
                face = hint;
            } else if (hit != HitOutside) {
                face = FaceAt(model, x, y, hint);
                if (face >= 0)
                    j = JacobianAt(model.faces[face], x, y);
            }
            if (face < 0)
                continue;
            if (firstInRow)
                rowHint = face;
            firstInRow = false;
            hint = face;
            visit(static_cast<size_t>(row) * viewWidth + column, j);
        }
    }
}
