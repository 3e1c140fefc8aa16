// The program's name and version: the render window's caption and class, and
// the "program" of every record it writes.
#pragma once

extern const char* const productBanner;
