#include "Materials.h"

#include <assimp/material.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <map>

#include "EmbeddedImages.h"

namespace {

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

std::string PercentDecoded(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const int high = text[i] == '%' && i + 2 < text.size() ? HexDigit(text[i + 1]) : -1;
        const int low = high >= 0 ? HexDigit(text[i + 2]) : -1;
        if (low >= 0) {
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::array<float, 4> DiffuseOf(const aiMaterial& material) {
    aiColor4D colour(0.8f, 0.8f, 0.8f, 1.0f);
    if (material.Get(AI_MATKEY_BASE_COLOR, colour) != AI_SUCCESS) material.Get(AI_MATKEY_COLOR_DIFFUSE, colour);
    float opacity = 1.0f;
    // Several exporters write a transparency of 0 for opaque materials; a surface nobody could see was never
    // meant, so an opacity of 0 is not taken.
    if (material.Get(AI_MATKEY_OPACITY, opacity) == AI_SUCCESS && opacity > 0 && opacity < colour.a) colour.a = opacity;
    const auto unit = [](float v) { return std::isfinite(v) ? std::clamp(v, 0.0f, 1.0f) : 1.0f; };
    return {unit(colour.r), unit(colour.g), unit(colour.b), unit(colour.a)};
}

std::optional<std::string> TexturePathOf(const aiMaterial& material) {
    for (aiTextureType type : {aiTextureType_BASE_COLOR, aiTextureType_DIFFUSE}) {
        aiString path;
        if (material.GetTextureCount(type) > 0 && material.GetTexture(type, 0, &path) == AI_SUCCESS && path.length > 0)
            return std::string(path.C_Str(), path.length);
    }
    return std::nullopt;
}

std::string StemOf(const std::string& path) {
    const std::size_t slash = path.find_last_of("/\\");
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (const std::size_t dot = name.find_last_of('.'); dot != std::string::npos && dot > 0) name.erase(dot);
    return name;
}

class TImages {
public:
    TImages(const aiScene& source, TModelScene& scene) : Source(source), Scene(scene) {}

    // The image for a material's texture path, or -1 with a warning naming the material.
    int For(const std::string& written, const std::string& materialName) {
        if (const auto known = Known.find(written); known != Known.end()) return known->second;
        TModelImage image;
        std::string problem;
        if (const aiTexture* embedded = Source.GetEmbeddedTexture(written.c_str())) {
            image.Bytes = EncodedImageBytes(*embedded);
            image.Name = StemOf(embedded->mFilename.C_Str());
            if (image.Name.empty()) image.Name = "texture" + std::to_string(Scene.Images.size());
            if (image.Bytes.empty()) problem = "its embedded image has no bytes or absurd dimensions";
        } else if (const auto path = TextureFileName(written)) {
            image.Path = *path;
            image.Name = StemOf(*path);
        } else {
            problem = "its texture's name holds a control byte";
        }
        int index = -1;
        if (problem.empty()) {
            index = static_cast<int>(Scene.Images.size());
            Scene.Images.push_back(std::move(image));
        } else {
            Scene.Warnings.push_back("material \"" + materialName + "\": " + problem + "; it keeps its colour");
        }
        Known.emplace(written, index);
        return index;
    }

private:
    const aiScene& Source;
    TModelScene& Scene;
    std::map<std::string, int> Known;
};

}  // namespace

std::optional<std::string> TextureFileName(const std::string& written) {
    const std::string decoded = PercentDecoded(written.rfind("file://", 0) == 0 ? written.substr(7) : written);
    const bool control = std::any_of(decoded.begin(), decoded.end(),
                                     [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; });
    if (control || decoded.empty()) return std::nullopt;
    return decoded;
}

void ConvertMaterials(const aiScene& source, TModelScene& scene) {
    TImages images(source, scene);
    for (unsigned m = 0; m < source.mNumMaterials; ++m) {
        const aiMaterial& material = *source.mMaterials[m];
        TModelMaterial converted;
        converted.Name = material.GetName().C_Str();
        converted.Diffuse = DiffuseOf(material);
        if (const auto path = TexturePathOf(material)) converted.Image = images.For(*path, converted.Name);
        // A base colour multiplies its texture; other formats' diffuse colours stand beside theirs.
        aiColor4D base;
        const bool white =
            std::all_of(converted.Diffuse.begin(), converted.Diffuse.end(), [](float c) { return c >= 1; });
        converted.TintsImage = material.Get(AI_MATKEY_BASE_COLOR, base) == AI_SUCCESS && !white;
        scene.Materials.push_back(std::move(converted));
    }
}
