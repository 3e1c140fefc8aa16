// The level-of-detail probe, the live error view and the measuring battery on
// the real driver (llvmpipe under Wine).
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "app/viewer_state.h"
#include "capture/command_line.h"
#include "capture/view_capture.h"
#include "common/bmp_writer.h"
#include "measure/error_view.h"
#include "measure/lod_probe.h"
#include "measure/measure_battery.h"
#include "app/gl_constants.h"
#include "app/frame.h"
#include "render/scene_renderer.h"
#include "textures/bitmap_texture.h"
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
    PresentFrame();
    const std::vector<uint8_t> before = BackBuffer();
    const GlSnapshot state = Snapshot();
    const TextureShape shape = BoundTextureShape();
    EXPECT_EQ(512, shape.width);
    EXPECT_EQ(10, shape.levels);
    const GLuint probe = CreateProbeTexture(shape);
    std::vector<uint8_t> rgba;
    ProbeView(probe, viewer.scene, rgba);
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

    PresentFrame();
    EXPECT_TRUE(before == BackBuffer()) << "the next frame is the frame as before";
}

TEST_F(MeasureTest, ProbeTakesTheShapeOfABitmapTexture)
{
    // 300 x 200 becomes 512 x 256 with ten levels down to 1 x 1.
    bmp::Format format;
    format.width = 300;
    format.height = 200;
    const std::string path = WriteTempFile("quorvane-measure.bmp", bmp::WriteBmp(format).bytes);
    ASSERT_TRUE(LoadBitmapTexture(path.c_str()));
    DeleteFileA(path.c_str());
    viewer.useBitmap = true;
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    const TextureShape shape = BoundTextureShape();
    EXPECT_EQ(512, shape.width);
    EXPECT_EQ(256, shape.height);
    EXPECT_EQ(10, shape.levels);

    // The map of the bitmap's tunnel: mostly near exact, as with the checkerboard.
    ToggleErrorView();
    const std::vector<uint8_t> map = BackBuffer();
    long nearWhite = 0;
    for (size_t i = 0; i < map.size(); i += 4)
        nearWhite += map[i] > 200 && map[i + 1] > 200 && map[i + 2] > 200;
    EXPECT_GT(nearWhite, viewWidth * viewHeight / 4);
    ToggleErrorView();
}

TEST_F(MeasureTest, ErrorViewShowsTheMapAndMBringsThePictureBack)
{
    PresentFrame();
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
    viewer.scene.sceneRotation = 45.0;
    PresentFrame();
    EXPECT_FALSE(map == BackBuffer());
    viewer.scene.sceneRotation = 0.0;
    // A capture keeps what the window shows: the map, and the map stays.
    PresentFrame();
    const std::vector<uint8_t> shown = BackBuffer();
    char directory[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    const std::string shot = std::string(directory) + "quorvane-error-view.png";
    std::string reason;
    EXPECT_TRUE(CaptureView(shot.c_str(), &reason)) << reason;
    EXPECT_TRUE(shown == BackBuffer());
    DeleteFileA(shot.c_str());
    DeleteFileA(JsonPathFor(shot).c_str());
    ToggleErrorView();
    EXPECT_FALSE(viewer.errorView);
    EXPECT_TRUE(picture == BackBuffer());
}

// Runs the battery away from its defaults, and expects everything back after it.
void ExpectBatteryPutsBack(MeasureResults& results, const MeasureProgress& progress)
{
    // Away from every default the battery uses: plane, stage 2 with a bias,
    // 4x anisotropy, nearest mipmaps, turned texture.
    viewer.scene.plane = true;
    viewer.scene.planeAngle = 60.0;
    viewer.scene.textureRotation = 30.0;
    viewer.scene.texScaleU = 3.0;
    viewer.textureStage = 2;
    BindTextureStages();
    glTexEnvf(GL_TEXTURE_FILTER_CONTROL_EXT, GL_TEXTURE_LOD_BIAS_EXT, 0.5f);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST);
    glTexParameterf(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, 4.0f);
    PresentFrame();
    const std::vector<uint8_t> before = BackBuffer();
    const GlSnapshot state = Snapshot();
    const ViewerState settings = viewer;

    RunMeasureBattery(results, progress);
    EXPECT_TRUE(state == Snapshot());
    const double Scene::*fields[] = {&Scene::planeDistance, &Scene::planeAngle,
                                     &Scene::sceneRotation, &Scene::textureRotation,
                                     &Scene::texScaleU, &Scene::texScaleV};
    for (const auto field : fields)
        EXPECT_EQ(settings.scene.*field, viewer.scene.*field);
    EXPECT_EQ(settings.scene.plane, viewer.scene.plane);
    EXPECT_EQ(settings.textureStage, viewer.textureStage);
    EXPECT_EQ(settings.scene.tunnelFaces, viewer.scene.tunnelFaces);
    GLfloat bias = 0.0f, anisotropy = 0.0f;
    glGetTexEnvfv(GL_TEXTURE_FILTER_CONTROL_EXT, GL_TEXTURE_LOD_BIAS_EXT, &bias);
    glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &anisotropy);
    EXPECT_FLOAT_EQ(0.5f, bias);
    if (DriverOffers(anisoExtension)) {
        EXPECT_FLOAT_EQ(4.0f, anisotropy);
    }
    PresentFrame();
    EXPECT_TRUE(before == BackBuffer());
}

