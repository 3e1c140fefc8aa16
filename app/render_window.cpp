#include "app/render_window.h"

#include <string>

#include "app/extension_words.h"
#include "app/viewer_state.h"
#include "app/window_dpi.h"
#include "app/user_report.h"
#include "app/frame.h"
#include "measure/error_view.h"
#include "app/gl_constants.h"
#include "render/scene.h"
#include "render/scene_renderer.h"
#include "ui/picture_drop.h"

const char* const productBanner = "Quorvane V1.3 - OpenGL Texture Filtering Test Bench";

GlEntryPointLookup glEntryPointLookup = wglGetProcAddress;

namespace {

const DWORD renderWindowStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
// The frame is drawn at the view's size in physical pixels at every display scale.
const int clientWidth = viewWidth;
const int clientHeight = viewHeight;

typedef const char*(WINAPI* GetExtensionsStringProc)(HDC dc);

// Start-up failures have no owner window: the render window may not exist.
void ShowStartupError(const char* text)
{
    UserReport report;
    report.text = text;
    TellUser(report);
}

// Resolves both multitexture entry points under the given names.
bool ResolveMultitexture(const char* activeTextureName, const char* multiTexCoordName)
{
    viewer.pfnActiveTexture = reinterpret_cast<ActiveTextureProc>(
        reinterpret_cast<void*>(glEntryPointLookup(activeTextureName)));
    viewer.pfnMultiTexCoord2d = reinterpret_cast<MultiTexCoord2dProc>(
        reinterpret_cast<void*>(glEntryPointLookup(multiTexCoordName)));
    return viewer.pfnActiveTexture != nullptr && viewer.pfnMultiTexCoord2d != nullptr;
}

// The driver's limits, read once for the panel and the measuring alike.
void ReadLimits()
{
    glGetIntegerv(GL_MAX_TEXTURE_UNITS, &viewer.textureUnitCount);
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &viewer.maxTextureSize);
    if (viewer.anisoSupported)
        glGetDoublev(GL_MAX_TEXTURE_MAX_ANISOTROPY_EXT, &viewer.anisotropyLimit);
    if (viewer.lodBiasSupported)
        glGetDoublev(GL_MAX_TEXTURE_LOD_BIAS_EXT, &viewer.lodBiasLimit);
}

}  // namespace

bool IsExtensionSupported(const char* name)
{
    const char* glList = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
    if (ExtensionListHasWord(glList, name))
        return true;
    GetExtensionsStringProc getWglExtensions = reinterpret_cast<GetExtensionsStringProc>(
        reinterpret_cast<void*>(glEntryPointLookup("wglGetExtensionsStringARB")));
    if (getWglExtensions == nullptr)
        return false;
    return ExtensionListHasWord(getWglExtensions(viewer.deviceContext), name);
}

bool CreateRenderWindow()
{
    if (viewer.mainWindow != nullptr) {
        ShowStartupError("Window already exists.");
        return false;
    }

    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA windowClass = {};
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = RenderWindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
    windowClass.lpszClassName = productBanner;
    if (RegisterClassA(&windowClass) == 0) {
        ShowStartupError("WindowClass registration failed.");
        return false;
    }

    // Sized for the DPI the window will be shown at, so the system has no
    // reason to stretch the frame under test.
    const RECT client = {30, 30, 30 + clientWidth, 30 + clientHeight};
    const UINT systemDpi = WindowDpi(nullptr);
    const RECT frame = FrameAroundClient(client, renderWindowStyle, 0, systemDpi);
    viewer.mainWindow = CreateWindowExA(0, productBanner, productBanner, renderWindowStyle,
                                        frame.left, frame.top, frame.right - frame.left,
                                        frame.bottom - frame.top, nullptr, nullptr, instance,
                                        nullptr);
    if (viewer.mainWindow == nullptr) {
        DestroyRenderWindow();
        ShowStartupError("Window creation failed.");
        return false;
    }
    // Its monitor may run at another scale than the system's.
    const UINT windowDpi = WindowDpi(viewer.mainWindow);
    if (windowDpi != systemDpi) {
        const RECT scaled = FrameAroundClient(client, renderWindowStyle, 0, windowDpi);
        FitFrameToClient(viewer.mainWindow, POINT{scaled.left, scaled.top}, clientWidth,
                         clientHeight, windowDpi);
    }

    viewer.deviceContext = GetDC(viewer.mainWindow);
    if (viewer.deviceContext == nullptr) {
        DestroyRenderWindow();
        ShowStartupError("Could not get Device Context.");
        return false;
    }

    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof(format);
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    format.iPixelType = PFD_TYPE_RGBA;
    format.cColorBits = 32;
    format.cDepthBits = 24;
    format.cStencilBits = 8;
    format.iLayerType = PFD_MAIN_PLANE;
    // A failure here is not detected: context creation then fails and reports.
    int formatIndex = ChoosePixelFormat(viewer.deviceContext, &format);
    DescribePixelFormat(viewer.deviceContext, formatIndex, sizeof(format), &format);
    SetPixelFormat(viewer.deviceContext, formatIndex, &format);

    viewer.renderContext = wglCreateContext(viewer.deviceContext);
    // A context that cannot be made current is as good as none: no OpenGL
    // call may run without one.
    if (viewer.renderContext == nullptr ||
        !wglMakeCurrent(viewer.deviceContext, viewer.renderContext)) {
        DestroyRenderWindow();
        ShowStartupError("Render context creation failed.");
        return false;
    }

    InitRenderer();
    // The first frame is drawn here, with every setting still zero.
    ShowWindow(viewer.mainWindow, SW_SHOWNORMAL);
    UpdateWindow(viewer.mainWindow);

    viewer.anisoSupported = IsExtensionSupported("GL_EXT_texture_filter_anisotropic");
    viewer.lodBiasSupported = IsExtensionSupported("GL_EXT_texture_lod_bias");

    if (ResolveMultitexture("glActiveTexture", "glMultiTexCoord2d")) {
        ReadLimits();
        return true;
    }
    ShowStartupError("Device doesn't support multitexturing core functionality.");
    if (ResolveMultitexture("glActiveTextureARB", "glMultiTexCoord2dARB")) {
        ReadLimits();
        return true;
    }
    ShowStartupError("Device doesn't support multitexturing extension functionality.");
    DestroyRenderWindow();
    return false;
}

