// The level-of-detail probe, the live error view and the measuring battery on
// the real driver (llvmpipe under Wine).
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "app/viewer_state.h"
#include "measure/error_view.h"
#include "measure/lod_probe.h"
#include "measure/measure_battery.h"
#include "render/gl_constants.h"
#include "render/scene_renderer.h"
#include "wine/panel_defaults.h"
#include "wine/support.h"

namespace {

// The frame last drawn: llvmpipe under Wine keeps it in the back buffer.
std::vector<uint8_t> BackBuffer()
{
    std::vector<uint8_t> rgba(static_cast<size_t>(viewWidth) * viewHeight * 4);
    glReadPixels(0, 0, viewWidth, viewHeight, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

// The states the probe and the error view change, read back.
struct GlSnapshot {
    GLfloat clear[4];
    GLboolean dither;
    GLint bound, active, pack, unpack, readBuffer, matrixMode;
    GLboolean textureEnabled[8];
    bool operator==(const GlSnapshot& o) const
    {
        for (int i = 0; i < 4; ++i)
            if (clear[i] != o.clear[i])
                return false;
        for (int i = 0; i < 8; ++i)
            if (textureEnabled[i] != o.textureEnabled[i])
                return false;
        return dither == o.dither && bound == o.bound && active == o.active && pack == o.pack &&
               unpack == o.unpack && readBuffer == o.readBuffer && matrixMode == o.matrixMode;
    }
};

GlSnapshot Snapshot()
{
    GlSnapshot s = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, s.clear);
    s.dither = glIsEnabled(GL_DITHER);
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &s.bound);
    glGetIntegerv(GL_ACTIVE_TEXTURE, &s.active);
    glGetIntegerv(GL_PACK_ALIGNMENT, &s.pack);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &s.unpack);
    glGetIntegerv(GL_READ_BUFFER, &s.readBuffer);
    glGetIntegerv(GL_MATRIX_MODE, &s.matrixMode);
    for (int i = 0; i < viewer.textureUnitCount && i < 8; ++i) {
        viewer.pfnActiveTexture(GL_TEXTURE0 + i);
        s.textureEnabled[i] = glIsEnabled(GL_TEXTURE_2D);
    }
    viewer.pfnActiveTexture(static_cast<GLenum>(s.active));
    return s;
}

class MeasureTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(OpenRenderWindow());
        SetPanelDefaults();
    }
    void TearDown() override { CloseRenderWindow(); }
};

TEST_F(MeasureTest, ProbeReadsLevelsAndLeavesTheFrameAsItWas)
{
    RenderScene();
    const std::vector<uint8_t> before = BackBuffer();
    const GlSnapshot state = Snapshot();
    const TextureShape shape = BoundTextureShape();
    EXPECT_EQ(512, shape.width);
    EXPECT_EQ(10, shape.levels);
    const GLuint probe = CreateProbeTexture(shape);
    std::vector<uint8_t> rgba;
    ProbeView(probe, rgba);
    DeleteProbeTexture(probe);
    EXPECT_TRUE(state == Snapshot());

    // The far opening has no value; the walls run through the levels.
    MeasuredLodMap measured;
    DecodeProbeFrame(rgba.data(), shape.levels, measured);
    const size_t centre = static_cast<size_t>(300) * viewWidth + 400;
    EXPECT_FALSE(measured.covered[centre]);
    float lowest = 99.0f, highest = -1.0f;
    for (size_t i = 0; i < measured.lod.size(); ++i)
        if (measured.covered[i]) {
            lowest = std::min(lowest, measured.lod[i]);
            highest = std::max(highest, measured.lod[i]);
        }
    EXPECT_LT(lowest, 0.5f);
    EXPECT_GT(highest, 6.0f);

    RenderScene();
    EXPECT_TRUE(before == BackBuffer()) << "the next frame is the frame as before";
}

TEST_F(MeasureTest, ErrorViewShowsTheMapAndMBringsThePictureBack)
{
    RenderScene();
    const std::vector<uint8_t> picture = BackBuffer();
    const GlSnapshot state = Snapshot();
    ToggleErrorView();
    EXPECT_TRUE(viewer.errorView);
    const std::vector<uint8_t> map = BackBuffer();
    EXPECT_TRUE(state == Snapshot());
    // Near-white on the walls where the driver is close to the rule, the dark
    // no-value grey in the far opening.
    long nearWhite = 0, noValue = 0;
    for (size_t i = 0; i < map.size(); i += 4) {
        nearWhite += map[i] > 200 && map[i + 1] > 200 && map[i + 2] > 200;
        noValue += map[i] == uncoveredColor.r && map[i + 1] == uncoveredColor.g &&
                   map[i + 2] == uncoveredColor.b;
    }
    EXPECT_GT(nearWhite, viewWidth * viewHeight / 4);
    EXPECT_GT(noValue, 100);
    // A change while on redraws the map of the new view.
    viewer.sceneRotation = 45.0;
    RenderScene();
    EXPECT_FALSE(map == BackBuffer());
    viewer.sceneRotation = 0.0;
    ToggleErrorView();
    EXPECT_FALSE(viewer.errorView);
    EXPECT_TRUE(picture == BackBuffer());
}

TEST_F(MeasureTest, BatteryOnLlvmpipe)
{
    RenderScene();
    const std::vector<uint8_t> before = BackBuffer();
    const GlSnapshot state = Snapshot();
    MeasureResults r;
    RunMeasureBattery(r);
    std::printf("lod mean %.4f p99 %.4f invariant %.4f (%ld px)\n", r.lod.meanAbs, r.lod.p99Abs,
                r.lodInvariant.meanAbs, r.lod.pixels);
    std::printf("plateau %.4f\n", r.transfer.plateau);
    for (const TransferBin& b : r.transfer.bins)
        std::printf("  %.3f -> %.3f flat %.3f (%ld)\n", b.fraction, b.blend, b.flatShare, b.pixels);
    std::printf("angle spread %.4f ideal %.3f\n", r.angleSpread, r.angleIdealLod);
    for (const AnglePoint& a : r.angle)
        if (static_cast<int>(a.rotation) % 15 == 0)
            std::printf("  %.0f: %.4f\n", a.rotation, a.meanError);
    std::printf("aniso %d max %.0f mean %.4f blended %.3f\n", r.anisoAvailable, r.maxAnisotropy,
                r.aniso.meanAbs, r.anisoBlendedShare);
    std::printf("bias %d maxError %.4f\n", r.biasAvailable, r.biasMaxError);
    for (const BiasPoint& b : r.bias)
        std::printf("  %.1f: %.4f\n", b.bias, b.shift);
    std::printf("stages %d identical %d seconds %.2f\n", r.stageCount, r.stagesIdentical, r.seconds);
    EXPECT_TRUE(state == Snapshot());
    RenderScene();
    EXPECT_TRUE(before == BackBuffer());
}

}  // namespace
