// The render window's teardown after partial start-ups, twice over, and with
// another context current; the panel's handle when the panel goes.
#include <gtest/gtest.h>

#include <windows.h>
#include <GL/gl.h>

#include <winternl.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "app/render_window.h"
#include "app/viewer_state.h"
#include "common/bmp_writer.h"
#include "textures/bitmap_texture.h"
#include "wine/panel_support.h"
#include "wine/support.h"

namespace {

bool ClassRegistered()
{
    WNDCLASSA windowClass;
    return GetClassInfoA(GetModuleHandleA(nullptr), productBanner, &windowClass) != 0;
}

PROC WINAPI LookupWithoutMultitexture(LPCSTR name)
{
    if (std::strncmp(name, "glActiveTexture", 15) == 0)
        return nullptr;
    return wglGetProcAddress(name);
}

// This process's handle count from the system's process list: Wine answers
// GetProcessHandleCount with 0 and gives there the size of the handle table,
// which doubles when the live handles outgrow it.
ULONG HandleCount()
{
    typedef NTSTATUS(NTAPI * QueryProc)(SYSTEM_INFORMATION_CLASS, PVOID, ULONG, PULONG);
    QueryProc query = reinterpret_cast<QueryProc>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    std::vector<unsigned char> buffer(1 << 20);
    ULONG length = 0;
    if (query(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &length) != 0)
        return 0;
    for (size_t at = 0;;) {
        const auto* entry = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(&buffer[at]);
        if (static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(entry->UniqueProcessId)) == GetCurrentProcessId())
            return entry->HandleCount;
        if (entry->NextEntryOffset == 0)
            return 0;
        at += entry->NextEntryOffset;
    }
}

class TeardownTest : public testing::Test {
protected:
    void TearDown() override
    {
        glEntryPointLookup = wglGetProcAddress;
        ClosePanel();
    }
};

TEST_F(TeardownTest, DestroyBeforeAnyStartAndTwiceAfterOneIsHarmless)
{
    ResetViewerState();
    DestroyRenderWindow();
    EXPECT_EQ(nullptr, viewer.mainWindow);

    ASSERT_NO_FATAL_FAILURE(OpenRenderWindow());
    HWND window = viewer.mainWindow;
    DestroyRenderWindow();
    DestroyRenderWindow();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(nullptr, viewer.mainWindow);
    EXPECT_EQ(nullptr, viewer.deviceContext);
    EXPECT_EQ(nullptr, viewer.renderContext);
    EXPECT_EQ(0u, viewer.textureNames[0] | viewer.textureNames[1] | viewer.textureNames[2]);
    EXPECT_FALSE(ClassRegistered());
    // The class went with the window, so a second start in this process works.
    PumpMessages();
    MessageBoxCatcher catcher;
    EXPECT_TRUE(CreateRenderWindow());
    EXPECT_TRUE(catcher.boxes.empty());
}

TEST_F(TeardownTest, FailedStartLeavesNothingBehindAndTheNextStartWorks)
{
    ResetViewerState();
    glEntryPointLookup = LookupWithoutMultitexture;
    {
        MessageBoxCatcher catcher;
        EXPECT_FALSE(CreateRenderWindow());
        EXPECT_EQ(2u, catcher.boxes.size());
    }
    EXPECT_FALSE(ClassRegistered());
    EXPECT_EQ(nullptr, FindWindowA(productBanner, nullptr));
    EXPECT_EQ(nullptr, wglGetCurrentContext());
    EXPECT_EQ(nullptr, viewer.pfnActiveTexture);
    PumpMessages();
    glEntryPointLookup = wglGetProcAddress;
    MessageBoxCatcher catcher;
    EXPECT_TRUE(CreateRenderWindow());
    EXPECT_TRUE(catcher.boxes.empty());
}

TEST_F(TeardownTest, AnotherCurrentContextKeepsItsTextures)
{
    ASSERT_NO_FATAL_FAILURE(OpenRenderWindow());
    // A context of the test's own, holding textures under the viewer's names.
    HWND otherWindow = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 8, 8, nullptr, nullptr,
                                       GetModuleHandleA(nullptr), nullptr);
    HDC otherDc = GetDC(otherWindow);
    PIXELFORMATDESCRIPTOR format = {};
    format.nSize = sizeof(format);
    format.nVersion = 1;
    format.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL;
    format.cColorBits = 24;
    ASSERT_TRUE(SetPixelFormat(otherDc, ChoosePixelFormat(otherDc, &format), &format));
    HGLRC other = wglCreateContext(otherDc);
    ASSERT_TRUE(wglMakeCurrent(otherDc, other));
    const unsigned char texel[4] = {1, 2, 3, 4};
    GLuint names[3];
    for (int i = 0; i < 3; ++i) {
        names[i] = viewer.textureNames[i];
        glBindTexture(GL_TEXTURE_2D, names[i]);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, texel);
    }

    DestroyRenderWindow();
    EXPECT_EQ(other, wglGetCurrentContext());
    for (GLuint name : names)
        EXPECT_TRUE(glIsTexture(name)) << name;
    wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(other);
    ReleaseDC(otherWindow, otherDc);
    DestroyWindow(otherWindow);
}

TEST_F(TeardownTest, LoadingPicturesAgainAndAgainKeepsNoHandle)
{
    ASSERT_NO_FATAL_FAILURE(OpenRenderWindow());
    const std::string path =
        WriteTempFile("quorvane handles.bmp", bmp::WriteBmp(bmp::MakeFormat(9, 5, 8, true)).bytes);
    ASSERT_TRUE(LoadBitmapTexture(path.c_str()));
    const ULONG before = HandleCount();
    ASSERT_GT(before, 0u);
    // A handle kept per load would outgrow any table size in 300 loads.
    for (int i = 0; i < 300; ++i)
        ASSERT_TRUE(LoadBitmapTexture(path.c_str()));
    EXPECT_EQ(before, HandleCount());
    DeleteFileA(path.c_str());
}

TEST_F(TeardownTest, PanelHandleIsClearedWhenThePanelGoes)
{
    ASSERT_NO_FATAL_FAILURE(OpenPanel());
    DestroyWindow(viewer.mainWindow);
    EXPECT_FALSE(IsWindow(testPanel));
    EXPECT_EQ(nullptr, viewer.settingsDialog);
    // The program's own order: the window went with the user's close first.
    DestroyRenderWindow();
    EXPECT_EQ(nullptr, viewer.renderContext);
    EXPECT_FALSE(ClassRegistered());
    testPanel = nullptr;
}

}  // namespace
