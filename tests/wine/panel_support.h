// The settings panel under test: a render window plus the real dialog.
#pragma once

#include <windows.h>
#include <GL/gl.h>

#include <string>

// Creates the render window and the panel from the template, shows it and lets
// its first paints settle; asserts success. Counts texture-coordinate calls.
void OpenPanel();

// Destroys the panel and the render window.
void ClosePanel();

extern HWND testPanel;

// Frames drawn since the last call (counted through the texture-coordinate
// entry point, which every frame with faces calls).
int TakeFrameCount();

std::string ItemText(int id);

// A click on a button of the panel, and a list selection with the command the
// list sends; each followed by the messages they cause.
void Click(int id);
void SelectFilter(int listId, int index);

// State of the texture bound to the active unit.
GLint BoundTextureParameter(GLenum name);
GLuint BoundTexture();
bool IsChecked(int id);
HWND Item(int id);

// While one of these lives, each open-file dialog raised on this thread is
// answered once it is up: with `path` typed into its file-name box and OK, or
// with Cancel when `path` is empty.
struct FileDialogAnswerer {
    explicit FileDialogAnswerer(const std::string& path);
    ~FileDialogAnswerer();
    FileDialogAnswerer(const FileDialogAnswerer&) = delete;
    FileDialogAnswerer& operator=(const FileDialogAnswerer&) = delete;
    std::string path;
    int dialogsSeen = 0;
    HWND owner = nullptr;
    HHOOK hook = nullptr;
};
