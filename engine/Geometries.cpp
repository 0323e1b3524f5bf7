// The geometry library: meshes whose sources are found by the geometry's name plus a fixed suffix, and whose
// index list is the first <triangles>, or else the first <lines>.
#include <climits>

#include "Colladaasset.h"

namespace {

// A count attribute that must be a non-negative 32-bit integer.
int ReadCount(const TXmlNode& element) {
    const int count = element.AttributeInt("count");
    if (count < 0) element.Fail("attribute \"count\" is negative: " + std::to_string(count));
    return count;
}

// Fills `stream` from the source's <float_array>; a source without one leaves the stream empty.
void ReadSourceArray(const TXmlNode& source, TFloatArray& stream) {
    const TXmlNode floats = source.FirstChild("float_array");
    if (!floats) return;
    const int count = ReadCount(floats);
    const std::string_view text = floats.Text();
    CheckDeclaredCount(floats, count, text.size());
    ParseFloatArray(stream, text, count);
}

// Reads the <p> of a <triangles> or <lines> element: `corners` index slots per primitive and input.
void ReadPrimitive(const TXmlNode& primitive, int corners, TIntArray& indices) {
    const long long count = ReadCount(primitive);
    const TXmlNode p = primitive.FirstChild("p");
    long long inputs = 0;
    for (const TXmlNode node : SiblingsFrom(primitive.FirstChild("input")))
        if (node.Name() == "input") ++inputs;
    const long long total = count * inputs * corners;  // at most 2^31 * 2^31 * 3 < 2^63
    if (total > INT_MAX)
        primitive.Fail("count " + std::to_string(count) + " with " + std::to_string(inputs) + " inputs needs " +
                       std::to_string(total) + " indices, more than 32-bit indexing allows");
    if (!p) return;
    const std::string_view text = p.Text();
    CheckDeclaredCount(primitive, total, text.size());
    ParseIntArray(indices, text, static_cast<int>(total));
}

}  // namespace

bool TLibraryGeometries::LoadFromNode(const TXmlNode& library) {
    const int expected = library.ChildNodeCount();
    int read = 0;
    // Every child from the first <geometry> on is read as a geometry, whatever its name.
    for (const TXmlNode element : SiblingsFrom(library.FirstChild("geometry"))) {
        if (read == expected) break;
        auto geometry = std::make_unique<TGeometry>();
        geometry->LoadFromNode(element);
        Items.Add(std::move(geometry));
        ++read;
    }
    return read == expected;
}

int TLibraryGeometries::IndexOf(std::string_view name) const {
    return Items.IndexOfName(name);
}

bool TGeometry::LoadFromNode(const TXmlNode& node) {
    Name = node.AttributeText("name");
    const TXmlNode mesh = node.FirstChild("mesh");
    if (!mesh) return false;
    const TXmlNode firstSource = mesh.FirstChild("source");
    if (!firstSource) return true;
    // Only the run of <source> elements at the head of the walk is read: the walk stops at the first
    // sibling that is not one.
    for (const TXmlNode source : SiblingsFrom(firstSource)) {
        if (source.Name() != "source") break;
        if (!source.HasAttribute("id")) continue;
        const std::string id = source.AttributeText("id");
        if (id == Name + "-Position") ReadPositions(source);
        if (id == Name + "-Normals") ReadNormals(source);
        if (id == Name + "-UV") ReadTexCoords(source);
        if (id == Name + "-color") ReadColors(source);
    }
    if (const TXmlNode triangles = mesh.FirstChild("triangles"))
        ReadTriangles(triangles);
    else if (const TXmlNode lines = mesh.FirstChild("lines"))
        ReadLines(lines);
    return BuildStreams();
}

bool TGeometry::ReadPositions(const TXmlNode& source) {
    ReadSourceArray(source, Positions);
    return true;
}

bool TGeometry::ReadNormals(const TXmlNode& source) {
    ReadSourceArray(source, Normals);
    return true;
}

bool TGeometry::ReadTexCoords(const TXmlNode& source) {
    ReadSourceArray(source, TexCoords);
    return true;
}

bool TGeometry::ReadColors(const TXmlNode& source) {
    ReadSourceArray(source, Colors);
    return true;
}

bool TGeometry::ReadTriangles(const TXmlNode& primitive) {
    ReadPrimitive(primitive, 3, TriangleIndices);
    return true;
}

bool TGeometry::ReadLines(const TXmlNode& primitive) {
    ReadPrimitive(primitive, 2, LineIndices);
    return true;
}
