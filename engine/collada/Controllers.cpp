#include "Controllers.h"

#include <algorithm>
#include <vector>

#include "Uris.h"

namespace {

// Real documents put a skin on a morph at most; a longer chain is a loop or a hostile document.
constexpr int MostChainedControllers = 8;

}  // namespace

TControlledGeometry ControlledGeometry(const TXmlNode& controller, const TLibraries& libraries, TLoadNotes* notes) {
    TControlledGeometry result;
    std::vector<TXmlNode> chain;
    TXmlNode current = controller;
    while (current) {
        if (std::find(chain.begin(), chain.end(), current) != chain.end() ||
            static_cast<int>(chain.size()) == MostChainedControllers) {
            if (notes)
                notes->Add(current, "controller-cycle",
                           "is reached again, or too deep, through the sources of controllers: it is not drawn");
            return {};
        }
        chain.push_back(current);
        const TXmlNode skin = current.FirstChild("skin");
        const TXmlNode deformer = skin ? skin : current.FirstChild("morph");
        if (!deformer) {
            if (notes) notes->Add(current, "no-skin", "has neither <skin> nor <morph>: it is not drawn");
            return {};
        }
        result.Skinned = result.Skinned || skin;
        if (skin)
            if (const TXmlNode bindShape = skin.FirstChild("bind_shape_matrix"))
                result.BindShape = Multiply(result.BindShape, ReadMatrix(bindShape));
        const std::string source = deformer.AttributeText("source");
        const std::string_view id = LocalId(source);
        if ((result.Geometry = libraries.Find(TLibraryKind::Geometry, id))) return result;
        current = libraries.Find(TLibraryKind::Controller, id);
        if (!current && notes)
            notes->Add(deformer, "broken-link",
                       "deforms " + NoteQuoted(source) + ", and no geometry or controller has that id");
    }
    return {};
}
