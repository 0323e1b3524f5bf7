// The texture files of an imported scene, written beside its document under bare file names: JPEG and BMP
// files as they are (the engine reads both), every other image (PNG, TGA, an image embedded in the model
// file, ...) converted to a 32-bit BMP. Each source image is written once, however many materials use it.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ImageFiles.h"
#include "UniqueNames.h"

struct aiScene;

class TTextureFiles {
public:
    TTextureFiles(const aiScene& scene, std::filesystem::path modelFolder, std::filesystem::path outputFolder);

    // The file name beside the document for the texture a material names, or none, with a warning saying
    // why (the path tried, or the decoder's reason).
    std::optional<std::string> Export(const std::string& texturePath, std::vector<std::string>& warnings);
    // A small texture of one colour, for materials drawn in their vertex colours.
    std::string ExportPlain(const std::string& wantedName, const TRgbaImage& image);

private:
    // The places a texture path may mean, most likely first.
    std::vector<std::filesystem::path> Candidates(const std::string& texturePath) const;
    // Writes under a name of its own; `source` is the file the bytes were copied from, if any.
    std::string Write(const std::string& stem, const std::string& extension, std::span<const unsigned char> bytes,
                      const std::filesystem::path& source = {});

    const aiScene& Scene;
    std::filesystem::path ModelFolder, OutputFolder;
    bool SharedFolder;  // the document goes beside its model, whose files must survive the import
    TUniqueNames FileNames{true};
    std::map<std::string, std::optional<std::string>> Done;  // by the texture path the material gives
};
