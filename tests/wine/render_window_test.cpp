// The render window, its context and the driver features found at start-up,
// against Wine's real windowing and llvmpipe's OpenGL.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "app/render_window.h"
#include "app/viewer_state.h"
#include "app/gl_constants.h"
#include "wine/support.h"

namespace {

// Stand-ins for a driver that lacks some entry points or lists extra WGL
// extensions; everything else goes to the real lookup.
const char* missingNames[4] = {};
const char* fakeWglExtensions = nullptr;
int lookupsOfMissing = 0;

const char* WINAPI FakeGetExtensionsString(HDC)
{
    return fakeWglExtensions;
}

PROC WINAPI FilteringLookup(LPCSTR name)
{
    for (const char* missing : missingNames) {
        if (missing != nullptr && std::strcmp(missing, name) == 0) {
            ++lookupsOfMissing;
            return nullptr;
        }
    }
    if (fakeWglExtensions != nullptr && std::strcmp(name, "wglGetExtensionsStringARB") == 0)
        return reinterpret_cast<PROC>(reinterpret_cast<void*>(FakeGetExtensionsString));
    return wglGetProcAddress(name);
}

// Whether the driver has the ARB multitexture names at all: with extensions
// removed through MESA_EXTENSION_OVERRIDE, Mesa 22 drops GL_ARB_multitexture
// from its list too, and the names then resolve to nothing.
bool DriverHasArbMultitexture()
{
    OpenRenderWindow();
    const bool found = wglGetProcAddress("glActiveTextureARB") != nullptr;
    CloseRenderWindow();
    return found;
}

#define SKIP_WITHOUT_ARB_MULTITEXTURE()                                          \
    if (!DriverHasArbMultitexture())                                           \
    GTEST_SKIP() << "this driver has no ARB multitexture names"

class RenderWindowTest : public testing::Test {
protected:
    void TearDown() override
    {
        CloseRenderWindow();
        glEntryPointLookup = wglGetProcAddress;
        std::memset(missingNames, 0, sizeof(missingNames));
        fakeWglExtensions = nullptr;
        lookupsOfMissing = 0;
    }
};

TEST_F(RenderWindowTest, WindowHasBannerClassCaptionFixedStyleAndClientSize)
{
    ASSERT_NO_FATAL_FAILURE(OpenRenderWindow());
    EXPECT_EQ(0, std::strncmp(productBanner, "Quorvane V1.3", 13));
    EXPECT_EQ(viewer.mainWindow, FindWindowA(productBanner, productBanner));

    char text[256] = {};
    GetClassNameA(viewer.mainWindow, text, sizeof(text));
    EXPECT_STREQ(productBanner, text);
    GetWindowTextA(viewer.mainWindow, text, sizeof(text));
    EXPECT_STREQ(productBanner, text);

    const LONG style = GetWindowLongA(viewer.mainWindow, GWL_STYLE);
    EXPECT_EQ(0x00CA0000, style & ~(WS_VISIBLE | WS_CLIPSIBLINGS));
    EXPECT_TRUE(style & WS_VISIBLE);
    EXPECT_EQ(0, GetWindowLongA(viewer.mainWindow, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE);

    RECT client;
    GetClientRect(viewer.mainWindow, &client);
    EXPECT_EQ(800, client.right - client.left);
    EXPECT_EQ(600, client.bottom - client.top);
    POINT origin = {0, 0};
    ClientToScreen(viewer.mainWindow, &origin);
    EXPECT_EQ(30, origin.x);
    EXPECT_EQ(30, origin.y);

    EXPECT_EQ(static_cast<ULONG_PTR>(CS_HREDRAW | CS_VREDRAW),
              GetClassLongPtrA(viewer.mainWindow, GCL_STYLE));
    EXPECT_EQ(0u, GetClassLongPtrA(viewer.mainWindow, GCLP_HBRBACKGROUND));
    EXPECT_EQ(reinterpret_cast<ULONG_PTR>(LoadCursor(nullptr, IDC_ARROW)),
              GetClassLongPtrA(viewer.mainWindow, GCLP_HCURSOR));
    EXPECT_EQ(nullptr, GetMenu(viewer.mainWindow));
}

TEST_F(RenderWindowTest, PixelFormatIsDoubleBufferedRgbaWithDepth24)
{
    ASSERT_NO_FATAL_FAILURE(OpenRenderWindow());
    const int index = GetPixelFormat(viewer.deviceContext);
    ASSERT_GT(index, 0);
    PIXELFORMATDESCRIPTOR format = {};
    ASSERT_NE(0, DescribePixelFormat(viewer.deviceContext, index, sizeof(format), &format));
    const DWORD wanted = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    EXPECT_EQ(wanted, format.dwFlags & wanted);
    EXPECT_EQ(PFD_TYPE_RGBA, format.iPixelType);
    EXPECT_EQ(24, format.cDepthBits);
    EXPECT_GE(format.cColorBits, 24);
    EXPECT_EQ(viewer.renderContext, wglGetCurrentContext());
    EXPECT_EQ(viewer.deviceContext, wglGetCurrentDC());
}

TEST_F(RenderWindowTest, FindsFilteringExtensionsAndCoreEntryPointsOnThisDriver)
{
    ASSERT_NO_FATAL_FAILURE(OpenRenderWindow());
    EXPECT_EQ(DriverOffers(anisoExtension), viewer.anisoSupported);
    EXPECT_EQ(DriverOffers(lodBiasExtension), viewer.lodBiasSupported);
    EXPECT_EQ(reinterpret_cast<void*>(wglGetProcAddress("glActiveTexture")),
              reinterpret_cast<void*>(viewer.pfnActiveTexture));
    EXPECT_EQ(reinterpret_cast<void*>(wglGetProcAddress("glMultiTexCoord2d")),
              reinterpret_cast<void*>(viewer.pfnMultiTexCoord2d));
    EXPECT_NE(nullptr, viewer.pfnActiveTexture);
}

TEST_F(RenderWindowTest, ExtensionWordsInTheRealStrings)
{
    ASSERT_NO_FATAL_FAILURE(OpenRenderWindow());
    const std::string glList = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    // The first and last words of the driver's own string.
    const std::string first = glList.substr(0, glList.find(' '));
    std::string trimmed = glList.substr(0, glList.find_last_not_of(' ') + 1);
    const std::string last = trimmed.substr(trimmed.find_last_of(' ') + 1);
    EXPECT_TRUE(IsExtensionSupported(first.c_str())) << first;
    EXPECT_TRUE(IsExtensionSupported(last.c_str())) << last;
    // Prefixes of listed names are not names.
    EXPECT_FALSE(IsExtensionSupported("GL_EXT_texture_filter"));
    EXPECT_FALSE(IsExtensionSupported("GL_ARB_multi"));
    EXPECT_FALSE(IsExtensionSupported("GL_EXT_texture_lod"));
    // Listed by WGL only.
    EXPECT_EQ(std::string::npos, glList.find("WGL_ARB_extensions_string"));
    EXPECT_TRUE(IsExtensionSupported("WGL_ARB_extensions_string"));
}

TEST_F(RenderWindowTest, ExtensionOnlyInWglStringIsFoundAndPrefixIsNot)
{
    ASSERT_NO_FATAL_FAILURE(OpenRenderWindow());
    glEntryPointLookup = FilteringLookup;
    fakeWglExtensions = "WGL_first GL_QV_only_wgl GL_QV_only_wgl_longer WGL_last";
    EXPECT_TRUE(IsExtensionSupported("GL_QV_only_wgl"));
    EXPECT_TRUE(IsExtensionSupported("WGL_first"));
    EXPECT_TRUE(IsExtensionSupported("WGL_last"));
    EXPECT_FALSE(IsExtensionSupported("GL_QV_only"));
    EXPECT_FALSE(IsExtensionSupported("WGL_las"));

    // Without wglGetExtensionsStringARB only the OpenGL string counts.
    fakeWglExtensions = nullptr;
    missingNames[0] = "wglGetExtensionsStringARB";
    EXPECT_FALSE(IsExtensionSupported("WGL_ARB_extensions_string"));
    const std::string glList = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    EXPECT_TRUE(IsExtensionSupported(glList.substr(0, glList.find(' ')).c_str()));
}

TEST_F(RenderWindowTest, FallsBackToArbEntryPointsWithOneMessage)
{
    SKIP_WITHOUT_ARB_MULTITEXTURE();
    ResetViewerState();
    glEntryPointLookup = FilteringLookup;
    missingNames[0] = "glActiveTexture";
    missingNames[1] = "glMultiTexCoord2d";
    MessageBoxCatcher catcher;
    ASSERT_TRUE(CreateRenderWindow());
    ASSERT_EQ(1u, catcher.boxes.size());
    EXPECT_EQ("Device doesn't support multitexturing core functionality.", catcher.boxes[0].text);
    EXPECT_EQ("Error", catcher.boxes[0].caption);
    EXPECT_EQ(nullptr, catcher.boxes[0].owner);
    EXPECT_EQ(reinterpret_cast<void*>(wglGetProcAddress("glActiveTextureARB")),
              reinterpret_cast<void*>(viewer.pfnActiveTexture));
    EXPECT_EQ(reinterpret_cast<void*>(wglGetProcAddress("glMultiTexCoord2dARB")),
              reinterpret_cast<void*>(viewer.pfnMultiTexCoord2d));
    EXPECT_NE(nullptr, viewer.pfnActiveTexture);
    EXPECT_NE(nullptr, viewer.mainWindow);
}

TEST_F(RenderWindowTest, OneMissingCoreEntryPointAlsoFallsBack)
{
    SKIP_WITHOUT_ARB_MULTITEXTURE();
    ResetViewerState();
    glEntryPointLookup = FilteringLookup;
    missingNames[0] = "glMultiTexCoord2d";
    MessageBoxCatcher catcher;
    ASSERT_TRUE(CreateRenderWindow());
    EXPECT_EQ(std::vector<std::string>{"Device doesn't support multitexturing core functionality."},
              BoxTexts(catcher));
}

TEST_F(RenderWindowTest, NoMultitextureAtAllEndsWithBothMessagesAndReleasesEverything)
{
    ResetViewerState();
    glEntryPointLookup = FilteringLookup;
    missingNames[0] = "glActiveTexture";
    missingNames[1] = "glActiveTextureARB";
    MessageBoxCatcher catcher;
    EXPECT_FALSE(CreateRenderWindow());
    EXPECT_EQ((std::vector<std::string>{
                  "Device doesn't support multitexturing core functionality.",
                  "Device doesn't support multitexturing extension functionality."}),
              BoxTexts(catcher));
    EXPECT_EQ(nullptr, viewer.mainWindow);
    EXPECT_EQ(nullptr, viewer.deviceContext);
    EXPECT_EQ(nullptr, viewer.renderContext);
    EXPECT_EQ(nullptr, wglGetCurrentContext());
    EXPECT_EQ(nullptr, FindWindowA(productBanner, nullptr));
}

TEST_F(RenderWindowTest, BatchRunTellsStartupFailureWithoutABox)
{
    ResetViewerState();
    viewer.batchRun = true;
    glEntryPointLookup = FilteringLookup;
    missingNames[0] = "glActiveTexture";
    missingNames[1] = "glActiveTextureARB";
    MessageBoxCatcher catcher;
    EXPECT_FALSE(CreateRenderWindow());
    EXPECT_TRUE(catcher.boxes.empty());
    EXPECT_EQ(nullptr, viewer.mainWindow);
    EXPECT_EQ(nullptr, wglGetCurrentContext());
}

TEST_F(RenderWindowTest, SecondWindowIsRefused)
{
    ASSERT_NO_FATAL_FAILURE(OpenRenderWindow());
    HWND first = viewer.mainWindow;
    MessageBoxCatcher catcher;
    EXPECT_FALSE(CreateRenderWindow());
    EXPECT_EQ(std::vector<std::string>{"Window already exists."}, BoxTexts(catcher));
    EXPECT_EQ(first, viewer.mainWindow);
    EXPECT_TRUE(IsWindow(first));
}

TEST_F(RenderWindowTest, ClassAlreadyRegisteredIsReported)
{
    ResetViewerState();
    WNDCLASSA other = {};
    other.lpfnWndProc = DefWindowProcA;
    other.hInstance = GetModuleHandleA(nullptr);
    other.lpszClassName = productBanner;
    ASSERT_NE(0, RegisterClassA(&other));
    MessageBoxCatcher catcher;
    EXPECT_FALSE(CreateRenderWindow());
    EXPECT_EQ(std::vector<std::string>{"WindowClass registration failed."}, BoxTexts(catcher));
    EXPECT_EQ(nullptr, viewer.mainWindow);
}

TEST_F(RenderWindowTest, DestroyReleasesEverythingAndClearsHandles)
{
    ASSERT_NO_FATAL_FAILURE(OpenRenderWindow());
    HWND window = viewer.mainWindow;
    HGLRC context = viewer.renderContext;
    DestroyRenderWindow();
    EXPECT_EQ(nullptr, viewer.mainWindow);
    EXPECT_EQ(nullptr, viewer.deviceContext);
    EXPECT_EQ(nullptr, viewer.renderContext);
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(nullptr, wglGetCurrentContext());
    // The context is gone: making it current again must fail.
    EXPECT_FALSE(wglMakeCurrent(GetDC(GetDesktopWindow()), context));
    // Its destruction asked the message loop to end.
    MSG msg;
    ASSERT_TRUE(PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(0u, msg.wParam);
}

TEST_F(RenderWindowTest, FirstFrameIsTheGreyClearColour)
{
    ASSERT_NO_FATAL_FAILURE(OpenRenderWindow());
    unsigned char pixel[4] = {1, 1, 1, 1};
    glReadBuffer(GL_BACK);
    glReadPixels(400, 300, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel);
    EXPECT_EQ(51, pixel[0]);
    EXPECT_EQ(51, pixel[1]);
    EXPECT_EQ(51, pixel[2]);
}

}  // namespace

namespace {

// The driver matrix runs this suite on other drivers: each run must really
// be on the driver and extension set it names.
TEST_F(RenderWindowTest, DriverIsTheOneTheRunAskedFor)
{
    ASSERT_NO_FATAL_FAILURE(OpenRenderWindow());
    const char* asked = std::getenv("GALLIUM_DRIVER");
    const std::string renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    EXPECT_EQ(0u, renderer.find(asked != nullptr ? asked : "llvmpipe")) << renderer;
    const std::string glList = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS)) + std::string(" ");
    for (const char* extension : {anisoExtension, lodBiasExtension})
        EXPECT_EQ(DriverOffers(extension), glList.find(std::string(extension) + " ") != std::string::npos)
            << extension;
}

}  // namespace
