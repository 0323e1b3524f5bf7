// Images a model file holds itself, as the encoded bytes the door decodes like any image file.
#pragma once

#include <vector>

struct aiTexture;

// The texture's file bytes: as stored for a compressed one (PNG, JPEG, ...), or, for one of raw texels, those
// of an equivalent 32-bit BMP. Empty for raw texels of absurd dimensions.
std::vector<unsigned char> EncodedImageBytes(const aiTexture& texture);
