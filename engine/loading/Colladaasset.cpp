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

namespace {

// Records that the root lacks a required library; true when the reading goes on all the same (a survey).
bool GoOnWithout(const TXmlNode& root, std::string_view library, TLoadNotes* notes) {
    if (!notes) return false;
    notes->AddBlocker(root, "no-library", "has no <" + std::string(library) + ">");
    return notes->Survey;
}

}  // namespace

bool TColladaAsset::LoadFromFile(const std::string& fileName) {
    if (Notes) Notes->FileName = fileName;
    Document->LoadFromFile(fileName);
    Document->SetActive(true);
    const TXmlNode root = Document->DocumentElement();
    if (!root) return false;

    if (const TXmlNode library = root.FirstChild("library_effects")) Effects->LoadFromNode(library, Notes);
    if (const TXmlNode library = root.FirstChild("library_images")) Images->LoadFromNode(library, Notes);
    bool complete = true;
    // A missing required library ends the load, unless a survey reads on without it; false to end here.
    const auto readRequired = [&](std::string_view name, auto& library) {
        if (const TXmlNode element = root.FirstChild(name)) {
            library.LoadFromNode(element, Notes);
            return true;
        }
        complete = false;
        return GoOnWithout(root, name, Notes);
    };
    if (!readRequired("library_geometries", *Geometries)) return false;
    if (!readRequired("library_visual_scenes", *VisualScenes)) return false;

    LinkNodes();
    LinkEffectImages();
    return complete;
}

std::size_t TextHeapBytes(const std::string& text) {
    return text.capacity() > std::string().capacity() ? text.capacity() + 1 + HeapBlockOverhead : 0;
}

namespace {

using TNameIndex = std::unordered_map<std::string_view, int>;

// Names to the first index holding them, so that linking a scene of many nodes stays linear in its size.
template <typename Names>
TNameIndex FirstIndexByName(const Names& names) {
    TNameIndex index;
    int position = 0;
    for (const auto& name : names) index.emplace(name, position++);
    return index;
}

int Find(const TNameIndex& index, std::string_view name) {
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

void LinkGeometry(TNode& node, const TNameIndex& geometries, TLoadNotes* notes) {
    node.GeometryIndex = node.GeometryName.empty() ? -1 : Find(geometries, node.GeometryName);
    if (notes && !node.GeometryName.empty() && node.GeometryIndex == -1)
        notes->Add(notes->OriginOf(&node), "geometry-link",
                   "node " + NoteQuoted(node.Name) + " instances the geometry named " + NoteQuoted(node.GeometryName) +
                       " (its url less the first character), and no geometry has that \"name\"");
}

// False when the node's material symbol selects no effect.
bool LinkEffect(TNode& node, const TNameIndex& effects) {
    node.EffectIndex = node.MaterialSymbol.empty() ? -1 : Find(effects, node.MaterialSymbol + "-fx");
    return node.MaterialSymbol.empty() || node.EffectIndex != -1;
}

void NoteMissingEffect(const TNode& node, const TNameIndex& effects, TLoadNotes& notes) {
    notes.Add(notes.OriginOf(&node), "effect-link",
              "node " + NoteQuoted(node.Name) + ": material symbol " + NoteQuoted(node.MaterialSymbol) +
                  " selects the effect named " + NoteQuoted(node.MaterialSymbol + "-fx") + ", and there is none" +
                  (Find(effects, node.MaterialSymbol) >= 0 ? " (an effect is named just the symbol)" : "") +
                  ": it is drawn untextured");
}

}  // namespace

void TColladaAsset::LinkNodeGeometries() {
    const TNameIndex geometries = FirstIndexByName(NamesOf(Geometries->Items));
    for (const auto& node : VisualScenes->Items) LinkGeometry(*node, geometries, Notes);
}

void TColladaAsset::LinkNodeEffects() {
    const TNameIndex effects = FirstIndexByName(NamesOf(Effects->Items));
    for (const auto& node : VisualScenes->Items)
        if (!LinkEffect(*node, effects) && Notes) NoteMissingEffect(*node, effects, *Notes);
}

// Both links of every node in one pass: a scene of many nodes has its records spread over far more memory
// than the caches hold, and each pass over them costs a miss per node. The notes come in the order of the
// two passes, every geometry's before every effect's.
constexpr std::size_t LinkAhead = 8;

void TColladaAsset::LinkNodes() {
    const TNameIndex geometries = FirstIndexByName(NamesOf(Geometries->Items));
    const TNameIndex effects = FirstIndexByName(NamesOf(Effects->Items));
    std::vector<const TNode*> withoutEffect;
    const TOwnedList<TNode>& nodes = VisualScenes->Items;
    const std::size_t count = static_cast<std::size_t>(nodes.Count());
    for (std::size_t i = 0; i < count; ++i) {
        // The records lie wherever the allocator put them: ask for one well ahead, so that its miss overlaps
        // the work on the ones before it.
        if (i + LinkAhead < count) __builtin_prefetch(nodes[i + LinkAhead], 1);
        TNode& node = *nodes[i];
        LinkGeometry(node, geometries, Notes);
        if (!LinkEffect(node, effects) && Notes) withoutEffect.push_back(&node);
    }
    for (const TNode* node : withoutEffect) NoteMissingEffect(*node, effects, *Notes);
}

void TColladaAsset::LinkEffectImages() {
    const auto images = FirstIndexByName(Images->Names);
    for (const auto& effect : Effects->Items) {
        effect->ImageIndex = effect->ImageName.empty() ? -1 : Find(images, effect->ImageName);
        if (Notes && !effect->ImageName.empty() && effect->ImageIndex == -1)
            Notes->Add(Notes->OriginOf(effect.get()), "image-link",
                       "effect " + NoteQuoted(effect->Name) + ": its surface names the image " +
                           NoteQuoted(effect->ImageName) + ", and no image has that \"name\": it gives no texture");
    }
}

const std::string* TColladaAsset::TextureFileOf(const TNode& node) const {
    if (node.EffectIndex == -1) return nullptr;
    const TEffect* effect = Effects->Items[static_cast<std::size_t>(node.EffectIndex)];
    if (effect->ImageIndex == -1) return nullptr;
    return &Images->FileNames[static_cast<std::size_t>(effect->ImageIndex)];
}

bool TColladaAsset::Draws(const TNode& node) const {
    if (node.GeometryIndex == -1) return false;
    const TGeometry* geometry = Geometries->Items[static_cast<std::size_t>(node.GeometryIndex)];
    return !geometry->Positions.Empty() && !(geometry->TriangleIndices.Empty() && geometry->LineIndices.Empty());
}
