// What sceneinfo learnt about one document: the outcome of loading it exactly as the engine does, the asset
// as far as the load got, and the warnings that explain what will not be drawn.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Colladaasset.h"
#include "XmlDocument.h"

struct TSceneReport {
    std::string File;
    bool Loaded = false;
    std::optional<std::string> Error;  // why the load failed; none when it succeeded
    std::unique_ptr<TColladaAsset> Asset;
    std::vector<std::string> Warnings;

    // The link passes run only at the end of a successful load; before that no index means anything.
    bool Linked() const { return Loaded; }
};

// Loads the file into a new asset through the given document and collects the warnings. Never throws for
// anything the file holds; the document keeps the file's content afterwards.
TSceneReport BuildSceneReport(TXmlDocument& document, const std::string& file);

// Calls visit(key, array) for the eight arrays of a geometry, in the order the reports list them.
template <typename Visit>
void ForEachGeometryArray(const TGeometry& geometry, Visit&& visit)
{
    visit("positions", geometry.Positions);
    visit("normals", geometry.Normals);
    visit("texcoords", geometry.TexCoords);
    visit("colors", geometry.Colors);
    visit("attrib1", geometry.Attrib1);
    visit("attrib2", geometry.Attrib2);
    visit("triangleIndices", geometry.TriangleIndices);
    visit("lineIndices", geometry.LineIndices);
}
