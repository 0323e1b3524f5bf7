// A texture's pixels as the store hands them to GL, made from an image file without any GL call, so that
// they can be made on any thread ahead of the upload.
#pragma once

#include <string>
#include <vector>

// All textures of one engine together hold at most this many pixels: a document naming many large images is
// refused with a clear error before they exhaust memory.
inline constexpr long long TexturePixelBudget = 4LL * 8192 * 8192;

// Width x Height pixels of 4 bytes (red, green, blue, 255), the image's bottom row first, no padding.
struct TTexturePixels {
    int Width = 0;
    int Height = 0;
    std::vector<unsigned char> Rgba;
};

struct TDecodedImage;

// A decoded image as GL takes it: its bottom row first, every pixel opaque.
TTexturePixels TexturePixelsOf(const TDecodedImage& image);

// Decodes the file by its extension (TextureDecoderFor); an unknown extension gives 0 x 0 pixels without
// reading the file. Decoder errors propagate; running out of memory raises TOutOfMemory naming the file. An
// image of more than maxPixels pixels is refused before its pixels are decoded.
TTexturePixels DecodeTexturePixels(const std::string& fileName, long long maxPixels);
