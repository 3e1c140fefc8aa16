// The test texture made from a picture file (BMP, PNG, JPEG...), with a
// generated, coloured mip chain.
#pragma once

// Replaces bitmapTexture with the picture at `path` and all its mip levels,
// leaving it bound to the active unit. False, with nothing changed, when the
// file cannot be read or its power-of-two sides pass viewer.maxTextureSize;
// the reason is then LastDibError's, for the caller to tell.
bool LoadBitmapTexture(const char* path);
