#include "BmpFile.h"

#include <cstdint>

namespace {

void Put16(std::vector<unsigned char>& out, std::uint32_t value) {
    out.push_back(static_cast<unsigned char>(value));
    out.push_back(static_cast<unsigned char>(value >> 8));
}

void Put32(std::vector<unsigned char>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

constexpr std::uint32_t FileHeaderSize = 14, InfoHeaderSize = 40;

}  // namespace

std::vector<unsigned char> EncodeBmp24(const TTexturePixels& pixels) {
    const auto width = static_cast<std::uint32_t>(pixels.Width), height = static_cast<std::uint32_t>(pixels.Height);
    const std::uint32_t stride = (width * 3 + 3) / 4 * 4;
    std::vector<unsigned char> out;
    out.reserve(FileHeaderSize + InfoHeaderSize + std::size_t{stride} * height);
    out.push_back('B');
    out.push_back('M');
    Put32(out, FileHeaderSize + InfoHeaderSize + stride * height);
    Put32(out, 0);
    Put32(out, FileHeaderSize + InfoHeaderSize);
    Put32(out, InfoHeaderSize);
    Put32(out, width);
    Put32(out, height);  // positive: the bottom row first, as the pixels are
    Put16(out, 1);       // planes
    Put16(out, 24);      // bits per pixel
    Put32(out, 0);       // no compression
    Put32(out, stride * height);
    Put32(out, 2835);  // 72 dots per inch
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    for (std::uint32_t row = 0; row < height; ++row) {
        const unsigned char* p = pixels.Rgba.data() + std::size_t{row} * width * 4;
        for (std::uint32_t x = 0; x < width; ++x, p += 4) out.insert(out.end(), {p[2], p[1], p[0]});
        out.insert(out.end(), stride - width * 3, 0);
    }
    return out;
}
