// The Bmp decoder on bytes in memory: any input decodes within the size limits or raises TImageError.
#include <cstddef>
#include <cstdint>
#include <span>

#include "ImageDecoders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    try {
        const TDecodedImage image = DecodeBmp(std::span(data, size), "fuzz.bmp");
        if (image.Width < 1 || image.Height < 1 || image.Width > MaxImageSide || image.Height > MaxImageSide ||
            static_cast<long long>(image.Width) * image.Height > MaxImagePixels ||
            image.Rgb.size() != 3u * image.Width * image.Height)
            __builtin_trap();
    } catch (const TImageError&) {
    }
    return 0;
}
