// The textures of one opened model: each image file found by the one rule (TextureRule.h), or each image the
// model holds itself, read and decoded in memory once, by what its bytes hold, within the texture store's
// limits and budget (or a thumbnail's). What cannot be had becomes a warning, never an error: the material
// is then drawn in its colour.
#pragma once

#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "ModelDoor.h"

class TTextureGathering {
public:
    TTextureGathering(std::string modelFile, const TDoorOptions& options, std::vector<std::string>& warnings);

    // The key of the pixels of the image the model names `name`, read from the file the one rule finds for
    // it; empty when there is none or it does not decode.
    std::string FromFile(const std::string& name);
    // The same, with the pixels kept under the name itself (a document in the engine's conventions keeps its
    // image names as written); false when they cannot be had.
    bool FromFileAs(const std::string& name);
    // The key of the pixels of an image the model file holds; empty when they do not decode.
    std::string Embedded(const std::string& name, std::span<const unsigned char> bytes);
    // The key of a white image, for surfaces drawn in their colour alone (the programs multiply every
    // surface's colour by its texture while textures are on).
    std::string Plain();

    std::vector<TDoorTexture> Take() { return std::move(Textures); }

private:
    // FromFile with the key the pixels are given when decoded now: the found path unless `key` says.
    std::string FromFile(const std::string& name, const std::optional<std::string>& key);
    bool Decode(const std::string& key, const std::string& label, std::span<const unsigned char> bytes,
                const std::string& source, const std::string& name);
    // The bytes of the found file, within what a texture file may be; empty with a warning when unreadable.
    std::vector<unsigned char> ReadImageFile(const std::string& path, const std::string& name);

    std::string ModelFile;
    const TDoorOptions& Options;
    std::vector<std::string>& Warnings;
    std::vector<TDoorTexture> Textures;
    std::map<std::string, std::string> Done;  // by the path found or the embedded image's key: the key given
    long long PixelsLeft;
    std::string PlainKey;
};
