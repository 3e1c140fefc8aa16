// Ideal level of detail on scenes whose footprints are worked out by hand
// from the 80-degree field of view, the 600-pixel height and the texels
// across the surface.
#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "measure/ideal_lod.h"
#include "measure/scene_model.h"

namespace {

const double tan40 = std::tan(40.0 * 3.14159265358979323846 / 180.0);
// Tangent of the view angle per window pixel, up and across.
const double perPixelY = 2.0 * tan40 / 600.0;
const double perPixelX = 2.0 * tan40 * 1.3333330154418945 / 800.0;

SceneView PlaneAt(double distance, double angle, double scale)
{
    SceneView view;
    view.scene.plane = true;
    view.scene.planeDistance = distance * 10.0;
    view.scene.planeAngle = angle;
    view.scene.texScaleU = scale;
    view.scene.texScaleV = scale;
    return view;
}

// Window position of a view direction (tangents across and up).
double WindowX(double tangent) { return 400.0 + tangent / perPixelX; }
double WindowY(double tangent) { return 300.0 + tangent / perPixelY; }

struct Expected {
    std::string name;
    SceneView view;
    double x, y;
    double openGl, invariant, openGlAniso16;
};

TEST(IdealLod, HandDerivedFootprints)
{
    // Plane with U = V = 20: 2 x 20 repeats of 512 texels over 50 units.
    const double texelsPerUnit = 512.0 * 20.0 / 25.0;
    // Facing the eye at 20 units: one pixel covers 20 x the per-pixel tangent.
    const double facingY = texelsPerUnit * 20.0 * perPixelY;
    const double facingX = texelsPerUnit * 20.0 * perPixelX;
    // Tilted by 45 degrees at the view's centre: up the plane a pixel covers
    // sqrt(2) times as much (the distance over cos 45), across it the same.
    const double tiltY = facingY * std::sqrt(2.0);
    // Scene turned by 30 degrees: the window's axes lie at 30 degrees to the
    // footprint's, whose lengths stay facingX and tiltY: the longer column is
    // sqrt(facingX^2 sin^2 30 + tiltY^2 cos^2 30), 1.18 times the other.
    const double turned = std::sqrt(facingX * facingX * 0.25 + tiltY * tiltY * 0.75);
    SceneView textureTurned = PlaneAt(20.0, 45.0, 20.0);
    textureTurned.scene.textureRotation = 30.0;
    SceneView sceneTurned = PlaneAt(20.0, 45.0, 20.0);
    sceneTurned.scene.sceneRotation = 30.0;

    // Four-face tunnel, U 10.5, V 1: face 0 lies in x + y = 1 and the ray
    // (0.5, 0.5, -1) meets it at (0.5, 0.5, -1). Per unit of view tangent the
    // point moves 1 in depth (s: 2U / 21 per unit, so 1) and +-0.5 along the
    // edge (t: V / 2 per unit of edge, so 0.25): the columns are
    // (1, 0.25) and (1, -0.25) times 512 texels times the per-pixel tangent,
    // each sqrt(1.0625) long, while the footprint's axes are sqrt(2) and
    // sqrt(1/8).
    SceneView tunnel;
    tunnel.scene.tunnelFaces = 4;
    const double tunnelPixel = 512.0 * perPixelY;

    const Expected cases[] = {
        {"plane facing, centre", PlaneAt(20.0, 0.0, 20.0), 400.0, 300.0,
         std::log2(facingY), std::log2(facingY), std::log2(facingY)},
        // Parallel to the image plane the footprint is the same everywhere.
        {"plane facing, corner", PlaneAt(20.0, 0.0, 20.0), 3.5, 596.5, std::log2(facingY),
         std::log2(facingY), std::log2(facingY)},
        {"plane tilted 45", PlaneAt(20.0, 45.0, 20.0), 400.0, 300.0, std::log2(tiltY),
         std::log2(tiltY), std::log2(tiltY / 2.0)},
        // Turning the texture turns both derivative vectors: no change.
        {"texture turned 30", textureTurned, 400.0, 300.0, std::log2(tiltY), std::log2(tiltY),
         std::log2(tiltY / 2.0)},
        // Turning the scene mixes the axes into both window columns: the
        // OpenGL rule drops, the ellipse does not change.
        {"scene turned 30", sceneTurned, 400.0, 300.0, std::log2(turned), std::log2(tiltY),
         std::log2(turned / 2.0)},
        {"tunnel face", tunnel, WindowX(0.5), WindowY(0.5),
         std::log2(tunnelPixel * std::sqrt(1.0625)), std::log2(tunnelPixel * std::sqrt(2.0)),
         std::log2(tunnelPixel * std::sqrt(1.0625))},
    };
    for (const Expected& c : cases) {
        SCOPED_TRACE(c.name);
        const SceneModel model = BuildSceneModel(c.view);
        const int face = FaceAt(model, c.x, c.y, -1);
        ASSERT_EQ(0, face);
        const TexelJacobian j = JacobianAt(model.faces[face], c.x, c.y);
        EXPECT_NEAR(c.openGl, OpenGlRuleLod(j, 1.0), 1e-5);
        EXPECT_NEAR(c.invariant, InvariantLod(j, 1.0), 1e-5);
        EXPECT_NEAR(c.openGlAniso16, OpenGlRuleLod(j, 16.0), 1e-5);
    }
}

TEST(IdealLod, CoverageEdges)
{
    struct Case {
        std::string name;
        SceneView view;
        double x, y;
        bool covered;
    };
    // At 30 units the plane's top edge (y = 25) is seen at the tangent 25 / 30:
    // window y = 300 + (25 / 30) / perPixelY, about 597.9.
    const double edgeY = WindowY(25.0 / 30.0);
    SceneView tunnel;
    const Case cases[] = {
        {"below the plane's top edge", PlaneAt(30.0, 0.0, 1.0), 400.0, std::floor(edgeY) - 0.5, true},
        {"above the plane's top edge", PlaneAt(30.0, 0.0, 1.0), 400.0, std::floor(edgeY) + 1.5, false},
        {"plane edge-on", PlaneAt(2.0, 90.0, 1.0), 400.5, 200.5, false},
        // 21 units down the tunnel of radius 1 is the far opening.
        {"tunnel's far opening", tunnel, 400.5, 300.5, false},
        {"tunnel wall", tunnel, 10.5, 300.5, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SceneModel model = BuildSceneModel(c.view);
        EXPECT_EQ(c.covered, FaceAt(model, c.x, c.y, -1) >= 0);
    }
}

TEST(IdealLod, BiasLimitAndClasses)
{
    LodRule rule;
    rule.biasLimit = 1.5;
    const struct {
        double bias, effective;
    } biases[] = {{-2.0, -1.5}, {-1.5, -1.5}, {0.7, 0.7}, {1.5, 1.5}, {3.0, 1.5}};
    for (const auto& b : biases) {
        rule.bias = b.bias;
        EXPECT_DOUBLE_EQ(b.effective, EffectiveBias(rule)) << b.bias;
    }
    const struct {
        double lambda;
        LodClass cls;
    } classes[] = {{-0.5, LodMagnified}, {0.0, LodMagnified}, {1e-6, LodInside},
                   {8.999, LodInside},   {9.0, LodClamped},   {12.0, LodClamped}};
    for (const auto& c : classes)
        EXPECT_EQ(c.cls, ClassifyLod(c.lambda, 9)) << c.lambda;
}

TEST(IdealLod, MapAgreesWithThePointEvaluation)
{
    // The default tunnel, with the bias added and every wall pixel filled.
    SceneView view;
    view.scene.sceneRotation = 30.0;
    const SceneModel model = BuildSceneModel(view);
    LodRule rule;
    rule.bias = 0.5;
    rule.biasLimit = 4.0;
    IdealLodMap map;
    ComputeIdealLodMap(model, rule, true, map);
    long covered = 0;
    for (int row = 0; row < viewHeight; row += 37)
        for (int column = 0; column < viewWidth; column += 41) {
            const size_t at = static_cast<size_t>(row) * viewWidth + column;
            const int face = FaceAt(model, column + 0.5, row + 0.5, -1);
            ASSERT_EQ(face >= 0, map.openGlClass[at] != LodUncovered) << column << "," << row;
            if (face < 0)
                continue;
            ++covered;
            const TexelJacobian j = JacobianAt(model.faces[face], column + 0.5, row + 0.5);
            EXPECT_NEAR(OpenGlRuleLod(j, 1.0) + 0.5, map.openGl[at], 1e-4);
            EXPECT_NEAR(InvariantLod(j, 1.0) + 0.5, map.invariant[at], 1e-4);
        }
    EXPECT_GT(covered, 200);
}

}  // namespace
