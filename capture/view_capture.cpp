#include "capture/view_capture.h"

#include <windows.h>
#include <commdlg.h>
#include <GL/gl.h>

#include <cstdio>
#include <vector>

#include "app/file_dialog.h"
#include "app/frame.h"
#include "app/path_capacity.h"
#include "app/product_name.h"
#include "app/program_keys.h"
#include "app/user_report.h"
#include "app/viewer_state.h"
#include "capture/command_line.h"
#include "capture/file_output.h"
#include "render/scene.h"
#include "render/scene_renderer.h"
#include "ui/resource.h"
#include "ui/settings_values.h"

namespace {


// Texts of the program and the driver are in the ANSI code page; JSON wants UTF-8.
std::string AnsiToUtf8(const char* text)
{
    if (text == nullptr || *text == '\0')
        return "";
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    std::vector<wchar_t> wide(static_cast<size_t>(wideLength > 0 ? wideLength : 1));
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), wideLength);
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), -1, nullptr, 0, nullptr, nullptr);
    std::vector<char> utf8(static_cast<size_t>(length > 0 ? length : 1));
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), -1, utf8.data(), length, nullptr, nullptr);
    return utf8.data();
}

std::string GlText(GLenum name)
{
    return AnsiToUtf8(reinterpret_cast<const char*>(glGetString(name)));
}

std::string FilterText(GLenum filter)
{
    for (const FilterEntry& entry : filterTable)
        if (entry.filter == filter)
            return entry.text;
    return "";
}

// The frame as drawn for the capture, bottom row first.
std::vector<unsigned char> ReadFrame()
{
    std::vector<unsigned char> rgb(static_cast<size_t>(viewWidth) * viewHeight * 3);
    DrawShownFrame();
    // Tight rows; the pixel-store state and the read buffer go back afterwards.
    glPushClientAttrib(GL_CLIENT_PIXEL_STORE_BIT);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    glPixelStorei(GL_PACK_SKIP_ROWS, 0);
    glPixelStorei(GL_PACK_SKIP_PIXELS, 0);
    GLint readBuffer = GL_BACK;
    glGetIntegerv(GL_READ_BUFFER, &readBuffer);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, viewWidth, viewHeight, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    glReadBuffer(static_cast<GLenum>(readBuffer));
    glPopClientAttrib();
    // The window shows what was captured.
    SwapBuffers(viewer.deviceContext);
    return rgb;
}

}  // namespace

DriverNames CurrentDriverNames()
{
    return {AnsiToUtf8(productBanner), GlText(GL_VENDOR), GlText(GL_RENDERER), GlText(GL_VERSION)};
}

ViewRecord CurrentViewRecord()
{
    ViewRecord record;
    record.names = CurrentDriverNames();
    ViewSettings& s = record.settings;
    s.scenePlane = viewer.scene.plane;
    s.distance = TenthsForPosition(static_cast<int>(viewer.scene.planeDistance));
    s.angle = viewer.scene.planeAngle;
    s.faces = viewer.scene.tunnelFaces;
    s.minFilter = FilterText(viewer.minFilter);
    s.magFilter = FilterText(viewer.magFilter);
    s.anisotropy = viewer.maxAnisotropy;
    s.lodBias = viewer.lodBias;
    s.bitmapShown = viewer.useBitmap;
    s.checker = viewer.checkerShift;
    if (viewer.bitmapLoaded && viewer.settingsDialog != nullptr) {
        // The panel keeps the loaded file's path on the Browse button.
        char path[pathCapacity] = {};
        GetDlgItemTextA(viewer.settingsDialog, IDC_BROWSE_BUTTON, path, pathCapacity);
        s.bmp = AnsiToUtf8(path);
    }
    s.mipmaps = viewer.mipmapMode;
    s.repeatU = viewer.scene.texScaleU;
    s.repeatV = viewer.scene.texScaleV;
    s.stage = viewer.textureStage;
    s.sceneRotation = viewer.scene.sceneRotation;
    s.textureRotation = viewer.scene.textureRotation;
    s.unitLodBiases = UnitLodBiases();
    s.checkerMipmaps = viewer.checkerMipmaps;
    s.bmpMipmaps = viewer.bitmapLoaded ? viewer.bitmapMipmaps : -1;
    return record;
}

bool CaptureView(const char* pngPath, std::string* reason)
{
    const std::vector<unsigned char> rgb = ReadFrame();
    const std::string json = ViewRecordJson(CurrentViewRecord());
    const std::string jsonPath = JsonPathFor(pngPath);
    std::string why;
    if (!WritePngFile(pngPath, viewWidth, viewHeight, rgb.data(), &why)) {
        *reason = std::string(pngPath) + ": " + why;
        return false;
    }
    if (!WriteFileWhole(jsonPath.c_str(), json.data(), json.size(), &why)) {
        // A picture without its record would be half a capture.
        DeleteFileA(pngPath);
        *reason = jsonPath + ": " + why;
        return false;
    }
    return true;
}

bool IsSaveViewShortcut(const MSG& msg)
{
    return IsProgramKey(msg, 'S', true);
}

void SaveViewWithDialog(HWND owner)
{
    SYSTEMTIME now = {};
    GetLocalTime(&now);
    char path[pathCapacity] = {};
    std::snprintf(path, sizeof(path), "quorvane-%04u%02u%02u-%02u%02u%02u.png", now.wYear,
                  now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond);
    // The working directory stays, so relative BMP paths keep their meaning.
    OPENFILENAMEA dialog =
        FileDialog(owner, "PNG\0*.png\0\0", path,
                   OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY);
    dialog.lpstrDefExt = "png";
    if (!GetSaveFileNameA(&dialog))
        return;
    UserReport report;
    if (!CaptureView(path, &report.text)) {
        report.text = "The view could not be saved.\n" + report.text;
        report.owner = owner;
        report.caption = "Error";
        report.style = MB_OK | MB_ICONERROR;
        report.line = UserReport::NoLine;
        TellUser(report);
    }
}
