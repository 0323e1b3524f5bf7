#include "Effects.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "Colladaasset.h"
#include "DecimalCommas.h"
#include "Images.h"
#include "Uris.h"

namespace {

// Up to four numbers of a colour or a float; those the text is short of come from `values` as given.
template <std::size_t Count>
void ReadValues(const TXmlNode& element, std::array<float, Count>& values) {
    std::string storage;
    const std::string_view text = WithDecimalPoints(element.Text(), storage);
    std::size_t present = 0;
    bool inNumber = false;
    for (const char c : text) {
        const bool space = c == ' ' || c == '\t' || c == '\n' || c == '\r';
        if (!space && !inNumber) ++present;
        inNumber = !space;
    }
    TFloatArray parsed;
    ParseFloatArray(parsed, text, static_cast<int>(Count));
    for (std::size_t i = 0; i < std::min(present, Count); ++i) values[i] = parsed[i];
}

float ReadFloatParameter(const TXmlNode& parameter, float absent) {
    const TXmlNode value = parameter ? parameter.FirstChild("float") : TXmlNode();
    std::array<float, 1> result{absent};
    if (value) ReadValues(value, result);
    return result[0];
}

// The newparam with the sid, in the profile or else in the effect.
TXmlNode FindParameter(std::string_view sid, const TXmlNode& effect, const TXmlNode& profile) {
    for (const TXmlNode scope : {profile, effect})
        for (const TXmlNode parameter : SiblingsFrom(scope.FirstChild("newparam")))
            if (parameter.Name() == "newparam" && parameter.HasAttribute("sid") &&
                parameter.AttributeText("sid") == sid)
                return parameter;
    return {};
}

}  // namespace

int TMaterials::MaterialOf(std::string_view id) {
    const std::string key(id);
    if (const auto found = ByMaterialId.find(key); found != ByMaterialId.end()) return found->second;
    const TXmlNode element = Libraries.Find(TLibraryKind::Material, id);
    int index = -1;
    if (element) {
        element.ChargeMemory(sizeof(TModelMaterial) + 2 * key.size() + 96);
        TModelMaterial material = ReadMaterial(element);
        index = static_cast<int>(Scene.Materials.size());
        Scene.Materials.push_back(std::move(material));
    }
    ByMaterialId.emplace(key, index);
    return index;
}

TModelMaterial TMaterials::ReadMaterial(const TXmlNode& material) {
    TModelMaterial result;
    result.Name = material.HasAttribute("name") ? material.AttributeText("name")
                  : material.HasAttribute("id") ? material.AttributeText("id")
                                                : std::string();
    const TXmlNode instance = material.FirstChild("instance_effect");
    if (!instance) {
        if (Notes) Notes->Add(material, "no-effect", "has no <instance_effect>: it is drawn in the default grey");
        return result;
    }
    if (const TXmlNode effect = Libraries.Follow(instance, "url", TLibraryKind::Effect)) ReadEffect(effect, result);
    return result;
}

