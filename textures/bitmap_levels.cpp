#include "textures/bitmap_levels.h"
