// The document's libraries: every element that a link may name, found by its id, whichever of possibly
// several libraries of its kind holds it.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>

#include "LoadNotes.h"
#include "XmlDocument.h"

// ImageName finds an image by its name, for the exporters that link to images by name.
enum class TLibraryKind { Geometry, Controller, Material, Effect, Image, ImageName, Node, VisualScene };

class TLibraries {
public:
    // Indexes the libraries under the document element. Nodes are indexed at every depth, in the node library
    // and in the visual scenes alike, since <instance_node> may name any of them.
    TLibraries(const TXmlNode& root, TLoadNotes* notes);

    // The element of the kind with the id, or none.
    TXmlNode Find(TLibraryKind kind, std::string_view id) const;
    // The element that the referrer's attribute links to ("#id"): none, with a note, when the link leaves the
    // document or names nothing of the kind. Raises the referrer's error when it has no such attribute.
    TXmlNode Follow(const TXmlNode& referrer, std::string_view attribute, TLibraryKind kind) const;

    // The first <visual_scene> of the first library that holds one, or none.
    TXmlNode FirstVisualScene() const { return FirstScene; }

private:
    void IndexLibrary(const TXmlNode& library, std::string_view itemName, TLibraryKind kind);
    void IndexNodes(const TXmlNode& top);
    void Add(const TXmlNode& element, TLibraryKind kind);
    void Add(const TXmlNode& element, TLibraryKind kind, std::string_view attribute);

    struct TKey {
        TLibraryKind Kind;
        std::string Id;
        bool operator==(const TKey&) const = default;
    };
    struct THash {
        std::size_t operator()(const TKey& key) const {
            return std::hash<std::string>()(key.Id) * 31 + static_cast<std::size_t>(key.Kind);
        }
    };
    std::unordered_map<TKey, TXmlNode, THash> Elements;  // the first element of each kind and id
    TXmlNode FirstScene;
    TLoadNotes* Notes;
};

const char* KindName(TLibraryKind kind);
