// The texture store: one GL texture per (file name, unit), decoded and uploaded once.
#include <cstddef>
#include <string>
#include <vector>

#include "Colladaengine.h"
#include "FileRead.h"
#include "GlExtensions.h"
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

TTexture::~TTexture() {
    if (Id != 0) glDeleteTextures(1, &Id);
}

// Decoding comes before any GL call, so a file that fails leaves no texture object behind. The unpack
// alignment of 1 is left set: rows of 4-byte texels need no more, and nothing else here relies on 4.
void TTexture::LoadImageFile(const std::string& fileName, int unit, long long* pixelBudget) {
    FileName = fileName;
    Unit = unit;
    std::vector<unsigned char> rgba;
    int width = 0, height = 0;
    try {
        const TDecodedImage image = DecodeByExtension(fileName, pixelBudget ? *pixelBudget : MaxImagePixels);
        rgba = BottomUpRgba(image);
        width = image.Width;
        height = image.Height;
    } catch (const TOutOfMemory&) {
        throw;
    } catch (const std::bad_alloc&) {
        throw TOutOfMemory(FileMessage(fileName, "out of memory while decoding the image"));
    }
    if (pixelBudget) *pixelBudget -= static_cast<long long>(width) * height;
    Gl::glActiveTextureARB(static_cast<GLenum>(Unit));
    glGenTextures(1, &Id);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, Id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
}

void TTexture::Bind() {
    Gl::glActiveTextureARB(static_cast<GLenum>(Unit));
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, Id);
}

// The texture stays bound to its unit; only texturing is switched off there.
void TTexture::Unbind() {
    Gl::glActiveTextureARB(static_cast<GLenum>(Unit));
    glDisable(GL_TEXTURE_2D);
}

TTextureEngine::~TTextureEngine() = default;  // the list deletes its textures in order

std::size_t TTextureEngine::TKeyHash::operator()(const TKey& key) const noexcept {
    return std::hash<std::string_view>()(key.FileName) ^ (static_cast<std::size_t>(key.Unit) * 0x9E3779B97F4A7C15u);
}

// Entries reach the index in list order and an existing key is never replaced, so the index gives what a
// walk from the front would: the first entry with that name and unit. Entries appended to Textures by other
// means than this function are taken in on the next look-up.
int TTextureEngine::LoadTexture(const std::string& fileName, int unit) {
    for (; IndexedCount < Textures.Count(); ++IndexedCount) {
        const TTexture* texture = Textures[static_cast<std::size_t>(IndexedCount)];
        Index.try_emplace(TKey{texture->FileName, texture->Unit}, IndexedCount);
    }
    if (const auto found = Index.find(TKey{fileName, unit}); found != Index.end()) return found->second;
    auto texture = std::make_unique<TTexture>();
    texture->LoadImageFile(fileName, unit, &PixelBudgetLeft);
    Textures.Add(std::move(texture));
    return Textures.Count() - 1;
}
