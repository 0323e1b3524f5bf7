// Writes COLLADA 1.4.1 documents in the shape our loader reads and other importers accept: sources named
// after their geometry ("-Position", "-Normals", "-UV", "-color") before <vertices>, one <triangles> or
// <lines> per mesh with one input per source at consecutive offsets, nodes transformed by translate, rotate
// about z, y and x, and scale, and effects that name their image through a surface and a sampler. Every
// element's name equals its id; the kinds get suffixes of their own (-image, -fx, -Geometry, -Node) so
// that one name can serve a material, a geometry and a node without two ids colliding. Names may hold any
// text: they are escaped wherever they are written.
#pragma once

#include <string>
#include <vector>

#include "MeshData.h"

// Where a node puts its geometry: angles in degrees, applied about z, then y, then x.
struct TPlacement {
    TVec3 Translate{};
    float RotateZ = 0, RotateY = 0, RotateX = 0;
    TVec3 Scale{1, 1, 1};
};

// What other importers show of a material; our engine takes only the texture from it.
struct TSurfaceLook {
    float Specular = 0.4f;
    float Shininess = 50.0f;
};

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
    struct TMaterial {
        std::string Name, FileName;
        TSurfaceLook Look;
    };
    struct TGeometryEntry {
        std::string Name, Material, Text;
    };
    struct TNodeEntry {
        std::string Name, Geometry;
        TPlacement Placement;
    };

    const TGeometryEntry& FindGeometry(const std::string& name) const;
    bool HasMaterial(const std::string& name) const;

    std::string UpAxis;
    std::string AuthoringTool;
    std::vector<TMaterial> Materials;
    std::vector<TGeometryEntry> Geometries;
    std::vector<TNodeEntry> Nodes;
};
