// The texture store: one GL texture per (file name, unit), decoded and uploaded once.
#include <cstddef>
#include <optional>
#include <string>

#include "Colladaengine.h"
#include "GlExtensions.h"
#include "ImageDecoders.h"
#include "StartupPrefetch.h"
#include "TexturePixels.h"

TTexture::~TTexture() {
    if (Id != 0) glDeleteTextures(1, &Id);
}

// Decoding comes before any GL call, so a file that fails leaves no texture object behind.
void TTexture::LoadImageFile(const std::string& fileName, int unit, long long* pixelBudget) {
    Upload(fileName, unit, DecodeTexturePixels(fileName, pixelBudget ? *pixelBudget : MaxImagePixels), pixelBudget);
}

// The unpack alignment of 1 is left set: rows of 4-byte texels need no more, and nothing else here relies on 4.
void TTexture::Upload(const std::string& fileName, int unit, const TTexturePixels& pixels, long long* pixelBudget) {
    FileName = fileName;
    Unit = unit;
    if (pixelBudget) *pixelBudget -= static_cast<long long>(pixels.Width) * pixels.Height;
    Gl::glActiveTextureARB(static_cast<GLenum>(Unit));
    glGenTextures(1, &Id);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glBindTexture(GL_TEXTURE_2D, Id);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, pixels.Width, pixels.Height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                 pixels.Rgba.data());
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

void TTextureEngine::Provide(const std::string& fileName, TTexturePixels pixels) {
    Provided.insert_or_assign(fileName, std::move(pixels));
}

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
    if (const auto provided = Provided.find(fileName); provided != Provided.end()) {
        const TTexturePixels pixels = std::move(provided->second);
        Provided.erase(provided);
        CheckImageSize(pixels.Width, pixels.Height, fileName, PixelBudgetLeft);
        texture->Upload(fileName, unit, pixels, &PixelBudgetLeft);
        Textures.Add(std::move(texture));
        return Textures.Count() - 1;
    }
    // Pixels decoded ahead are taken only when decoded under this very budget, so they are what decoding
    // here would give; their decoder's error is raised here, as it would be.
    std::optional<TTexturePixels> early = Prefetch ? Prefetch->TakeTexture(fileName, PixelBudgetLeft) : std::nullopt;
    if (early)
        texture->Upload(fileName, unit, *early, &PixelBudgetLeft);
    else
        texture->LoadImageFile(fileName, unit, &PixelBudgetLeft);
    Textures.Add(std::move(texture));
    return Textures.Count() - 1;
}
