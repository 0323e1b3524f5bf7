// Materials as the scene draws them: a <material>'s effect, of which the common profile's diffuse colour or
// texture and its transparency are read. Each material and image is read once, however often it is bound.
#pragma once

#include <string>
#include <unordered_map>

#include "Libraries.h"
#include "LoadNotes.h"
#include "ModelScene.h"
#include "XmlDocument.h"

class TMaterials {
public:
    TMaterials(const TLibraries& libraries, TModelScene& scene, TLoadNotes* notes)
        : Libraries(libraries), Scene(scene), Notes(notes) {}

    // The scene's material for the <material> with the id, read on first use; -1 for none of that id.
    int MaterialOf(std::string_view id);

private:
    TModelMaterial ReadMaterial(const TXmlNode& material);
    void ReadEffect(const TXmlNode& effect, TModelMaterial& result);
    // The scene's image for the texture's link: through a sampler and its surface, or to an image directly.
    int ImageOfTexture(const TXmlNode& texture, const TXmlNode& effect, const TXmlNode& profile);
    int ImageOf(const TXmlNode& image);

    const TLibraries& Libraries;
    TModelScene& Scene;
    TLoadNotes* Notes;
    std::unordered_map<std::string, int> ByMaterialId;
    std::unordered_map<std::string, int> ByImage;  // by "#id" or name; -1 for an image that gave nothing
};
