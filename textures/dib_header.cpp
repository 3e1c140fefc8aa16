#include "textures/dib_header.h"
