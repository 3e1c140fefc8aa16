// Pictures in the formats the Windows Imaging Component decodes (PNG, JPEG,
// GIF, TIFF and more), read into the BMP reader's RgbImage.
#pragma once

#include "textures/dib_reader.h"

// Reads the first frame (GIF) or page (TIFF) of the picture at the 8-bit
// path. Null on failure, with a reason naming the file kept for LastDibError;
// shows nothing. A picture larger than textures of maxTextureSide (0: no
// limit) is refused with the too-large message before its pixels are read.
RgbImage* LoadWicImage(const char* path, int maxTextureSide);
