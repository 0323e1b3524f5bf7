#include "DocumentOfAsset.h"

#include <map>

#include "ColladaWriter.h"
#include "Colladaasset.h"
#include "UniqueNames.h"

namespace {

// The mesh as the writer takes it; a stream whose length does not fit the positions is left out.
TMesh MeshOf(const TGeometry& g) {
    TMesh mesh;
    const std::size_t n = g.Positions.Count() / 3;
    for (std::size_t v = 0; v < n; ++v)
        mesh.Positions.push_back({g.Positions[v * 3], g.Positions[v * 3 + 1], g.Positions[v * 3 + 2]});
    if (g.Normals.Count() == n * 3)
        for (std::size_t v = 0; v < n; ++v)
            mesh.Normals.push_back({g.Normals[v * 3], g.Normals[v * 3 + 1], g.Normals[v * 3 + 2]});
    if (g.TexCoords.Count() == n * 2)
        for (std::size_t v = 0; v < n; ++v) mesh.TexCoords.push_back({g.TexCoords[v * 2], g.TexCoords[v * 2 + 1]});
    if (g.Colors.Count() == n * 4)
        for (std::size_t v = 0; v < n; ++v)
            mesh.Colors.push_back({g.Colors[v * 4], g.Colors[v * 4 + 1], g.Colors[v * 4 + 2], g.Colors[v * 4 + 3]});
    mesh.Lines = g.TriangleIndices.Empty();
    for (const int index : mesh.Lines ? g.LineIndices : g.TriangleIndices)
        mesh.Indices.push_back(static_cast<std::uint32_t>(index));
    return mesh;
}

std::string Without(const std::string& name, const std::string& suffix) {
    return name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0
               ? name.substr(0, name.size() - suffix.size())
               : name;
}

}  // namespace

std::string DocumentOfAsset(const TColladaAsset& asset, const std::function<std::string(const std::string&)>& fileOf,
                            const std::string& upAxis) {
    TColladaWriter writer(upAxis, "sceneimport");
    TNameTaker materials, geometries, nodes;
    std::map<int, std::string> materialOf;                  // by effect index, -1 for none
    std::map<std::pair<int, int>, std::string> geometryOf;  // by geometry and effect index
    for (const auto& node : asset.VisualScenes->Items) {
        if (!asset.Draws(*node)) continue;
        auto material = materialOf.find(node->EffectIndex);
        if (material == materialOf.end()) {
            const std::string* image = asset.TextureFileOf(*node);
            const std::string name =
                node->EffectIndex < 0
                    ? materials.Take("plain", "plain")
                    : materials.Take(
                          Without(asset.Effects->Items[static_cast<std::size_t>(node->EffectIndex)]->Name, "-fx"),
                          "material");
            writer.AddMaterial(name, image ? fileOf(*image) : fileOf(""));
            material = materialOf.emplace(node->EffectIndex, name).first;
        }
        const auto key = std::make_pair(node->GeometryIndex, node->EffectIndex);
        auto geometry = geometryOf.find(key);
        if (geometry == geometryOf.end()) {
            const TGeometry& g = *asset.Geometries->Items[static_cast<std::size_t>(node->GeometryIndex)];
            const std::string name = geometries.Take(g.Name, "mesh");
            writer.AddGeometry(name, MeshOf(g), material->second);
            geometry = geometryOf.emplace(key, name).first;
        }
        TPlacement placement;
        placement.Translate = {node->Position[0], node->Position[1], node->Position[2]};
        placement.RotateX = node->Rotation[0];
        placement.RotateY = node->Rotation[1];
        placement.RotateZ = node->Rotation[2];
        placement.Scale = {node->Scale[0], node->Scale[1], node->Scale[2]};
        writer.AddNode(nodes.Take(node->Name, "node"), geometry->second, placement);
    }
    return writer.Text();
}
