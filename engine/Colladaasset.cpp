// A document read into four libraries, then linked by name so that drawing and material preparation work
// with indices only.
#include "Colladaasset.h"

#include <unordered_map>

TColladaAsset::TColladaAsset(TXmlDocument* document)
    : Document(document),
      Effects(std::make_unique<TLibraryEffects>()),
      Images(std::make_unique<TLibraryImages>()),
      Geometries(std::make_unique<TLibraryGeometries>()),
      VisualScenes(std::make_unique<TLibraryVisualScenes>()) {}

TColladaAsset::~TColladaAsset() {
    Effects.reset();
    Images.reset();
    Geometries.reset();
    VisualScenes.reset();
}

bool TColladaAsset::LoadFromFile(const std::string& fileName) {
    Document->LoadFromFile(fileName);
    Document->SetActive(true);
    const TXmlNode root = Document->DocumentElement();
    if (!root) return false;

    if (const TXmlNode library = root.FirstChild("library_effects")) Effects->LoadFromNode(library);
    if (const TXmlNode library = root.FirstChild("library_images")) Images->LoadFromNode(library);
    const TXmlNode geometries = root.FirstChild("library_geometries");
    if (!geometries) return false;
    Geometries->LoadFromNode(geometries);
    const TXmlNode scenes = root.FirstChild("library_visual_scenes");
    if (!scenes) return false;
    VisualScenes->LoadFromNode(scenes);

    LinkNodeGeometries();
    LinkNodeEffects();
    LinkEffectImages();
    return true;
}

namespace {

// Names to the first index holding them, so that linking a scene of many nodes stays linear in its size.
template <typename Names>
std::unordered_map<std::string_view, int> FirstIndexByName(const Names& names) {
    std::unordered_map<std::string_view, int> index;
    int position = 0;
    for (const auto& name : names) index.emplace(name, position++);
    return index;
}

int Find(const std::unordered_map<std::string_view, int>& index, std::string_view name) {
    const auto found = index.find(name);
    return found == index.end() ? -1 : found->second;
}

template <typename T>
std::vector<std::string_view> NamesOf(const TOwnedList<T>& items) {
    std::vector<std::string_view> names;
    names.reserve(items.Count());
    for (const auto& item : items) names.push_back(item->Name);
    return names;
}

}  // namespace

void TColladaAsset::LinkNodeGeometries() {
    const auto geometries = FirstIndexByName(NamesOf(Geometries->Items));
    for (const auto& node : VisualScenes->Items)
        node->GeometryIndex = node->GeometryName.empty() ? -1 : Find(geometries, node->GeometryName);
}

void TColladaAsset::LinkNodeEffects() {
    const auto effects = FirstIndexByName(NamesOf(Effects->Items));
    for (const auto& node : VisualScenes->Items)
        node->EffectIndex = node->MaterialSymbol.empty() ? -1 : Find(effects, node->MaterialSymbol + "-fx");
}

void TColladaAsset::LinkEffectImages() {
    const auto images = FirstIndexByName(Images->Names);
    for (const auto& effect : Effects->Items)
        effect->ImageIndex = effect->ImageName.empty() ? -1 : Find(images, effect->ImageName);
}
