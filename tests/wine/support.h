// Helpers shared by the tests that run under Wine.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// A message box seen and dismissed by the catcher.
struct CaughtBox {
    std::string text;
    std::string caption;
    HWND owner;
};

// While one of these lives, every message box raised on this thread is
// recorded and closed with its OK button before it can block the test.
struct MessageBoxCatcher {
    MessageBoxCatcher();
    ~MessageBoxCatcher();
    MessageBoxCatcher(const MessageBoxCatcher&) = delete;
    MessageBoxCatcher& operator=(const MessageBoxCatcher&) = delete;
    std::vector<CaughtBox> boxes;
    HHOOK hook;
};

// Texts of the caught boxes, in order.
std::vector<std::string> BoxTexts(const MessageBoxCatcher& catcher);

// Puts the viewer state back to its process start values.
void ResetViewerState();

// A fresh viewer state and a render window with its context; asserts success.
void OpenRenderWindow();

// Releases the window, unregisters its class so the next test can register it
// again, and drops the quit message that the window's destruction posts.
void CloseRenderWindow();

// Dispatches every queued message of this thread as the program's loop does,
// through IsDialogMessageA for the panel first (a WM_QUIT is dropped).
void PumpMessages();

// The optional extensions, and whether the driver under test offers one: the
// test run also runs the suite with Mesa told to drop them
// (MESA_EXTENSION_OVERRIDE="-NAME ..."), where their sliders must be disabled.
extern const char* const anisoExtension;
extern const char* const lodBiasExtension;
bool DriverOffers(const char* extension);

// Cases about an optional extension itself end here on a driver without it.
#define SKIP_WITHOUT(extension)                                                  \
    if (!DriverOffers(extension))                                              \
    GTEST_SKIP() << "this driver lacks " << (extension)

// Directory of the test executable, with a trailing backslash.
std::string TestDirectory();

// A path in the temporary folder, and a file of these bytes written there.
std::string TempFilePath(const std::string& name);
std::string WriteTempFile(const std::string& name, const std::vector<uint8_t>& bytes);
// The whole file at `path`, empty when it cannot be read.
std::string FileText(const std::string& path);
// Writes the bytes as the whole file at `path`, replacing what was there.
void WriteFileBytes(const std::string& path, const std::vector<uint8_t>& bytes);