// Holds after any partial start-up and when called again: each handle is
// released once and cleared, and the class goes so that the window can be
// made again in the same process.
void DestroyRenderWindow()
{
    // Texture names belong to the context: deleted only while it is current,
    // never in whatever other context the thread may hold.
    if (viewer.renderContext != nullptr && wglGetCurrentContext() == viewer.renderContext) {
        ReleaseErrorView();
        glDeleteTextures(3, viewer.textureNames);
    }
    for (GLuint& name : viewer.textureNames)
        name = 0;
    if (viewer.renderContext != nullptr) {
        if (wglGetCurrentContext() == viewer.renderContext)
            wglMakeCurrent(nullptr, nullptr);
        wglDeleteContext(viewer.renderContext);
        viewer.renderContext = nullptr;
    }
    if (viewer.deviceContext != nullptr) {
        ReleaseDC(viewer.mainWindow, viewer.deviceContext);
        viewer.deviceContext = nullptr;
    }
    if (viewer.mainWindow != nullptr) {
        // Gone already when the user closed it; the owned panel goes with it.
        if (IsWindow(viewer.mainWindow))
            DestroyWindow(viewer.mainWindow);
        viewer.mainWindow = nullptr;
    }
    viewer.settingsDialog = nullptr;
    viewer.laidOutUnits = 0;
    viewer.pfnActiveTexture = nullptr;
    viewer.pfnMultiTexCoord2d = nullptr;
    UnregisterClassA(productBanner, GetModuleHandleA(nullptr));
}

LRESULT CALLBACK RenderWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_CLOSE:
        // A close sent mid-battery waits in the queue, where the battery finds it.
        if (viewer.measuring) {
            PostMessageA(window, WM_CLOSE, wParam, lParam);
            return 0;
        }
        return DefWindowProcA(window, message, wParam, lParam);
    case WM_PAINT:
        if (viewer.renderContext != nullptr) {
            PresentFrame();
            ValidateRect(window, nullptr);
        }
        return 0;
    case WM_DROPFILES:
        LoadDroppedPicture(reinterpret_cast<HDROP>(wParam));
        return 0;
    case WM_GETDPISCALEDSIZE: {
        // Moving to a monitor of another scale: the frame changes, the client
        // does not. Answered here, the system's suggested rectangle fits.
        const RECT frame = FrameAroundClient(RECT{0, 0, clientWidth, clientHeight},
                                             renderWindowStyle, 0, LOWORD(wParam));
        SIZE* size = reinterpret_cast<SIZE*>(lParam);
        size->cx = frame.right - frame.left;
        size->cy = frame.bottom - frame.top;
        return TRUE;
    }
    case WM_DPICHANGED: {
        // Where the system suggests, but sized for an unscaled client.
        const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
        FitFrameToClient(window, POINT{suggested->left, suggested->top}, clientWidth,
                         clientHeight, LOWORD(wParam));
        return 0;
    }
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
