// The mip chains a picture's size must give, level 0 first, written
// "width x height" per level: checked on the sizing itself and on the levels
// of the uploaded texture.
#pragma once

struct LevelChainCase {
    int width, height;
    const char* chain;
};

inline const LevelChainCase levelChainCases[] = {
    {256, 256, "256x256 128x128 64x64 32x32 16x16 8x8 4x4 2x2 1x1"},
    {300, 200, "512x256 256x128 128x64 64x32 32x16 16x8 8x4 4x2 2x1 1x1"},
    {512, 1, "512x1 256x1 128x1 64x1 32x1 16x1 8x1 4x1 2x1 1x1"},
    {1, 1, "1x1"},
    {3, 3, "4x4 2x2 1x1"},
    {5, 7, "8x8 4x4 2x2 1x1"},
    {257, 2, "512x2 256x1 128x1 64x1 32x1 16x1 8x1 4x1 2x1 1x1"},
    {1, 4, "1x4 1x2 1x1"},
    {2, 1, "2x1 1x1"},
};
