// What both image targets require of their decoder: any input either decodes to an image within the size
// limits whose pixel buffer fits it exactly, or raises TImageError.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "ImageDecoders.h"

template <typename Decoder>
void DecodeWithinLimits(Decoder decode, const std::uint8_t* data, std::size_t size, const char* name) {
    try {
        const TDecodedImage image = decode(std::span(data, size), name, MaxImagePixels);
        if (image.Width < 1 || image.Height < 1 || image.Width > MaxImageSide || image.Height > MaxImageSide ||
            static_cast<long long>(image.Width) * image.Height > MaxImagePixels ||
            image.Rgb.size() != 3u * image.Width * image.Height)
            __builtin_trap();
    } catch (const TImageError&) {}
}
