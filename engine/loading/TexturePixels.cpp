#include "TexturePixels.h"

#include <cstddef>
#include <new>

#include "FileRead.h"
#include "ImageDecoders.h"
#include "MessageText.h"
#include "TextureFiles.h"

namespace {

// An unknown extension is no error: it gives an empty image, which still becomes a (0 x 0) texture.
TDecodedImage DecodeByExtension(const std::string& fileName, long long maxPixels) {
    switch (TextureDecoderFor(fileName)) {
    case ETextureDecoder::Bmp: return DecodeBmpFile(fileName, maxPixels);
    case ETextureDecoder::Jpeg: return DecodeJpegFile(fileName, maxPixels);
    case ETextureDecoder::None: break;
    }
    return {};
}

}  // namespace

TTexturePixels TexturePixelsOf(const TDecodedImage& image) {
    const std::size_t width = static_cast<std::size_t>(image.Width);
    const std::size_t height = static_cast<std::size_t>(image.Height);
    TTexturePixels pixels{image.Width, image.Height, std::vector<unsigned char>(width * height * 4)};
    unsigned char* out = pixels.Rgba.data();
    // GL's first texel row is the image's bottom row; alpha is always opaque.
    for (std::size_t row = 0; row < height; ++row) {
        const unsigned char* in = image.Rgb.data() + (height - 1 - row) * width * 3;
        for (std::size_t column = 0; column < width; ++column, in += 3, out += 4) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out[3] = 255;
        }
    }
    return pixels;
}

TTexturePixels DecodeTexturePixels(const std::string& fileName, long long maxPixels) {
    try {
        return TexturePixelsOf(DecodeByExtension(fileName, maxPixels));
    } catch (const TOutOfMemory&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw TOutOfMemory(FileMessage(fileName, "out of memory while decoding the image"));
    }
}
