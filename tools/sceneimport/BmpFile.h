// Texture pixels as a 24-bit Windows bitmap, which the engine's texture store reads: the form every texture of
// an imported scene takes that was not a bitmap or a JPEG image to begin with.
#pragma once

#include <vector>

#include "TexturePixels.h"

// The bytes of a bitmap of the pixels (bottom row first, as TTexturePixels holds them), rows padded to 4.
std::vector<unsigned char> EncodeBmp24(const TTexturePixels& pixels);