void TMaterials::ReadEffect(const TXmlNode& effect, TModelMaterial& result) {
    const TXmlNode profile = effect.FirstChild("profile_COMMON");
    const TXmlNode technique = profile ? profile.FirstChild("technique") : TXmlNode();
    TXmlNode shading;
    for (TXmlNode child = technique ? technique.FirstChildNode() : TXmlNode(); child && !shading;
         child = child.NextSibling())
        if (child.Name() == "phong" || child.Name() == "blinn" || child.Name() == "lambert" ||
            child.Name() == "constant")
            shading = child;
    if (!shading) {
        if (Notes)
            Notes->Add(effect, "no-common-profile",
                       "has no common profile with a shading model (phong, blinn, lambert, constant): its material "
                       "is drawn in the default grey");
        return;
    }
    // A constant surface shows its emission; the others their diffuse colour.
    const TXmlNode colour = shading.FirstChild(shading.Name() == "constant" ? "emission" : "diffuse");
    if (const TXmlNode value = colour ? colour.FirstChild("color") : TXmlNode()) {
        std::array<float, 4> rgba{0, 0, 0, 1};
        ReadValues(value, rgba);
        for (int c = 0; c < 3; ++c) result.Diffuse[c] = std::clamp(rgba[c], 0.0f, 1.0f);
    } else if (const TXmlNode texture = colour ? colour.FirstChild("texture") : TXmlNode()) {
        result.Image = ImageOfTexture(texture, effect, profile);
        if (result.Image >= 0) result.Diffuse = {1, 1, 1, 1};
    }

    const TXmlNode transparent = shading.FirstChild("transparent");
    const TXmlNode transparency = shading.FirstChild("transparency");
    if (!transparent && !transparency) return;
    const float factor = ReadFloatParameter(transparency, 1.0f);
    std::array<float, 4> filter{1, 1, 1, 1};
    if (const TXmlNode value = transparent ? transparent.FirstChild("color") : TXmlNode()) ReadValues(value, filter);
    const std::string mode =
        transparent && transparent.HasAttribute("opaque") ? transparent.AttributeText("opaque") : "A_ONE";
    const float luminance = 0.212671f * filter[0] + 0.715160f * filter[1] + 0.072169f * filter[2];
    float opacity = mode == "RGB_ZERO"  ? 1 - factor * luminance
                    : mode == "RGB_ONE" ? factor * luminance
                    : mode == "A_ZERO"  ? 1 - factor * filter[3]
                                        : factor * filter[3];
    // Several exporters write a transparency of 0 for an opaque surface, where the schema would make it
    // invisible; no one exports a surface to be unseen.
    if (!(opacity > 0.0f)) {
        if (Notes)
            Notes->Add(transparency ? transparency : transparent, "zero-opacity",
                       "makes the surface wholly transparent, which exporters write for opaque surfaces: it is "
                       "drawn opaque");
        opacity = 1.0f;
    }
    result.Diffuse[3] = std::min(opacity, 1.0f);
}

int TMaterials::ImageOfTexture(const TXmlNode& texture, const TXmlNode& effect, const TXmlNode& profile) {
    const std::string link = texture.AttributeText("texture");
    TXmlNode image;
    if (const TXmlNode sampler = FindParameter(link, effect, profile).FirstChild("sampler2D")) {
        if (const TXmlNode instance = sampler.FirstChild("instance_image")) {
            image = Libraries.Follow(instance, "url", TLibraryKind::Image);
            if (!image) return -1;
        } else if (const TXmlNode source = sampler.FirstChild("source")) {
            const TXmlNode surface = FindParameter(source.Text(), effect, profile).FirstChild("surface");
            const TXmlNode initFrom = surface ? surface.FirstChild("init_from") : TXmlNode();
            const std::string imageId = initFrom ? std::string(initFrom.Text()) : std::string();
            image = Libraries.Find(TLibraryKind::Image, imageId);
            if (!image) image = Libraries.Find(TLibraryKind::ImageName, imageId);
            if (!image) {
                if (Notes)
                    Notes->Add(surface ? (initFrom ? initFrom : surface) : sampler, "image-link",
                               "names the image " + NoteQuoted(imageId) +
                                   ", and no image has that id: the material keeps its colour");
                return -1;
            }
        }
    }
    // Some exporters name the image itself where the schema asks for a sampler.
    if (!image) image = Libraries.Find(TLibraryKind::Image, link);
    if (!image) image = Libraries.Find(TLibraryKind::ImageName, link);
    if (!image) {
        if (Notes)
            Notes->Add(texture, "image-link",
                       "names " + NoteQuoted(link) +
                           ", which is neither a sampler of its effect nor an image: the material keeps its colour");
        return -1;
    }
    return ImageOf(image);
}

int TMaterials::ImageOf(const TXmlNode& image) {
    // Images are found by id or by name; an image that has neither cannot be found.
    const std::string key = image.HasAttribute("id") ? "#" + image.AttributeText("id") : image.AttributeText("name");
    if (const auto found = ByImage.find(key); found != ByImage.end()) return found->second;
    int index = -1;
    if (std::optional<TModelImage> read = ReadImage(image, Notes)) {
        image.ChargeMemory(sizeof(TModelImage) + read->Name.size() + read->Path.size() + 96);
        index = static_cast<int>(Scene.Images.size());
        Scene.Images.push_back(std::move(*read));
    }
    ByImage.emplace(key, index);
    return index;
}
