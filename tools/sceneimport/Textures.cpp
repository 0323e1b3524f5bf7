#include "Textures.h"

#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <stdexcept>

#include "FileRead.h"

namespace fs = std::filesystem;

namespace {

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

// Exporters write paths with backslashes, "file://" prefixes and %20 for spaces.
std::string CleanPath(std::string path) {
    if (path.rfind("file://", 0) == 0) path.erase(0, 7);
    std::replace(path.begin(), path.end(), '\\', '/');
    std::string out;
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (path[i] == '%' && i + 2 < path.size() && std::isxdigit(static_cast<unsigned char>(path[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(path[i + 2]))) {
            out += static_cast<char>(std::stoi(path.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += path[i];
        }
    }
    return out;
}

bool KeptAsIs(const std::string& extension) {
    return extension == ".jpg" || extension == ".jpeg" || extension == ".bmp";
}

// A file name for the images the model file holds itself.
std::string EmbeddedStem(const aiTexture& texture, const std::string& texturePath) {
    const std::string own = fs::path(CleanPath(texture.mFilename.C_Str())).stem().string();
    if (!own.empty()) return own;
    std::string stem = "texture";
    for (char c : texturePath)
        if (std::isdigit(static_cast<unsigned char>(c))) stem += c;
    return stem;
}

}  // namespace

TTextureFiles::TTextureFiles(const aiScene& scene, fs::path modelFolder, fs::path outputFolder)
    : Scene(scene), ModelFolder(std::move(modelFolder)), OutputFolder(std::move(outputFolder)) {
    std::error_code error;
    SharedFolder = fs::equivalent(ModelFolder, OutputFolder, error);
}

std::vector<fs::path> TTextureFiles::Candidates(const std::string& texturePath) const {
    std::string cleaned = CleanPath(texturePath);
    // A drive letter means the root of another machine's disk.
    if (cleaned.size() >= 2 && std::isalpha(static_cast<unsigned char>(cleaned[0])) && cleaned[1] == ':')
        cleaned.erase(0, 2);
    const fs::path path(cleaned);
    std::vector<fs::path> candidates{path.is_absolute() ? path : ModelFolder / path};
    // Files moved together with their model often lose the root, or the folders, their paths name.
    if (path.is_absolute()) candidates.push_back(ModelFolder / path.relative_path());
    if (path.has_parent_path()) candidates.push_back(ModelFolder / path.filename());
    return candidates;
}

std::string TTextureFiles::Write(const std::string& stem, const std::string& extension,
                                 std::span<const unsigned char> bytes, const fs::path& source) {
    std::error_code error;
    std::string name = FileNames.Take(stem, "texture") + extension;
    // Beside the model, a name already there may be a texture still to be read: only the very file being
    // copied may be written over.
    while (SharedFolder && fs::exists(OutputFolder / name, error) &&
           !(!source.empty() && fs::equivalent(source, OutputFolder / name, error)))
        name = FileNames.Take(stem, "texture") + extension;
    WriteFileBytes((OutputFolder / name).string(), bytes);
    return name;
}

std::optional<std::string> TTextureFiles::Export(const std::string& texturePath, std::vector<std::string>& warnings) {
    if (const auto done = Done.find(texturePath); done != Done.end()) return done->second;
    std::optional<std::string> result;
    try {
        if (const aiTexture* embedded = Scene.GetEmbeddedTexture(texturePath.c_str())) {
            const std::string stem = EmbeddedStem(*embedded, texturePath);
            TRgbaImage image;
            if (embedded->mHeight == 0) {
                const auto* bytes = reinterpret_cast<const unsigned char*>(embedded->pcData);
                image = DecodeRgbaImage({bytes, embedded->mWidth}, "embedded texture " + texturePath);
            } else {
                image.Width = static_cast<int>(embedded->mWidth);
                image.Height = static_cast<int>(embedded->mHeight);
                for (std::size_t i = 0; i < std::size_t{embedded->mWidth} * embedded->mHeight; ++i) {
                    const aiTexel& t = embedded->pcData[i];
                    image.Rgba.insert(image.Rgba.end(), {t.r, t.g, t.b, t.a});
                }
            }
            result = Write(stem, ".bmp", EncodeBmp32(image));
        } else {
            const std::vector<fs::path> candidates = Candidates(texturePath);
            std::error_code error;
            const auto found = std::find_if(candidates.begin(), candidates.end(),
                                            [&](const fs::path& p) { return fs::is_regular_file(p, error); });
            if (found == candidates.end()) {
                std::string tried;
                for (const fs::path& candidate : candidates) tried += (tried.empty() ? "" : ", ") + candidate.string();
                warnings.push_back("texture " + texturePath + " not found (tried " + tried +
                                   "); its material keeps its colour");
            } else {
                const std::string extension = Lower(found->extension().string());
                const std::vector<unsigned char> bytes = ReadWholeFile(found->string());
                if (KeptAsIs(extension))
                    result = Write(found->stem().string(), extension == ".jpeg" ? ".jpg" : extension, bytes, *found);
                else
                    result = Write(found->stem().string(), ".bmp", EncodeBmp32(DecodeRgbaImage(bytes, found->string())));
            }
        }
    } catch (const std::exception& error) {
        warnings.push_back(std::string("texture not converted: ") + error.what() + "; its material keeps its colour");
    }
    Done.emplace(texturePath, result);
    return result;
}

std::string TTextureFiles::ExportPlain(const std::string& wantedName, const TRgbaImage& image) {
    return Write(wantedName, ".bmp", EncodeBmp32(image));
}