TEST_F(MeasureTest, BatteryPutsSettingsAndStateBack)
{
    MeasureResults results;
    std::vector<std::string> told;
    ExpectBatteryPutsBack(results, [&told](int step, int count, const char* name) {
        EXPECT_EQ(MeasureStepCount(), count);
        EXPECT_EQ(static_cast<int>(told.size()) + 1, step);
        told.push_back(name);
        return true;
    });
    EXPECT_FALSE(results.stopped);
    // One step a probe or atlas frame, one for the rules' draws and one for
    // the natural texture's, every one told.
    const size_t biasProbes = results.bias.size();
    const size_t anisoSteps = results.anisoAvailable ? 1 + results.atlas.ratioCurve.size() : 0;
    EXPECT_EQ(4 + biasProbes + anisoSteps + results.angle.size(), told.size());
    ASSERT_EQ(static_cast<size_t>(MeasureStepCount()), told.size());
    EXPECT_EQ("tunnel", told.front());
    EXPECT_EQ("angle 90", told.back());

    // Every unit measured; the sweeps cover their ranges.
    EXPECT_EQ(viewer.textureUnitCount, results.stageCount);
    ASSERT_FALSE(results.angle.empty());
    EXPECT_EQ(0.0, results.angle.front().rotation);
    EXPECT_EQ(90.0, results.angle.back().rotation);
    // Without the extension there is no bias to sweep.
    ASSERT_EQ(DriverOffers(lodBiasExtension), !results.bias.empty());
    if (results.bias.empty())
        return;
    EXPECT_EQ(-2.0, results.bias.front().bias);
    EXPECT_EQ(2.0, results.bias.back().bias);
    EXPECT_GT(results.lod.pixels, viewWidth * viewHeight / 2);
}

TEST_F(MeasureTest, StoppedBatteryPutsSettingsAndStateBack)
{
    // Stopped at the fifth step: in the bias sweep where the driver has it,
    // a bias of -1.5 left on unit 0.
    MeasureResults results;
    int told = 0;
    ExpectBatteryPutsBack(results, [&told](int step, int, const char*) {
        ++told;
        return step < 5;
    });
    EXPECT_TRUE(results.stopped);
    EXPECT_EQ(5, told) << "no step told after the stop";
    EXPECT_LE(results.bias.size(), 2u);
    EXPECT_LT(results.angle.size(), 19u);
}

}  // namespace
