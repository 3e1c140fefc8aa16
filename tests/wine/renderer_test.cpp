// The fixed state, texture units and frames of the renderer, read back from
// llvmpipe after the real calls.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include <GL/glu.h>

#include "app/viewer_state.h"
#include "app/gl_constants.h"
#include "app/frame.h"
#include "render/scene_renderer.h"
#include "textures/checker_texels.h"
#include "textures/checker_texture.h"
#include "wine/panel_defaults.h"
#include "wine/support.h"

namespace {

struct TexCoordCall {
    GLenum unit;
    double s, t;
};
std::vector<TexCoordCall> texCoordCalls;
MultiTexCoord2dProc realMultiTexCoord2d = nullptr;

void APIENTRY CountingMultiTexCoord2d(GLenum unit, GLdouble s, GLdouble t)
{
    texCoordCalls.push_back({unit, s, t});
    realMultiTexCoord2d(unit, s, t);
}

struct Rgb {
    friend std::ostream& operator<<(std::ostream& out, const Rgb& c)
    {
        return out << "(" << c.r << "," << c.g << "," << c.b << ")";
    }
    int r, g, b;
    bool operator==(const Rgb& o) const { return r == o.r && g == o.g && b == o.b; }
    bool operator!=(const Rgb& o) const { return !(*this == o); }
    bool operator<(const Rgb& o) const
    {
        return r != o.r ? r < o.r : g != o.g ? g < o.g : b < o.b;
    }
};

const int frameWidth = 800;
const int frameHeight = 600;

// The frame just drawn: after SwapBuffers llvmpipe under Wine keeps it in the
// back buffer. Rows bottom first.
std::vector<Rgb> ReadFrame()
{
    std::vector<unsigned char> bytes(frameWidth * frameHeight * 4);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, frameWidth, frameHeight, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    std::vector<Rgb> frame(frameWidth * frameHeight);
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = {bytes[i * 4], bytes[i * 4 + 1], bytes[i * 4 + 2]};
    return frame;
}

const Rgb clearGrey = {51, 51, 51};

// With QUORVANE_FRAME_DIR set, keeps the frame as a PPM file for a person to
// look at.
void KeepFrame(const std::vector<Rgb>& frame, const char* name)
{
    const char* directory = std::getenv("QUORVANE_FRAME_DIR");
    if (directory == nullptr)
        return;
    CreateDirectoryA(directory, nullptr);
    std::string path = std::string(directory) + "\\" + name + ".ppm";
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        return;
    std::fprintf(file, "P6\n%d %d\n255\n", frameWidth, frameHeight);
    for (int y = frameHeight - 1; y >= 0; --y)
        for (int x = 0; x < frameWidth; ++x) {
            const Rgb& p = frame[y * frameWidth + x];
            const unsigned char bytes[3] = {static_cast<unsigned char>(p.r),
                                            static_cast<unsigned char>(p.g),
                                            static_cast<unsigned char>(p.b)};
            std::fwrite(bytes, 1, 3, file);
        }
    std::fclose(file);
}

GLint ActiveUnit()
{
    GLint unit = 0;
    glGetIntegerv(GL_ACTIVE_TEXTURE, &unit);
    return unit;
}

class RendererTest : public testing::Test {
protected:
    void SetUp() override { ASSERT_NO_FATAL_FAILURE(OpenRenderWindow()); }
    void TearDown() override
    {
        texCoordCalls.clear();
        CloseRenderWindow();
    }
    void CountTexCoords()
    {
        realMultiTexCoord2d = viewer.pfnMultiTexCoord2d;
        viewer.pfnMultiTexCoord2d = CountingMultiTexCoord2d;
    }
};

TEST_F(RendererTest, InitSetsFixedStateProjectionAndCheckerFilters)
{
    GLfloat clear[4];
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
    EXPECT_FLOAT_EQ(0.2f, clear[0]);
    EXPECT_FLOAT_EQ(0.2f, clear[1]);
    EXPECT_FLOAT_EQ(0.2f, clear[2]);
    EXPECT_FLOAT_EQ(0.0f, clear[3]);
    GLint value = 0;
    glGetIntegerv(GL_FRONT_FACE, &value);
    EXPECT_EQ(GL_CCW, value);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(0, viewport[0]);
    EXPECT_EQ(0, viewport[1]);
    EXPECT_EQ(800, viewport[2]);
    EXPECT_EQ(600, viewport[3]);
    EXPECT_FALSE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_FALSE(glIsEnabled(GL_CULL_FACE));
    EXPECT_FALSE(glIsEnabled(GL_BLEND));
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));

    // f = 1 / tan(40 degrees); aspect slightly below 4/3.
    GLdouble projection[16];
    glGetDoublev(GL_PROJECTION_MATRIX, projection);
    const double f = 1.0 / std::tan(40.0 * 3.14159265358979323846 / 180.0);
    EXPECT_NEAR(f / 1.3333330154418945, projection[0], 1e-5);
    EXPECT_NEAR(f, projection[5], 1e-5);
    EXPECT_NEAR((60.0 + 0.5) / (0.5 - 60.0), projection[10], 1e-5);
    EXPECT_NEAR(2 * 60.0 * 0.5 / (0.5 - 60.0), projection[14], 1e-5);
    EXPECT_NEAR(-1.0, projection[11], 1e-9);

    glBindTexture(GL_TEXTURE_2D, viewer.textureNames[checkerTexture]);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(GL_LINEAR_MIPMAP_LINEAR, value);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(GL_LINEAR, value);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &value);
    EXPECT_EQ(GL_REPLACE, value);

    // The three names are distinct textures.
    std::set<GLuint> names(viewer.textureNames, viewer.textureNames + 3);
    EXPECT_EQ(3u, names.size());
    EXPECT_EQ(0u, names.count(0));
}

