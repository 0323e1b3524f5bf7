#include "ColladaWriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <stdexcept>

namespace {

// A number as the documents write it: at most six significant digits in the C conventions whatever the
// locale, no negative zero, and plain decimals rather than exponents. Appended in place: meshes of millions
// of numbers are written through here.
void AppendNumber(std::string& out, float value) {
    if (std::fabs(value) < 5e-7f) {
        out += '0';
        return;
    }
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 6);
    if (std::find(buffer, result.ptr, 'e') != result.ptr)
        result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, 6);
    out.append(buffer, result.ptr);
}

std::string FormatNumber(float value) {
    std::string out;
    AppendNumber(out, value);
    return out;
}

std::string Escape(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string Join(std::initializer_list<float> values) {
    std::string out;
    for (float v : values) {
        if (!out.empty()) out += ' ';
        out += FormatNumber(v);
    }
    return out;
}

struct TStream {
    const char* Suffix;
    const char* Semantic;
    const char* Params;  // one letter per component
    std::vector<float> Values;
};

void WriteSource(std::string& out, const std::string& geometry, const TStream& stream) {
    const std::string id = geometry + stream.Suffix;
    const std::size_t components = std::char_traits<char>::length(stream.Params);
    out += "        <source id=\"" + id + "\" name=\"" + id + "\">\n";
    out += "          <float_array id=\"" + id + "-array\" count=\"" + std::to_string(stream.Values.size()) + "\">";
    for (std::size_t i = 0; i < stream.Values.size(); ++i) {
        out += (i % components == 0) ? '\n' : ' ';
        AppendNumber(out, stream.Values[i]);
    }
    out += "\n          </float_array>\n";
    out += "          <technique_common>\n";
    out += "            <accessor source=\"#" + id + "-array\" count=\"" +
           std::to_string(stream.Values.size() / components) + "\" stride=\"" + std::to_string(components) + "\">\n";
    for (std::size_t c = 0; c < components; ++c)
        out += std::string("              <param name=\"") + stream.Params[c] + "\" type=\"float\"/>\n";
    out += "            </accessor>\n";
    out += "          </technique_common>\n";
    out += "        </source>\n";
}

std::vector<TStream> StreamsOf(const TMesh& mesh) {
    std::vector<TStream> streams;
    TStream positions{"-Position", "VERTEX", "XYZ", {}};
    for (const TVec3& p : mesh.Positions) positions.Values.insert(positions.Values.end(), {p.X, p.Y, p.Z});
    streams.push_back(std::move(positions));
    if (!mesh.Normals.empty()) {
        TStream normals{"-Normals", "NORMAL", "XYZ", {}};
        for (const TVec3& n : mesh.Normals) normals.Values.insert(normals.Values.end(), {n.X, n.Y, n.Z});
        streams.push_back(std::move(normals));
    }
    if (!mesh.TexCoords.empty()) {
        TStream uv{"-UV", "TEXCOORD", "ST", {}};
        for (const TVec2& t : mesh.TexCoords) uv.Values.insert(uv.Values.end(), {t.X, t.Y});
        streams.push_back(std::move(uv));
    }
    if (!mesh.Colors.empty()) {
        TStream colours{"-color", "COLOR", "RGBA", {}};
        for (const TColor& c : mesh.Colors) colours.Values.insert(colours.Values.end(), {c.R, c.G, c.B, c.A});
        streams.push_back(std::move(colours));
    }
    return streams;
}

std::string GeometryText(const std::string& name, const TMesh& mesh, const std::string& material) {
    mesh.Check();
    if (mesh.Indices.empty()) throw std::logic_error("geometry " + name + " has no primitives");
    const std::vector<TStream> streams = StreamsOf(mesh);
    std::string out = "    <geometry id=\"" + name + "\" name=\"" + name + "\">\n      <mesh>\n";
    for (const TStream& stream : streams) WriteSource(out, name, stream);
    out += "        <vertices id=\"" + name + "-Vertices\">\n";
    out += "          <input semantic=\"POSITION\" source=\"#" + name + "-Position\"/>\n";
    out += "        </vertices>\n";
    const char* kind = mesh.Lines ? "lines" : "triangles";
    out += std::string("        <") + kind + " material=\"" + material + "\" count=\"" +
           std::to_string(mesh.PrimitiveCount()) + "\">\n";
    for (std::size_t s = 0; s < streams.size(); ++s) {
        const std::string source = s == 0 ? name + "-Vertices" : name + streams[s].Suffix;
        const bool texCoords = std::string(streams[s].Semantic) == "TEXCOORD";
        out += std::string("          <input semantic=\"") + streams[s].Semantic + "\" source=\"#" + source +
               "\" offset=\"" + std::to_string(s) + "\"" + (texCoords ? " set=\"0\"" : "") + "/>\n";
    }
    // Every source holds one entry per vertex, so each corner repeats its vertex index once per input.
    out += "          <p>";
    const std::size_t perPrimitive = mesh.Lines ? 2 : 3;
    for (std::size_t i = 0; i < mesh.Indices.size(); ++i) {
        out += (i % perPrimitive == 0) ? '\n' : ' ';
        char index[16];
        const std::size_t length =
            static_cast<std::size_t>(std::to_chars(index, index + sizeof index, mesh.Indices[i]).ptr - index);
        for (std::size_t s = 0; s < streams.size(); ++s) {
            if (s > 0) out += ' ';
            out.append(index, length);
        }
    }
    out += "\n          </p>\n";
    out += std::string("        </") + kind + ">\n      </mesh>\n    </geometry>\n";
    return out;
}

}  // namespace

