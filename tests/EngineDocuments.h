// Small COLLADA documents for the engine tests, written the way the loader reads them: sources named after
// their geometry, one index slot per stream, nodes with translate, three rotations and scale.
#pragma once

#include <sstream>
#include <string>
#include <vector>

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
        std::ostringstream out;
        out << "<?xml version=\"1.0\"?>\n<COLLADA version=\"1.4.0\">\n";
        if (!Effects.empty()) {
            out << "<library_effects>";
            for (const TSceneEffect& e : Effects)
                out << "<effect name=\"" << e.Name << "\"><profile_COMMON><newparam><surface><init_from>" << e.Image
                    << "</init_from></surface></newparam></profile_COMMON></effect>";
            out << "</library_effects>\n";
        }
        if (!Images.empty()) {
            out << "<library_images>";
            for (const TSceneImage& i : Images)
                out << "<image name=\"" << i.Name << "\"><init_from>" << i.FileName << "</init_from></image>";
            out << "</library_images>\n";
        }
        out << "<library_geometries>";
        for (const TMesh& m : Meshes) WriteMesh(out, m);
        out << "</library_geometries>\n<library_visual_scenes><visual_scene>";
        for (const TSceneNode& n : Nodes) WriteNode(out, n);
        out << "</visual_scene></library_visual_scenes>\n</COLLADA>\n";
        return out.str();
    }

private:
    static void WriteSource(std::ostringstream& out, const std::string& id, const std::vector<float>& values) {
        if (values.empty()) return;
        out << "<source id=\"" << id << "\"><float_array count=\"" << values.size() << "\">";
        for (float v : values) out << v << ' ';
        out << "</float_array></source>";
    }

    static void WriteMesh(std::ostringstream& out, const TMesh& m) {
        out << "<geometry name=\"" << m.Name << "\"><mesh>";
        WriteSource(out, m.Name + "-Position", m.Positions);
        WriteSource(out, m.Name + "-Normals", m.Normals);
        WriteSource(out, m.Name + "-UV", m.TexCoords);
        WriteSource(out, m.Name + "-color", m.Colors);
        const int inputs = !m.Positions.empty() + !m.Normals.empty() + !m.TexCoords.empty() + !m.Colors.empty();
        const std::size_t perPrimitive = m.Primitive == "lines" ? 2 : 3;
        if (!m.Corners.empty()) {
            out << "<" << m.Primitive << " count=\"" << m.Corners.size() / perPrimitive << "\">";
            for (int i = 0; i < inputs; ++i) out << "<input semantic=\"S\"/>";
            out << "<p>";
            for (int c : m.Corners)
                for (int i = 0; i < inputs; ++i) out << c << ' ';
            out << "</p></" << m.Primitive << ">";
        }
        out << "</mesh></geometry>";
    }

    static void WriteNode(std::ostringstream& out, const TSceneNode& n) {
        out << "<node name=\"" << n.Name << "\"><translate>" << n.Position[0] << ' ' << n.Position[1] << ' '
            << n.Position[2] << "</translate><rotate>0 0 1 " << n.Rotation[2] << "</rotate><rotate>0 1 0 "
            << n.Rotation[1] << "</rotate><rotate>1 0 0 " << n.Rotation[0] << "</rotate><scale>" << n.Scale[0] << ' '
            << n.Scale[1] << ' ' << n.Scale[2] << "</scale><instance_geometry url=\"" << n.Url << "\">";
        if (!n.Material.empty())
            out << "<bind_material><technique_common><instance_material symbol=\"" << n.Material
                << "\"/></technique_common></bind_material>";
        out << "</instance_geometry></node>";
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