TEST_F(RendererTest, WhiteTextureIsOneOpaqueWhiteTexel)
{
    glBindTexture(GL_TEXTURE_2D, viewer.textureNames[whiteTexture]);
    GLint width = 0, height = 0, minFilter = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
    EXPECT_EQ(1, width);
    EXPECT_EQ(1, height);
    EXPECT_EQ(GL_LINEAR, minFilter);
    unsigned char texel[4] = {};
    glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    EXPECT_EQ(255, texel[0]);
    EXPECT_EQ(255, texel[1]);
    EXPECT_EQ(255, texel[2]);
    EXPECT_EQ(255, texel[3]);
}

TEST_F(RendererTest, UploadedCheckerLevelsEqualTheGeneratedWords)
{
    struct Case {
        int shift;
        MipmapMode mode;
    };
    const Case cases[] = {{0, Normal}, {8, Tinted}, {-3, FullColored}, {3, Tinted}};
    std::vector<uint32_t> expected(512 * 512), actual(512 * 512);
    for (const Case& c : cases) {
        viewer.checkerShift = c.shift;
        viewer.mipmapMode = c.mode;
        BuildCheckerTexture();
        GLint bound = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
        EXPECT_EQ(viewer.textureNames[checkerTexture], static_cast<GLuint>(bound));
        for (int level = 0; level < checkerLevelCount; ++level) {
            const int side = CheckerLevelSide(level);
            GLint width = 0;
            glGetTexLevelParameteriv(GL_TEXTURE_2D, level, GL_TEXTURE_WIDTH, &width);
            EXPECT_EQ(side, width);
            FillCheckerLevel(expected.data(), level, c.shift, c.mode);
            glGetTexImage(GL_TEXTURE_2D, level, GL_RGBA, GL_UNSIGNED_INT_8_8_8_8, actual.data());
            const size_t count = static_cast<size_t>(side) * side;
            EXPECT_TRUE(std::equal(expected.begin(), expected.begin() + count, actual.begin()))
                << "shift " << c.shift << " mode " << c.mode << " level " << level;
        }
    }
    // In bytes, red comes first: level 1 in FullColored is red.
    viewer.mipmapMode = FullColored;
    BuildCheckerTexture();
    std::vector<unsigned char> bytes(256 * 256 * 4);
    glGetTexImage(GL_TEXTURE_2D, 1, GL_RGBA, GL_UNSIGNED_BYTE, bytes.data());
    EXPECT_EQ(254, bytes[0]);
    EXPECT_EQ(0, bytes[1]);
    EXPECT_EQ(0, bytes[2]);
    EXPECT_EQ(0, bytes[3]);
}

