#include "Libraries.h"

#include <vector>

#include "Uris.h"

namespace {

// What one index entry keeps beside the id's text: its node, its hash slot and the heap block of both.
constexpr std::size_t IndexEntryBytes = 96;

}  // namespace

const char* KindName(TLibraryKind kind) {
    switch (kind) {
    case TLibraryKind::Geometry: return "geometry";
    case TLibraryKind::Controller: return "controller";
    case TLibraryKind::Material: return "material";
    case TLibraryKind::Effect: return "effect";
    case TLibraryKind::Image: return "image";
    case TLibraryKind::Node: return "node";
    case TLibraryKind::ImageName: return "image";
    default: return "visual_scene";
    }
}

TLibraries::TLibraries(const TXmlNode& root, TLoadNotes* notes) : Notes(notes) {
    struct TLibrary {
        std::string_view Name, Item;
        TLibraryKind Kind;
    };
    static constexpr TLibrary Libraries[] = {
        {"library_geometries", "geometry", TLibraryKind::Geometry},
        {"library_controllers", "controller", TLibraryKind::Controller},
        {"library_materials", "material", TLibraryKind::Material},
        {"library_effects", "effect", TLibraryKind::Effect},
        {"library_images", "image", TLibraryKind::Image},
        {"library_visual_scenes", "visual_scene", TLibraryKind::VisualScene},
    };
    for (TXmlNode child = root.FirstChildNode(); child; child = child.NextSibling()) {
        const std::string_view name = child.Name();
        if (name == "library_nodes") {
            for (const TXmlNode node : SiblingsFrom(child.FirstChild("node")))
                if (node.Name() == "node") IndexNodes(node);
            continue;
        }
        for (const TLibrary& library : Libraries)
            if (name == library.Name) IndexLibrary(child, library.Item, library.Kind);
        // Images sit in effects and their profiles too, in the schema's older form.
        if (name == "library_effects")
            for (const TXmlNode effect : SiblingsFrom(child.FirstChild("effect"))) {
                IndexLibrary(effect, "image", TLibraryKind::Image);
                for (TXmlNode part = effect.FirstChildNode(); part; part = part.NextSibling())
                    if (part.Name().substr(0, 8) == "profile_") IndexLibrary(part, "image", TLibraryKind::Image);
            }
    }
}

void TLibraries::IndexLibrary(const TXmlNode& library, std::string_view itemName, TLibraryKind kind) {
    for (const TXmlNode item : SiblingsFrom(library.FirstChild(itemName))) {
        if (item.Name() != itemName) continue;
        if (kind == TLibraryKind::VisualScene) {
            if (!FirstScene) FirstScene = item;
            for (const TXmlNode node : SiblingsFrom(item.FirstChild("node")))
                if (node.Name() == "node") IndexNodes(node);
        }
        Add(item, kind);
    }
}

// Walked with a stack of its own: a deep tree cannot exhaust the call stack.
void TLibraries::IndexNodes(const TXmlNode& top) {
    std::vector<TXmlNode> pending{top};
    while (!pending.empty()) {
        const TXmlNode node = pending.back();
        pending.pop_back();
        Add(node, TLibraryKind::Node);
        for (const TXmlNode child : SiblingsFrom(node.FirstChild("node")))
            if (child.Name() == "node") {
                child.ChargeMemory(sizeof(TXmlNode));
                pending.push_back(child);
            }
    }
}

void TLibraries::Add(const TXmlNode& element, TLibraryKind kind) {
    // Some exporters name an image by its name where the schema asks for its id.
    if (kind == TLibraryKind::Image && element.HasAttribute("name")) Add(element, TLibraryKind::ImageName, "name");
    Add(element, kind, "id");
}

void TLibraries::Add(const TXmlNode& element, TLibraryKind kind, std::string_view attribute) {
    if (!element.HasAttribute(attribute)) return;
    TKey key{kind, element.AttributeText(attribute)};
    element.ChargeMemory(IndexEntryBytes + key.Id.size());
    Elements.emplace(std::move(key), element);
}

TXmlNode TLibraries::Find(TLibraryKind kind, std::string_view id) const {
    const auto found = Elements.find(TKey{kind, std::string(id)});
    return found == Elements.end() ? TXmlNode() : found->second;
}

TXmlNode TLibraries::Follow(const TXmlNode& referrer, std::string_view attribute, TLibraryKind kind) const {
    const std::string reference = referrer.AttributeText(attribute);
    const std::string_view id = LocalId(reference);
    if (id.empty()) {
        if (Notes)
            Notes->Add(referrer, "external-link",
                       "links to " + NoteQuoted(reference) +
                           ", which is not an element of this document (\"#id\"): it is not followed");
        return {};
    }
    const TXmlNode found = Find(kind, id);
    if (!found && Notes)
        Notes->Add(referrer, "broken-link",
                   "links to " + NoteQuoted(reference) + ", and no <" + KindName(kind) + "> has that id");
    return found;
}
