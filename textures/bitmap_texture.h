// The test texture made from a BMP file, with a generated, coloured mip chain.
#pragma once

// Replaces bitmapTexture with the picture at `path` and all its mip levels,
// leaving it bound to the active unit. False, with nothing changed, when the
// file cannot be read.
bool LoadBitmapTexture(const char* path);