TEST_F(RendererTest, RebuildKeepsFiltersAndAnisotropy)
{
    glBindTexture(GL_TEXTURE_2D, viewer.textureNames[checkerTexture]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, 8);
    glBindTexture(GL_TEXTURE_2D, viewer.textureNames[whiteTexture]);
    viewer.checkerShift = 5;
    viewer.mipmapMode = FullColored;
    BuildCheckerTexture();
    GLint value = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &value);
    EXPECT_EQ(viewer.textureNames[checkerTexture], static_cast<GLuint>(value));
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
    EXPECT_EQ(GL_NEAREST_MIPMAP_NEAREST, value);
    glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
    EXPECT_EQ(GL_NEAREST, value);
    GLfloat anisotropy = 0;
    glGetTexParameterfv(GL_TEXTURE_2D, GL_TEXTURE_MAX_ANISOTROPY_EXT, &anisotropy);
    EXPECT_EQ(DriverOffers(anisoExtension) ? 8.0f : 0.0f, anisotropy);
}

TEST_F(RendererTest, StagesPutTestTextureOnStageUnitAndWhiteElsewhere)
{
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &viewer.textureUnitCount);
    ASSERT_GE(viewer.textureUnitCount, 4);
    struct Case {
        int stage;
        bool useBitmap;
    };
    for (const Case c : {Case{0, false}, Case{3, false}, Case{viewer.textureUnitCount - 1, true},
                         Case{0, true}}) {
        viewer.textureStage = c.stage;
        viewer.useBitmap = c.useBitmap;
        BindTextureStages();
        EXPECT_EQ(GL_TEXTURE0 + c.stage, ActiveUnit());
        const GLuint testTexture = viewer.textureNames[c.useBitmap ? bitmapTexture : checkerTexture];
        for (int i = 0; i < viewer.textureUnitCount; ++i) {
            viewer.pfnActiveTexture(GL_TEXTURE0 + i);
            GLint bound = 0, mode = 0;
            glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
            glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
            EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D)) << "unit " << i;
            EXPECT_EQ(i == c.stage ? testTexture : viewer.textureNames[whiteTexture],
                      static_cast<GLuint>(bound))
                << "stage " << c.stage << " unit " << i;
            EXPECT_EQ(i == 0 ? GL_REPLACE : GL_MODULATE, mode) << "unit " << i;
        }
    }
}

TEST_F(RendererTest, OnlyUnitWhiteThenTestTextureStaysReplace)
{
    viewer.textureUnitCount = 1;
    viewer.textureStage = 0;
    BindTextureStages();
    GLint bound = 0, mode = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    glGetTexEnviv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, &mode);
    EXPECT_EQ(viewer.textureNames[checkerTexture], static_cast<GLuint>(bound));
    EXPECT_EQ(GL_REPLACE, mode);
}