TColladaWriter::TColladaWriter(std::string upAxis, std::string authoringTool)
    : UpAxis(std::move(upAxis)), AuthoringTool(Escape(authoringTool)) {
    if (UpAxis != "Z_UP" && UpAxis != "Y_UP") throw std::invalid_argument("up axis must be Z_UP or Y_UP");
}

bool TColladaWriter::HasMaterial(const std::string& name) const {
    return std::any_of(Materials.begin(), Materials.end(), [&](const TMaterial& m) { return m.Name == name; });
}

// Entries keep their names escaped, as they are written; lookups escape the name they are given.
const TColladaWriter::TGeometryEntry& TColladaWriter::FindGeometry(const std::string& name) const {
    for (const TGeometryEntry& geometry : Geometries)
        if (geometry.Name == name) return geometry;
    throw std::logic_error("node instances unknown geometry " + name);
}

void TColladaWriter::AddMaterial(const std::string& name, const std::string& fileName, const TSurfaceLook& look) {
    const std::string escaped = Escape(name);
    if (HasMaterial(escaped)) throw std::logic_error("material " + name + " added twice");
    Materials.push_back({escaped, fileName, look});
}

void TColladaWriter::AddGeometry(const std::string& name, const TMesh& mesh, const std::string& material) {
    const std::string escaped = Escape(name), escapedMaterial = Escape(material);
    if (!HasMaterial(escapedMaterial))
        throw std::logic_error("geometry " + name + " uses unknown material " + material);
    for (const TGeometryEntry& geometry : Geometries)
        if (geometry.Name == escaped) throw std::logic_error("geometry " + name + " added twice");
    Geometries.push_back({escaped, escapedMaterial, GeometryText(escaped + "-Geometry", mesh, escapedMaterial)});
}

void TColladaWriter::AddNode(const std::string& name, const std::string& geometry, const TPlacement& placement) {
    const std::string escaped = Escape(name), escapedGeometry = Escape(geometry);
    FindGeometry(escapedGeometry);
    for (const TNodeEntry& node : Nodes)
        if (node.Name == escaped) throw std::logic_error("node " + name + " added twice");
    Nodes.push_back({escaped, escapedGeometry, placement});
}

