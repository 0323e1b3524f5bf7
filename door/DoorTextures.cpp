#include "DoorTextures.h"

#include <algorithm>
#include <filesystem>

#include "FileRead.h"
#include "ImageDecoders.h"
#include "MessageText.h"
#include "TexturePixels.h"
#include "TextureRule.h"

namespace {

// A thumbnail of a few hundred pixels needs no texture larger than this, and no more of them than this in all:
// a model of many large images must not cost a file manager seconds and gigabytes for one small picture.
constexpr long long ThumbnailImagePixels = 1024LL * 1024;
constexpr long long ThumbnailPixelBudget = 4 * ThumbnailImagePixels;
constexpr std::size_t ThumbnailImageFileBytes = std::size_t{32} << 20;

bool StartsWith(std::span<const unsigned char> bytes, std::initializer_list<unsigned char> signature) {
    return bytes.size() >= signature.size() && std::equal(signature.begin(), signature.end(), bytes.begin());
}

}  // namespace

TTextureGathering::TTextureGathering(std::string modelFile, const TDoorOptions& options,
                                     std::vector<std::string>& warnings)
    : ModelFile(std::move(modelFile)),
      Options(options),
      Warnings(warnings),
      PixelsLeft(options.Thumbnail ? ThumbnailPixelBudget : TexturePixelBudget) {}

std::vector<unsigned char> TTextureGathering::ReadImageFile(const std::string& path, const std::string& name) {
    try {
        const TReadFile file(path);
        const std::size_t largest =
            Options.Thumbnail ? ThumbnailImageFileBytes : static_cast<std::size_t>(MaxImageFileBytes);
        if (file.Size() > largest) {
            Warnings.push_back("texture " + QuotedForMessage(name) + " not used: " +
                               FileMessage(path, "file of " + std::to_string(file.Size()) +
                                                     " bytes is larger than a texture file may be (" +
                                                     std::to_string(largest) + " bytes)"));
            return {};
        }
        return file.ReadWhole<std::vector<unsigned char>>();
    } catch (const std::exception& error) {
        Warnings.push_back("texture " + QuotedForMessage(name) + " not used: " + error.what());
        return {};
    }
}

bool TTextureGathering::Decode(const std::string& key, const std::string& label, std::span<const unsigned char> bytes,
                               const std::string& source, const std::string& name) {
    const long long largest = std::min(Options.Thumbnail ? ThumbnailImagePixels : MaxImagePixels, PixelsLeft);
    try {
        TDoorTexture texture;
        texture.Pixels = TexturePixelsOf(DecodeImage(bytes, label, largest, Options.Thumbnail));
        texture.Key = key;
        texture.Source = source;
        texture.Name = name;
        texture.Jpeg = StartsWith(bytes, {0xFF, 0xD8, 0xFF});
        if (Options.KeepImageFiles && (texture.Jpeg || StartsWith(bytes, {'B', 'M'})))
            texture.Encoded.assign(bytes.begin(), bytes.end());
        PixelsLeft -= static_cast<long long>(texture.Pixels.Width) * texture.Pixels.Height;
        Textures.push_back(std::move(texture));
        return true;
    } catch (const std::bad_alloc&) {
        Warnings.push_back("texture " + QuotedForMessage(name) + " not used: out of memory while decoding it");
    } catch (const std::exception& error) {
        Warnings.push_back("texture " + QuotedForMessage(name) + " not used: " + error.what());
    }
    return false;
}

std::string TTextureGathering::FromFile(const std::string& name) { return FromFile(name, std::nullopt); }

std::string TTextureGathering::FromFile(const std::string& name, const std::optional<std::string>& key) {
    const std::optional<std::string> found = FindTexture(name, ModelFile);
    if (!found) {
        std::string tried;
        for (const std::string& candidate : TextureCandidates(name, ModelFile)) {
            const std::string kind = NonRegularKind(candidate);
            tried +=
                (tried.empty() ? "" : ", ") + EscapeForMessage(candidate) + (kind.empty() ? "" : " (" + kind + ")");
        }
        Warnings.push_back("texture " + QuotedForMessage(name) +
                           (tried.empty() ? " has a name no file can have" : " not found (tried " + tried + ")"));
        return {};
    }
    if (const auto done = Done.find(*found); done != Done.end()) return done->second;
    const std::vector<unsigned char> bytes = ReadImageFile(*found, name);
    const std::string given = key.value_or(*found);
    const bool decoded = !bytes.empty() && Decode(given, *found, bytes, *found, name);
    return Done.emplace(*found, decoded ? given : std::string()).first->second;
}

bool TTextureGathering::FromFileAs(const std::string& name) {
    const std::string key = FromFile(name, name);
    if (key.empty()) return false;
    // Two names for one file: the second name gets the first's pixels too.
    if (key != name) {
        const auto texture =
            std::find_if(Textures.begin(), Textures.end(), [&](const TDoorTexture& t) { return t.Key == key; });
        TDoorTexture copy = *texture;
        copy.Key = name;
        Textures.push_back(std::move(copy));
    }
    return true;
}

std::string TTextureGathering::Embedded(const std::string& name, std::span<const unsigned char> bytes) {
    const std::string key = ModelFile + "#" + name;
    if (const auto done = Done.find(key); done != Done.end()) return done->second;
    const bool decoded =
        Decode(key, ModelFile + " (embedded image " + EscapeForMessage(name) + ")", bytes, ModelFile, name);
    return Done.emplace(key, decoded ? key : std::string()).first->second;
}

std::string TTextureGathering::Plain() {
    if (PlainKey.empty()) {
        PlainKey = PlainTextureKey;
        Textures.push_back({PlainKey, {1, 1, {255, 255, 255, 255}}, {}, "plain", {}, false});
    }
    return PlainKey;
}