TEST_F(RendererTest, TexCoordCallsPerFrame)
{
    CountTexCoords();
    // Before the panel counts the units no coordinate is sent, even with faces.
    viewer.scene.tunnelFaces = 200;
    PresentFrame();
    EXPECT_EQ(0u, texCoordCalls.size());

    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &viewer.textureUnitCount);
    const size_t units = static_cast<size_t>(viewer.textureUnitCount);
    BindTextureStages();
    viewer.scene.texScaleU = 10.5;
    viewer.scene.texScaleV = 1.0;
    struct Case {
        bool plane;
        int faces;
        size_t calls;
    };
    const Case cases[] = {
        {true, 200, 4 * units},     {false, 0, 2 * units},     {false, 3, 8 * units},
        {false, 200, 402 * units},  {false, 400, 802 * units}, {false, 10, 22 * units},
    };
    for (const Case& c : cases) {
        texCoordCalls.clear();
        viewer.scene.plane = c.plane;
        viewer.scene.tunnelFaces = c.faces;
        PresentFrame();
        ASSERT_EQ(c.calls, texCoordCalls.size()) << c.plane << " " << c.faces;
        // Units ascend for every vertex.
        for (size_t i = 0; i < texCoordCalls.size(); ++i)
            ASSERT_EQ(GL_TEXTURE0 + i % units, texCoordCalls[i].unit) << i;
    }

    // Plane corners.
    texCoordCalls.clear();
    viewer.scene.plane = true;
    PresentFrame();
    const double corners[4][2] = {{10.5, 1.0}, {10.5, -1.0}, {-10.5, -1.0}, {-10.5, 1.0}};
    for (int corner = 0; corner < 4; ++corner) {
        EXPECT_EQ(corners[corner][0], texCoordCalls[corner * units].s);
        EXPECT_EQ(corners[corner][1], texCoordCalls[corner * units].t);
    }

    // Tunnel: s runs from U at the mouth to -U at the far end, t from 0 to 2V.
    texCoordCalls.clear();
    viewer.scene.plane = false;
    viewer.scene.tunnelFaces = 3;
    PresentFrame();
    EXPECT_EQ(10.5, texCoordCalls[0].s);
    EXPECT_EQ(0.0, texCoordCalls[0].t);
    EXPECT_EQ(-10.5, texCoordCalls[units].s);
    EXPECT_NEAR(2.0 / 3.0, texCoordCalls[2 * units].t, 1e-15);
    EXPECT_NEAR(2.0, texCoordCalls.back().t, 1e-12);
    EXPECT_EQ(-10.5, texCoordCalls.back().s);
}

TEST_F(RendererTest, TextureMatrixRotatesAndShiftsOnlyTheStageUnit)
{
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &viewer.textureUnitCount);
    GLdouble unitZeroBefore[16];
    glGetDoublev(GL_TEXTURE_MATRIX, unitZeroBefore);
    viewer.textureStage = 2;
    BindTextureStages();
    viewer.scene.textureRotation = 90.0;
    viewer.scene.tunnelFaces = 3;
    PresentFrame();
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(GL_MODELVIEW, mode);
    // Rotation by 90 degrees after the shift: (s, t) -> (-t, s - 9.25).
    GLdouble m[16];
    glGetDoublev(GL_TEXTURE_MATRIX, m);
    EXPECT_NEAR(0.0, m[0], 1e-6);
    EXPECT_NEAR(1.0, m[1], 1e-6);
    EXPECT_NEAR(-1.0, m[4], 1e-6);
    EXPECT_NEAR(0.0, m[12], 1e-6);
    EXPECT_NEAR(-9.25, m[13], 1e-5);

    viewer.scene.plane = true;
    PresentFrame();
    glGetDoublev(GL_TEXTURE_MATRIX, m);
    EXPECT_NEAR(0.0, m[12], 1e-9);
    EXPECT_NEAR(0.0, m[13], 1e-9);

    // Unit 0 carries white now; its matrix keeps what the earlier frames left.
    viewer.pfnActiveTexture(GL_TEXTURE0);
    glGetDoublev(GL_TEXTURE_MATRIX, m);
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(unitZeroBefore[i], m[i]) << i;
    EXPECT_EQ(1.0, m[0]);
}

TEST_F(RendererTest, AllZeroSettingsDrawOnlyTheClearColour)
{
    PresentFrame();
    const std::vector<Rgb> frame = ReadFrame();
    size_t grey = 0;
    for (const Rgb& pixel : frame)
        grey += pixel == clearGrey;
    EXPECT_EQ(frame.size(), grey);
}

