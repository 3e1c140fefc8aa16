// Files written whole or not at all, and the system's words for a failure.
#pragma once

#include <string>

// The system's text for an error code (GetLastError or an HRESULT), on one line.
std::string SystemErrorText(unsigned long code);

// Writes the bytes to a temporary file beside `path` and renames it over
// `path`, so that no partial file is ever left under either name. False with
// the system's reason when anything fails.
bool WriteFileWhole(const char* path, const void* bytes, size_t size, std::string* reason);

// Encodes an RGB picture (rows of width x 3 bytes, no gap, bottom row first,
// as glReadPixels gives them) as PNG with the platform's codec and writes it
// with WriteFileWhole.
bool WritePngFile(const char* path, int width, int height, const unsigned char* rgbBottomUp,
                  std::string* reason);
