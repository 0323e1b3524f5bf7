#include "EmbeddedImages.h"

#include <assimp/texture.h>

#include <cstdint>

namespace {

// Sides beyond this are refused by the engine's texture store anyway.
constexpr unsigned MaxSide = 16384;

void Put16(std::vector<unsigned char>& out, std::uint16_t value) {
    out.push_back(static_cast<unsigned char>(value));
    out.push_back(static_cast<unsigned char>(value >> 8));
}

void Put32(std::vector<unsigned char>& out, std::uint32_t value) {
    Put16(out, static_cast<std::uint16_t>(value));
    Put16(out, static_cast<std::uint16_t>(value >> 16));
}

// A bottom-up 32-bit BMP (BITMAPINFOHEADER, no compression) of raw texels stored top row first, each blue,
// green, red, alpha: the byte order of the file's own pixels.
std::vector<unsigned char> Bmp32(const aiTexture& texture) {
    const std::uint32_t width = texture.mWidth, height = texture.mHeight;
    const std::uint32_t pixelBytes = width * height * 4, headers = 14 + 40;
    std::vector<unsigned char> out;
    out.reserve(headers + pixelBytes);
    out.insert(out.end(), {'B', 'M'});
    Put32(out, headers + pixelBytes);
    Put32(out, 0);
    Put32(out, headers);
    Put32(out, 40);
    Put32(out, width);
    Put32(out, height);
    Put16(out, 1);
    Put16(out, 32);
    Put32(out, 0);  // no compression
    Put32(out, pixelBytes);
    Put32(out, 2835);  // 72 dots per inch
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (std::uint32_t row = height; row-- > 0;) {
        const auto* texels = reinterpret_cast<const unsigned char*>(texture.pcData + std::size_t{row} * width);
        out.insert(out.end(), texels, texels + std::size_t{width} * 4);
    }
    return out;
}

}  // namespace

std::vector<unsigned char> EncodedImageBytes(const aiTexture& texture) {
    if (!texture.pcData) return {};
    if (texture.mHeight == 0) {
        const auto* bytes = reinterpret_cast<const unsigned char*>(texture.pcData);
        return {bytes, bytes + texture.mWidth};
    }
    if (texture.mWidth == 0 || texture.mWidth > MaxSide || texture.mHeight > MaxSide) return {};
    return Bmp32(texture);
}
