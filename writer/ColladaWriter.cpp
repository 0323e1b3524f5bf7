#include "ColladaWriter.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>

namespace {

// A stream's values, one number after another, as the stream's entries lay them out.
std::vector<float> Flattened(const std::vector<TVec3>& entries) {
    std::vector<float> values;
    for (const TVec3& v : entries) values.insert(values.end(), {v.X, v.Y, v.Z});
    return values;
}

std::vector<float> Flattened(const std::vector<TVec2>& entries) {
    std::vector<float> values;
    for (const TVec2& v : entries) values.insert(values.end(), {v.X, v.Y});
    return values;
}

std::vector<float> Flattened(const std::vector<TColor>& entries) {
    std::vector<float> values;
    for (const TColor& c : entries) values.insert(values.end(), {c.R, c.G, c.B, c.A});
    return values;
}

std::vector<float> ValuesOf(const TMesh& mesh, TStreamKind kind) {
    switch (kind) {
    case TStreamKind::Positions: return Flattened(mesh.Positions);
    case TStreamKind::Normals: return Flattened(mesh.Normals);
    case TStreamKind::TexCoords: return Flattened(mesh.TexCoords);
    case TStreamKind::Colors: break;
    }
    return Flattened(mesh.Colors);
}

std::string GeometryText(const std::string& name, const TMesh& mesh, const std::string& material) {
    mesh.Check();
    if (mesh.Indices.empty()) throw std::logic_error("geometry " + name + " has no primitives");
    std::string out;
    DocumentLayout::AppendGeometryHead(out, name);
    std::vector<const TStreamConvention*> sources;
    for (const TStreamConvention& stream : StreamConventions) {
        const std::vector<float> values = ValuesOf(mesh, stream.Kind);
        if (values.empty()) continue;
        sources.push_back(&stream);
        DocumentLayout::AppendSourceHead(out, name, stream, values.size());
        DocumentLayout::AppendValues(out, values);
        DocumentLayout::AppendSourceTail(out, name, stream, values.size());
    }
    DocumentLayout::AppendPrimitiveHead(out, name, mesh.Lines, material, mesh.PrimitiveCount(), sources);
    // Every source holds one entry per vertex, so each corner repeats its vertex index once per input.
    DocumentLayout::AppendCorners(out, mesh.Indices, sources.size());
    DocumentLayout::AppendGeometryTail(out, mesh.Lines);
    return out;
}

}  // namespace

TColladaWriter::TColladaWriter(std::string upAxis, std::string authoringTool)
    : UpAxis(std::move(upAxis)), AuthoringTool(std::move(authoringTool)) {
    DocumentLayout::CheckUpAxis(UpAxis);
}

bool TColladaWriter::HasMaterial(const std::string& name) const {
    return std::any_of(Materials.begin(), Materials.end(),
                       [&](const DocumentLayout::TMaterial& m) { return m.Name == name; });
}

const TColladaWriter::TGeometryEntry& TColladaWriter::FindGeometry(const std::string& name) const {
    for (const TGeometryEntry& geometry : Geometries)
        if (geometry.Name == name) return geometry;
    throw std::logic_error("node instances unknown geometry " + name);
}

void TColladaWriter::AddMaterial(const std::string& name, const std::string& fileName, const TSurfaceLook& look) {
    if (HasMaterial(name)) throw std::logic_error("material " + name + " added twice");
    Materials.push_back({name, fileName, look});
}

void TColladaWriter::AddGeometry(const std::string& name, const TMesh& mesh, const std::string& material) {
    if (!HasMaterial(material)) throw std::logic_error("geometry " + name + " uses unknown material " + material);
    for (const TGeometryEntry& geometry : Geometries)
        if (geometry.Name == name) throw std::logic_error("geometry " + name + " added twice");
    Geometries.push_back({name, material, GeometryText(name, mesh, material)});
}

void TColladaWriter::AddNode(const std::string& name, const std::string& geometry, const TPlacement& placement) {
    const std::string& material = FindGeometry(geometry).Material;
    for (const DocumentLayout::TNode& node : Nodes)
        if (node.Name == name) throw std::logic_error("node " + name + " added twice");
    Nodes.push_back({name, geometry, material, placement});
}

std::string TColladaWriter::Text() const {
    std::string out;
    DocumentLayout::AppendHead(out, UpAxis, AuthoringTool, Materials);
    for (const TGeometryEntry& geometry : Geometries) out += geometry.Text;
    DocumentLayout::AppendTail(out, Nodes);
    return out;
}

void TColladaWriter::Save(const std::string& path) const {
    const std::string text = Text();
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) throw std::runtime_error(path + ": cannot be written");
}
