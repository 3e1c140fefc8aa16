// A picture file of any kind the program reads, to the one RgbImage.
#pragma once

#include "textures/dib_reader.h"

// BMP files through the program's own reader (ReadsAsBmp), with its messages;
// every other file through the imaging component. A folder is refused. Null
// on failure, with the reason kept for LastDibError; shows nothing. Pictures
// read by the imaging component are checked against maxTextureSide first.
RgbImage* LoadPictureImage(const char* path, int maxTextureSide);
