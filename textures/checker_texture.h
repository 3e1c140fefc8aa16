#pragma once

// Re-specifies all ten levels of the checkerboard texture from checkerShift
// and mipmapMode, leaving it bound to the active unit.
void BuildCheckerTexture();
