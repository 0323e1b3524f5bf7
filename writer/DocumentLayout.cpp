#include "DocumentLayout.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <initializer_list>
#include <stdexcept>

namespace DocumentLayout {

namespace {

std::string Escaped(std::string_view text) {
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

// A number as the documents write it: at most six significant digits in the C conventions whatever the
// locale, no negative zero, and plain decimals rather than exponents. Appended in place: meshes of millions of
// numbers are written through here.
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

std::string Number(float value) {
    std::string out;
    AppendNumber(out, value);
    return out;
}

std::string Numbers(std::initializer_list<float> values) {
    std::string out;
    for (float v : values) {
        if (!out.empty()) out += ' ';
        AppendNumber(out, v);
    }
    return out;
}

std::string GeometryId(const std::string& geometry) { return Escaped(geometry) + "-Geometry"; }

std::string SourceId(const std::string& geometry, const TStreamConvention& stream) {
    return GeometryId(geometry) + std::string(stream.Suffix);
}

const char* PrimitiveKind(bool lines) { return lines ? "lines" : "triangles"; }

void AppendImages(std::string& out, const std::vector<TMaterial>& materials) {
    out += "  <library_images>\n";
    for (const TMaterial& m : materials) {
        const std::string name = Escaped(m.Name);
        out += "    <image id=\"" + name + "-image\" name=\"" + name + "-image\">\n      <init_from>" +
               Escaped(m.FileName) + "</init_from>\n    </image>\n";
    }
    out += "  </library_images>\n";
}

void AppendEffect(std::string& out, const TMaterial& m) {
    const std::string name = Escaped(m.Name);
    const std::string specular = Numbers({m.Look.Specular, m.Look.Specular, m.Look.Specular, 1});
    out += "    <effect id=\"" + name + "-fx\" name=\"" + name + "-fx\">\n";
    out += "      <profile_COMMON>\n";
    out += "        <newparam sid=\"" + name + "-surface\">\n";
    out += "          <surface type=\"2D\">\n            <init_from>" + name +
           "-image</init_from>\n          </surface>\n";
    out += "        </newparam>\n";
    out += "        <newparam sid=\"" + name + "-sampler\">\n";
    out += "          <sampler2D>\n            <source>" + name + "-surface</source>\n";
    out += "            <minfilter>LINEAR</minfilter>\n            <magfilter>LINEAR</magfilter>\n";
    out += "          </sampler2D>\n";
    out += "        </newparam>\n";
    out += "        <technique sid=\"common\">\n          <phong>\n";
    out += "            <emission>\n              <color>0 0 0 1</color>\n            </emission>\n";
    out += "            <ambient>\n              <color>0.3 0.3 0.3 1</color>\n            </ambient>\n";
    out += "            <diffuse>\n              <texture texture=\"" + name +
           "-sampler\" texcoord=\"UVSET0\"/>\n            </diffuse>\n";
    out += "            <specular>\n              <color>" + specular + "</color>\n            </specular>\n";
    out += "            <shininess>\n              <float>" + Number(m.Look.Shininess) +
           "</float>\n            </shininess>\n";
    out += "          </phong>\n        </technique>\n";
    out += "      </profile_COMMON>\n";
    out += "    </effect>\n";
}

void AppendMaterials(std::string& out, const std::vector<TMaterial>& materials) {
    out += "  <library_materials>\n";
    for (const TMaterial& m : materials) {
        const std::string name = Escaped(m.Name);
        out += "    <material id=\"" + name + "\" name=\"" + name + "\">\n      <instance_effect url=\"#" + name +
               "-fx\"/>\n    </material>\n";
    }
    out += "  </library_materials>\n";
}

void AppendNode(std::string& out, const TNode& node) {
    const TPlacement& p = node.Placement;
    const std::string name = Escaped(node.Name);
    out += "      <node id=\"" + name + "-Node\" name=\"" + name + "-Node\" type=\"NODE\">\n";
    out += "        <translate sid=\"location\">" + Numbers({p.Translate.X, p.Translate.Y, p.Translate.Z}) +
           "</translate>\n";
    out += "        <rotate sid=\"rotationZ\">0 0 1 " + Number(p.RotateZ) + "</rotate>\n";
    out += "        <rotate sid=\"rotationY\">0 1 0 " + Number(p.RotateY) + "</rotate>\n";
    out += "        <rotate sid=\"rotationX\">1 0 0 " + Number(p.RotateX) + "</rotate>\n";
    out += "        <scale sid=\"scale\">" + Numbers({p.Scale.X, p.Scale.Y, p.Scale.Z}) + "</scale>\n";
    out += "        <instance_geometry url=\"#" + GeometryId(node.Geometry) + "\"";
    if (!node.Material) {
        out += "/>\n      </node>\n";
        return;
    }
    const std::string material = Escaped(*node.Material);
    out += ">\n          <bind_material>\n            <technique_common>\n";
    out += "              <instance_material symbol=\"" + material + "\" target=\"#" + material + "\">\n";
    out += "                <bind_vertex_input semantic=\"UVSET0\" input_semantic=\"TEXCOORD\" input_set=\"0\"/>\n";
    out += "              </instance_material>\n";
    out += "            </technique_common>\n          </bind_material>\n";
    out += "        </instance_geometry>\n";
    out += "      </node>\n";
}

}  // namespace

void CheckUpAxis(const std::string& upAxis) {
    if (upAxis != "Z_UP" && upAxis != "Y_UP") throw std::invalid_argument("up axis must be Z_UP or Y_UP");
}

void AppendHead(std::string& out, const std::string& upAxis, const std::string& authoringTool,
                const std::vector<TMaterial>& materials) {
    out += "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
    out += "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n";
    out += "  <asset>\n";
    out += "    <contributor>\n      <authoring_tool>" + Escaped(authoringTool) +
           "</authoring_tool>\n    </contributor>\n";
    // A fixed date keeps the output the same from build to build.
    out += "    <created>2026-01-01T00:00:00Z</created>\n    <modified>2026-01-01T00:00:00Z</modified>\n";
    out += "    <unit name=\"meter\" meter=\"1\"/>\n";
    out += "    <up_axis>" + upAxis + "</up_axis>\n";
    out += "  </asset>\n";
    AppendImages(out, materials);
    out += "  <library_effects>\n";
    for (const TMaterial& m : materials) AppendEffect(out, m);
    out += "  </library_effects>\n";
    AppendMaterials(out, materials);
    out += "  <library_geometries>\n";
}

void AppendTail(std::string& out, const std::vector<TNode>& nodes) {
    out += "  </library_geometries>\n";
    out += "  <library_visual_scenes>\n    <visual_scene id=\"Scene\" name=\"Scene\">\n";
    for (const TNode& node : nodes) AppendNode(out, node);
    out += "    </visual_scene>\n  </library_visual_scenes>\n";
    out += "  <scene>\n    <instance_visual_scene url=\"#Scene\"/>\n  </scene>\n";
    out += "</COLLADA>\n";
}

void AppendGeometryHead(std::string& out, const std::string& geometry) {
    const std::string id = GeometryId(geometry);
    out += "    <geometry id=\"" + id + "\" name=\"" + id + "\">\n      <mesh>\n";
}

void AppendSourceHead(std::string& out, const std::string& geometry, const TStreamConvention& stream,
                      std::size_t values) {
    const std::string id = SourceId(geometry, stream);
    out += "        <source id=\"" + id + "\" name=\"" + id + "\">\n";
    out += "          <float_array id=\"" + id + "-array\" count=\"" + std::to_string(values) + "\">";
}

void AppendSourceTail(std::string& out, const std::string& geometry, const TStreamConvention& stream,
                      std::size_t values) {
    const std::string id = SourceId(geometry, stream);
    const auto components = static_cast<std::size_t>(stream.Components());
    out += "</float_array>\n";
    out += "          <technique_common>\n";
    out += "            <accessor source=\"#" + id + "-array\" count=\"" + std::to_string(values / components) +
           "\" stride=\"" + std::to_string(components) + "\">\n";
    for (const char param : stream.Params)
        out += std::string("              <param name=\"") + param + "\" type=\"float\"/>\n";
    out += "            </accessor>\n";
    out += "          </technique_common>\n";
    out += "        </source>\n";
}

void AppendValues(std::string& out, const std::vector<float>& values) {
    for (std::size_t i = 0; i < values.size(); ++i) {
        if (i > 0) out += ' ';
        AppendNumber(out, values[i]);
    }
}

void AppendPrimitiveHead(std::string& out, const std::string& geometry, bool lines,
                         const std::optional<std::string>& material, std::size_t primitives,
                         const std::vector<const TStreamConvention*>& sources) {
    const std::string id = GeometryId(geometry);
    out += "        <vertices id=\"" + id + "-Vertices\">\n";
    out += "          <input semantic=\"POSITION\" source=\"#" +
           SourceId(geometry, StreamConvention(TStreamKind::Positions)) + "\"/>\n";
    out += "        </vertices>\n";
    out += std::string("        <") + PrimitiveKind(lines);
    if (material) out += " material=\"" + Escaped(*material) + "\"";
    out += " count=\"" + std::to_string(primitives) + "\">\n";
    for (std::size_t s = 0; s < sources.size(); ++s) {
        const std::string source = s == 0 ? id + "-Vertices" : SourceId(geometry, *sources[s]);
        const bool texCoords = sources[s]->Kind == TStreamKind::TexCoords;
        out += "          <input semantic=\"" + std::string(sources[s]->Semantic) + "\" source=\"#" + source +
               "\" offset=\"" + std::to_string(s) + "\"" + (texCoords ? " set=\"0\"" : "") + "/>\n";
    }
    out += "          <p>";
}

void AppendCorners(std::string& out, const std::vector<std::uint32_t>& indices, std::size_t sources) {
    for (std::size_t i = 0; i < indices.size(); ++i) {
        char index[16];
        const std::size_t length =
            static_cast<std::size_t>(std::to_chars(index, index + sizeof index, indices[i]).ptr - index);
        for (std::size_t s = 0; s < sources; ++s) {
            if (i > 0 || s > 0) out += ' ';
            out.append(index, length);
        }
    }
}

void AppendGeometryTail(std::string& out, bool lines) {
    out += "</p>\n";
    out += std::string("        </") + PrimitiveKind(lines) + ">\n      </mesh>\n    </geometry>\n";
}

}  // namespace DocumentLayout
