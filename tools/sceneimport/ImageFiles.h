// Texture images in and out: any format the decoders know, from bytes in memory, and
// 32-bit BMP out, which keeps every pixel and its alpha.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

// Width x Height pixels of 4 bytes (red, green, blue, alpha), the top row first.
struct TRgbaImage {
    int Width = 0;
    int Height = 0;
    std::vector<unsigned char> Rgba;
};

// Raises std::runtime_error with the decoder's reason, naming `label`, when the bytes are no image.
TRgbaImage DecodeRgbaImage(std::span<const unsigned char> bytes, const std::string& label);

// The bytes of a 32-bit BMP of the image, rows bottom-up with their alpha described by bit-field masks.
std::vector<unsigned char> EncodeBmp32(const TRgbaImage& image);

// Raises std::runtime_error naming the file when it cannot be written.
void WriteFileBytes(const std::string& path, std::span<const unsigned char> bytes);
