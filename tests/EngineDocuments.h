// Small scenes for the engine tests, described as meshes, nodes, effects and images, and written as COLLADA
// text the way the loader reads it: sources named after their geometry, one index slot per stream, nodes with
// translate, three rotations and scale.
#pragma once

#include <cstddef>
#include <sstream>
#include <string>
#include <vector>

#include "ColladaText.h"

struct TMesh {
    std::string Name;
    std::vector<float> Positions;  // 3 per vertex
    std::vector<float> Normals;    // 3 per vertex, or none
    std::vector<float> TexCoords;  // 2 per vertex, or none
    std::vector<float> Colors;     // 4 per vertex, or none
    std::string Primitive = "triangles";
    std::vector<int> Corners;  // one vertex index per corner
};

struct TSceneNode {
    std::string Name;
    std::string Url;  // "#Geometry"
    float Position[3] = {0, 0, 0};
    float Rotation[3] = {0, 0, 0};  // degrees about x, y, z
    float Scale[3] = {1, 1, 1};
    std::string Material;  // the bound symbol, or none
};

inline TSceneNode MakeNode(const std::string& name, const std::string& url, const std::string& material = "") {
    TSceneNode node;
    node.Name = name;
    node.Url = url;
    node.Material = material;
    return node;
}

struct TSceneImage {
    std::string Name;
    std::string FileName;
};

struct TSceneEffect {
    std::string Name;  // "Symbol-fx"
    std::string Image;
};

struct TScene {
    std::vector<TMesh> Meshes;
    std::vector<TSceneNode> Nodes;
    std::vector<TSceneEffect> Effects;
    std::vector<TSceneImage> Images;

    std::string Document() const {
        std::string libraries;
        if (!Effects.empty()) {
            std::string effects;
            for (const TSceneEffect& e : Effects) effects += Effect(e.Name, SurfaceParam(e.Image));
            libraries += Library("effects", effects) + "\n";
        }
        if (!Images.empty()) {
            std::string images;
            for (const TSceneImage& i : Images) images += Image(i.Name, i.FileName);
            libraries += Library("images", images) + "\n";
        }
        std::string geometries, nodes;
        for (const TMesh& m : Meshes) geometries += MeshText(m);
        for (const TSceneNode& n : Nodes)
            nodes += Node(n.Name, Placement(n.Position, n.Rotation, n.Scale) + InstanceGeometry(n.Url, n.Material));
        return Collada(libraries + Geometries(geometries) + "\n" + SceneWith(nodes));
    }

private:
    template <typename T>
    static std::string Spaced(const std::vector<T>& values) {
        std::ostringstream out;
        for (std::size_t i = 0; i < values.size(); ++i) out << (i ? " " : "") << values[i];
        return out.str();
    }

    static const std::vector<float>& ValuesOf(const TMesh& m, TStreamKind kind) {
        switch (kind) {
        case TStreamKind::Positions: return m.Positions;
        case TStreamKind::Normals: return m.Normals;
        case TStreamKind::TexCoords: return m.TexCoords;
        case TStreamKind::Colors: break;
        }
        return m.Colors;
    }

    // One index slot per stream, every slot of a corner naming the same vertex.
    static std::string MeshText(const TMesh& m) {
        std::string sources;
        int inputs = 0;
        for (const TStreamConvention& stream : StreamConventions) {
            const std::vector<float>& values = ValuesOf(m, stream.Kind);
            if (values.empty()) continue;
            sources += Source(m.Name + std::string(stream.Suffix), values.size(), Spaced(values));
            ++inputs;
        }
        if (m.Corners.empty()) return Mesh(m.Name, sources);
        std::vector<int> slots;
        for (int c : m.Corners) slots.insert(slots.end(), static_cast<std::size_t>(inputs), c);
        const int perPrimitive = m.Primitive == "lines" ? 2 : 3;
        const int count = static_cast<int>(m.Corners.size()) / perPrimitive;
        return Mesh(m.Name, sources + Primitive(m.Primitive, count, inputs, Spaced(slots)));
    }
};

// A triangle with the corners (-s, -s, 0), (s, -s, 0) and (0, s, 0) around the origin, the default square-ish
// probe target of the pixel tests.
inline TMesh Triangle(const std::string& name, float s) {
    return TMesh{name, {-s, -s, 0, s, -s, 0, 0, s, 0}, {}, {}, {}, "triangles", {0, 1, 2}};
}

// A square of side 2s in the z = 0 plane centred on (cx, cy), as two triangles.
inline TMesh Square(const std::string& name, float cx, float cy, float s) {
    return TMesh{name,
                 {cx - s, cy - s, 0, cx + s, cy - s, 0, cx + s, cy + s, 0, cx - s, cy + s, 0},
                 {},
                 {},
                 {},
                 "triangles",
                 {0, 1, 2, 0, 2, 3}};
}