std::string TColladaWriter::Text() const {
    std::string out;
    out += "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    out += "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n";
    out += "  <asset>\n";
    out += "    <contributor>\n      <authoring_tool>" + AuthoringTool + "</authoring_tool>\n    </contributor>\n";
    // A fixed date keeps the output the same from build to build.
    out += "    <created>2026-01-01T00:00:00Z</created>\n    <modified>2026-01-01T00:00:00Z</modified>\n";
    out += "    <unit name=\"meter\" meter=\"1\"/>\n";
    out += "    <up_axis>" + UpAxis + "</up_axis>\n";
    out += "  </asset>\n";

    out += "  <library_images>\n";
    for (const TMaterial& m : Materials)
        out += "    <image id=\"" + m.Name + "-image\" name=\"" + m.Name + "-image\">\n      <init_from>" +
               Escape(m.FileName) + "</init_from>\n    </image>\n";
    out += "  </library_images>\n";

    out += "  <library_effects>\n";
    for (const TMaterial& m : Materials) {
        const std::string specular = Join({m.Look.Specular, m.Look.Specular, m.Look.Specular, 1});
        out += "    <effect id=\"" + m.Name + "-fx\" name=\"" + m.Name + "-fx\">\n";
        out += "      <profile_COMMON>\n";
        out += "        <newparam sid=\"" + m.Name + "-surface\">\n";
        out += "          <surface type=\"2D\">\n            <init_from>" + m.Name +
               "-image</init_from>\n          </surface>\n";
        out += "        </newparam>\n";
        out += "        <newparam sid=\"" + m.Name + "-sampler\">\n";
        out += "          <sampler2D>\n            <source>" + m.Name + "-surface</source>\n";
        out += "            <minfilter>LINEAR</minfilter>\n            <magfilter>LINEAR</magfilter>\n";
        out += "          </sampler2D>\n";
        out += "        </newparam>\n";
        out += "        <technique sid=\"common\">\n          <phong>\n";
        out += "            <emission>\n              <color>0 0 0 1</color>\n            </emission>\n";
        out += "            <ambient>\n              <color>0.3 0.3 0.3 1</color>\n            </ambient>\n";
        out += "            <diffuse>\n              <texture texture=\"" + m.Name +
               "-sampler\" texcoord=\"UVSET0\"/>\n            </diffuse>\n";
        out += "            <specular>\n              <color>" + specular + "</color>\n            </specular>\n";
        out += "            <shininess>\n              <float>" + FormatNumber(m.Look.Shininess) +
               "</float>\n            </shininess>\n";
        out += "          </phong>\n        </technique>\n";
        out += "      </profile_COMMON>\n";
        out += "    </effect>\n";
    }
    out += "  </library_effects>\n";

    out += "  <library_materials>\n";
    for (const TMaterial& m : Materials)
        out += "    <material id=\"" + m.Name + "\" name=\"" + m.Name + "\">\n      <instance_effect url=\"#" + m.Name +
               "-fx\"/>\n    </material>\n";
    out += "  </library_materials>\n";

    out += "  <library_geometries>\n";
    for (const TGeometryEntry& geometry : Geometries) out += geometry.Text;
    out += "  </library_geometries>\n";

    out += "  <library_visual_scenes>\n    <visual_scene id=\"Scene\" name=\"Scene\">\n";
    for (const TNodeEntry& node : Nodes) {
        const TPlacement& p = node.Placement;
        const std::string& material = FindGeometry(node.Geometry).Material;
        out += "      <node id=\"" + node.Name + "-Node\" name=\"" + node.Name + "-Node\" type=\"NODE\">\n";
        out += "        <translate sid=\"location\">" + Join({p.Translate.X, p.Translate.Y, p.Translate.Z}) +
               "</translate>\n";
        out += "        <rotate sid=\"rotationZ\">0 0 1 " + FormatNumber(p.RotateZ) + "</rotate>\n";
        out += "        <rotate sid=\"rotationY\">0 1 0 " + FormatNumber(p.RotateY) + "</rotate>\n";
        out += "        <rotate sid=\"rotationX\">1 0 0 " + FormatNumber(p.RotateX) + "</rotate>\n";
        out += "        <scale sid=\"scale\">" + Join({p.Scale.X, p.Scale.Y, p.Scale.Z}) + "</scale>\n";
        out += "        <instance_geometry url=\"#" + node.Geometry + "-Geometry\">\n";
        out += "          <bind_material>\n            <technique_common>\n";
        out += "              <instance_material symbol=\"" + material + "\" target=\"#" + material + "\">\n";
        out +=
            "                <bind_vertex_input semantic=\"UVSET0\" input_semantic=\"TEXCOORD\" "
            "input_set=\"0\"/>\n";
        out += "              </instance_material>\n";
        out += "            </technique_common>\n          </bind_material>\n";
        out += "        </instance_geometry>\n";
        out += "      </node>\n";
    }
    out += "    </visual_scene>\n  </library_visual_scenes>\n";
    out += "  <scene>\n    <instance_visual_scene url=\"#Scene\"/>\n  </scene>\n";
    out += "</COLLADA>\n";
    return out;
}

void TColladaWriter::Save(const std::string& path) const {
    const std::string text = Text();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) throw std::runtime_error(path + ": cannot be written");
}
