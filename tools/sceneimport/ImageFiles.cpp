#include "ImageFiles.h"

#include <stb_image.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <stdexcept>

namespace {

void Put16(std::vector<unsigned char>& out, std::uint32_t value) {
    out.push_back(static_cast<unsigned char>(value));
    out.push_back(static_cast<unsigned char>(value >> 8));
}

void Put32(std::vector<unsigned char>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

constexpr std::uint32_t FileHeaderSize = 14, InfoHeaderSize = 108;  // the V4 header holds the alpha mask

}  // namespace

TRgbaImage DecodeRgbaImage(std::span<const unsigned char> bytes, const std::string& label) {
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) throw std::runtime_error(label + ": too large an image");
    int width = 0, height = 0, channels = 0;
    std::unique_ptr<stbi_uc, decltype(&stbi_image_free)> pixels(
        stbi_load_from_memory(bytes.data(), static_cast<int>(bytes.size()), &width, &height, &channels, 4),
        &stbi_image_free);
    if (!pixels) throw std::runtime_error(label + ": " + stbi_failure_reason());
    TRgbaImage image{width, height, {}};
    image.Rgba.assign(pixels.get(), pixels.get() + static_cast<std::size_t>(width) * height * 4);
    return image;
}

std::vector<unsigned char> EncodeBmp32(const TRgbaImage& image) {
    const std::uint32_t pixelBytes = static_cast<std::uint32_t>(image.Width) * image.Height * 4;
    std::vector<unsigned char> out;
    out.reserve(FileHeaderSize + InfoHeaderSize + pixelBytes);
    out.push_back('B');
    out.push_back('M');
    Put32(out, FileHeaderSize + InfoHeaderSize + pixelBytes);
    Put32(out, 0);
    Put32(out, FileHeaderSize + InfoHeaderSize);
    Put32(out, InfoHeaderSize);
    Put32(out, static_cast<std::uint32_t>(image.Width));
    Put32(out, static_cast<std::uint32_t>(image.Height));
    Put16(out, 1);   // planes
    Put16(out, 32);  // bits per pixel
    Put32(out, 3);   // bit fields
    Put32(out, pixelBytes);
    Put32(out, 2835);  // 72 dots per inch
    Put32(out, 2835);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0x00FF0000);  // red, green, blue and alpha masks: bytes stored blue, green, red, alpha
    Put32(out, 0x0000FF00);
    Put32(out, 0x000000FF);
    Put32(out, 0xFF000000);
    Put32(out, 0x73524742);             // colour space "sRGB"
    out.insert(out.end(), 36 + 12, 0);  // end points and gamma, unused with sRGB
    for (int row = image.Height - 1; row >= 0; --row) {
        const unsigned char* p = image.Rgba.data() + static_cast<std::size_t>(row) * image.Width * 4;
        for (int x = 0; x < image.Width; ++x, p += 4) out.insert(out.end(), {p[2], p[1], p[0], p[3]});
    }
    return out;
}

void WriteFileBytes(const std::string& path, std::span<const unsigned char> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw std::runtime_error(path + ": cannot be written");
}
