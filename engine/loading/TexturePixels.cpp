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

// GL's first texel row is the image's bottom row; alpha is always opaque.
std::vector<unsigned char> BottomUpRgba(const TDecodedImage& image) {
    const std::size_t width = static_cast<std::size_t>(image.Width);
    const std::size_t height = static_cast<std::size_t>(image.Height);
    std::vector<unsigned char> rgba(width * height * 4);
    unsigned char* out = rgba.data();
    for (std::size_t row = 0; row < height; ++row) {
        const unsigned char* in = image.Rgb.data() + (height - 1 - row) * width * 3;
        for (std::size_t column = 0; column < width; ++column, in += 3, out += 4) {
            out[0] = in[0];
            out[1] = in[1];
            out[2] = in[2];
            out[3] = 255;
        }
    }
    return rgba;
}

}  // namespace

TTexturePixels DecodeTexturePixels(const std::string& fileName, long long maxPixels) {
    try {
        const TDecodedImage image = DecodeByExtension(fileName, maxPixels);
        return {image.Width, image.Height, BottomUpRgba(image)};
    } catch (const TOutOfMemory&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw TOutOfMemory(FileMessage(fileName, "out of memory while decoding the image"));
    }
}
