#include "app/window_dpi.h"

namespace {

typedef UINT(WINAPI* GetDpiForWindowProc)(HWND window);
typedef UINT(WINAPI* GetDpiForSystemProc)();
typedef BOOL(WINAPI* AdjustWindowRectExForDpiProc)(RECT* rect, DWORD style, BOOL menu,
                                                    DWORD exStyle, UINT dpi);

// An entry point of user32 that older systems lack, or null.
FARPROC User32EntryPoint(const char* name)
{
    HMODULE user32 = GetModuleHandleA("user32.dll");
    return user32 != nullptr ? GetProcAddress(user32, name) : nullptr;
}

template <typename Proc>
Proc LookUp(const char* name)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void*>(User32EntryPoint(name)));
}

}  // namespace

UINT WindowDpi(HWND window)
{
    if (window != nullptr) {
        static const GetDpiForWindowProc forWindow = LookUp<GetDpiForWindowProc>("GetDpiForWindow");
        if (forWindow != nullptr)
            return forWindow(window);
    }
    static const GetDpiForSystemProc forSystem = LookUp<GetDpiForSystemProc>("GetDpiForSystem");
    if (forSystem != nullptr)
        return forSystem();
    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 0;
    if (screen != nullptr)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

RECT FrameAroundClient(const RECT& client, DWORD style, DWORD exStyle, UINT dpi)
{
    static const AdjustWindowRectExForDpiProc adjustForDpi =
        LookUp<AdjustWindowRectExForDpiProc>("AdjustWindowRectExForDpi");
    RECT frame = client;
    if (adjustForDpi == nullptr || !adjustForDpi(&frame, style, FALSE, exStyle, dpi)) {
        frame = client;
        AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    }
    return frame;
}

void FitFrameToClient(HWND window, POINT topLeft, int width, int height, UINT dpi)
{
    const DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
    const RECT frame = FrameAroundClient(RECT{0, 0, width, height}, style, exStyle, dpi);
    SetWindowPos(window, nullptr, topLeft.x, topLeft.y, frame.right - frame.left,
                 frame.bottom - frame.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // Should the frame the system drew differ from the computed one, grow or
    // shrink it by the difference: the client size is what matters here.
    RECT client;
    GetClientRect(window, &client);
    const int dx = width - (client.right - client.left);
    const int dy = height - (client.bottom - client.top);
    if (dx != 0 || dy != 0)
        SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left + dx,
                     frame.bottom - frame.top + dy, SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
}
