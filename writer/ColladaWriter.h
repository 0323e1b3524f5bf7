// Writes COLLADA 1.4.1 documents, built in memory, in the shape our loader reads and other importers accept
// (DocumentLayout.h): sources named after their geometry, one <triangles> or <lines> per mesh, nodes placed
// by translate, three rotations and scale, and effects that name their image through a surface and a
// sampler. Names may hold any text: they are escaped wherever they are written.
#pragma once

#include <string>
#include <vector>

#include "DocumentLayout.h"
#include "MeshData.h"

class TColladaWriter {
public:
    // upAxis: "Z_UP" or "Y_UP"; authoringTool names the program in the document's asset.
    TColladaWriter(std::string upAxis, std::string authoringTool);

    // An image NAME-image reading `fileName` (a path relative to the programs' working directory), its
    // effect NAME-fx and the material NAME.
    void AddMaterial(const std::string& name, const std::string& fileName, const TSurfaceLook& look = {});
    // A mesh drawn with one of the materials added before, written as the geometry NAME-Geometry.
    void AddGeometry(const std::string& name, const TMesh& mesh, const std::string& material);
    // A node NAME-Node instancing a geometry added before, with the geometry's material bound.
    void AddNode(const std::string& name, const std::string& geometry, const TPlacement& placement);

    std::string Text() const;
    // Raises std::runtime_error naming the file when it cannot be written.
    void Save(const std::string& path) const;

private:
    struct TGeometryEntry {
        std::string Name, Material, Text;
    };

    const TGeometryEntry& FindGeometry(const std::string& name) const;
    bool HasMaterial(const std::string& name) const;

    std::string UpAxis;
    std::string AuthoringTool;
    std::vector<DocumentLayout::TMaterial> Materials;
    std::vector<TGeometryEntry> Geometries;
    std::vector<DocumentLayout::TNode> Nodes;
};
