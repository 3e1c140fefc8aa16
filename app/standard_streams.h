// Standard output and error of a windowed program.
#pragma once

#include <string>

// Writes the text to standard output or standard error. Under Wine, and when
// the streams are redirected, they are there already; a windowed program
// started from a Windows console has none of its own, so it attaches to its
// parent's console first.
void WriteStandardStream(bool error, const std::string& text);
