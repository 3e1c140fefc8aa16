// How generated mip levels above the base level are coloured. Platform-free,
// so the texel code that the native tests build can name the modes too.
#pragma once

enum MipmapMode : int {
    Normal = 0,      // generated levels keep the image's colours
    Tinted = 1,      // generated levels are blended half-and-half with the level colour
    FullColored = 2  // generated levels are filled with the level colour
};