TEST_F(RendererTest, DefaultTunnelCoversTheViewWithTintedLevels)
{
    SetPanelDefaults();
    PresentFrame();
    std::vector<Rgb> frame = ReadFrame();
    KeepFrame(frame, "tunnel-tinted");
    EXPECT_EQ(clearGrey, frame[300 * frameWidth + 400]);  // the far opening
    std::set<Rgb> tints;
    for (const Rgb& pixel : frame)
        if (std::abs(pixel.r - pixel.g) > 40 || std::abs(pixel.g - pixel.b) > 40)
            tints.insert(pixel);
    EXPECT_GT(tints.size(), 100u);

    // A clear colour no texel can take shows every pixel the tunnel misses.
    glClearColor(1.0f, 0.0f, 1.0f, 0.0f);
    PresentFrame();
    frame = ReadFrame();
    size_t uncovered = 0;
    for (int y = 0; y < frameHeight; ++y)
        for (int x = 0; x < frameWidth; ++x) {
            const Rgb& pixel = frame[y * frameWidth + x];
            const bool nearCentre = std::abs(x - 400) < 30 && std::abs(y - 300) < 30;
            if (pixel == Rgb{255, 0, 255} && !nearCentre)
                ++uncovered;
        }
    EXPECT_EQ(0u, uncovered);
}

TEST_F(RendererTest, FullColoredNearestMipmapShowsOnlyLevelColours)
{
    SetPanelDefaults();
    viewer.mipmapMode = FullColored;
    BuildCheckerTexture();
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST_MIPMAP_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    PresentFrame();
    KeepFrame(ReadFrame(), "tunnel-full-colored-nearest");
    const std::set<Rgb> allowed = {{254, 0, 0},   {0, 254, 0},   {0, 0, 254}, {254, 0, 254},
                                   {0, 254, 254}, {254, 254, 0}, {0, 0, 0},   {254, 254, 254},
                                   clearGrey};
    std::set<Rgb> seen;
    size_t other = 0;
    for (const Rgb& pixel : ReadFrame()) {
        seen.insert(pixel);
        other += allowed.count(pixel) == 0;
    }
    EXPECT_EQ(0u, other);
    EXPECT_GE(seen.size(), 5u);  // several levels are on screen
}

TEST_F(RendererTest, FarPlaneLeavesGreyCornersAndTiltMovesIt)
{
    SetPanelDefaults();
    viewer.scene.plane = true;
    viewer.scene.planeDistance = 300.0;
    PresentFrame();
    std::vector<Rgb> frame = ReadFrame();
    EXPECT_EQ(clearGrey, frame[0]);
    EXPECT_EQ(clearGrey, frame[frameWidth - 1]);
    EXPECT_EQ(clearGrey, frame[(frameHeight - 1) * frameWidth]);
    EXPECT_EQ(clearGrey, frame[frameHeight * frameWidth - 1]);
    EXPECT_NE(clearGrey, frame[300 * frameWidth + 400]);

    // At distance 20 the plane fills the view; tilted by 80 degrees its far
    // edge recedes and the top of the view shows the clear colour again; the
    // near edge is cut by the near plane at the bottom.
    viewer.scene.planeDistance = 20.0;
    PresentFrame();
    frame = ReadFrame();
    EXPECT_NE(clearGrey, frame[(frameHeight - 1) * frameWidth + 400]);
    EXPECT_NE(clearGrey, frame[400]);
    viewer.scene.planeAngle = 80.0;
    PresentFrame();
    frame = ReadFrame();
    KeepFrame(frame, "plane-tilted-80");
    EXPECT_EQ(clearGrey, frame[(frameHeight - 1) * frameWidth + 400]);
    EXPECT_NE(clearGrey, frame[200 * frameWidth + 400]);
    EXPECT_EQ(clearGrey, frame[10 * frameWidth + 400]);
}

TEST_F(RendererTest, GdiSeesTheSameFrameAsTheBackBuffer)
{
    SetPanelDefaults();
    viewer.scene.plane = true;
    viewer.scene.planeDistance = 300.0;
    PresentFrame();
    const std::vector<Rgb> frame = ReadFrame();
    HDC windowDc = GetDC(viewer.mainWindow);
    for (const POINT p : {POINT{0, 0}, POINT{400, 300}, POINT{420, 310}, POINT{799, 599}}) {
        const COLORREF colour = GetPixel(windowDc, p.x, p.y);
        const Rgb& expected = frame[(frameHeight - 1 - p.y) * frameWidth + p.x];
        EXPECT_EQ(expected, (Rgb{GetRValue(colour), GetGValue(colour), GetBValue(colour)}))
            << p.x << "," << p.y;
    }
    ReleaseDC(viewer.mainWindow, windowDc);
}

}  // namespace
