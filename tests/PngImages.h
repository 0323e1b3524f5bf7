// PNG and TGA files for the tests, written by the library writer in memory or to a file: the formats the
// engine's own writers of BMP and JPEG test files (TestImages.h) do not make.
#pragma once

#include <string>
#include <vector>

#include "StbImageWrite.h"

inline void AppendTo(void* out, void* data, int size) {
    static_cast<std::string*>(out)->append(static_cast<char*>(data), static_cast<std::size_t>(size));
}

// The bytes of a PNG or a TGA file of `channels` bytes a pixel, rows top first.
inline std::string PngBytes(int width, int height, int channels, const std::vector<unsigned char>& pixels) {
    std::string out;
    stbi_write_png_to_func(AppendTo, &out, width, height, channels, pixels.data(), width * channels);
    return out;
}

inline std::string TgaBytes(int width, int height, int channels, const std::vector<unsigned char>& pixels) {
    std::string out;
    stbi_write_tga_to_func(AppendTo, &out, width, height, channels, pixels.data());
    return out;
}
