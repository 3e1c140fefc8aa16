// The render window, its OpenGL context and the driver's optional features.
#pragma once

#include <windows.h>

#include "app/product_name.h"

// wglGetProcAddress, held in a variable so that tests can stand in a driver
// that lacks some entry points.
typedef PROC(WINAPI* GlEntryPointLookup)(LPCSTR name);
extern GlEntryPointLookup glEntryPointLookup;

bool CreateRenderWindow();
void DestroyRenderWindow();
LRESULT CALLBACK RenderWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
bool IsExtensionSupported(const char* name);
