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
void ReadPrimitive(const TXmlNode& primitive, int corners, TIntArray& indices, int streams, TLoadNotes* notes,
                   const std::string& name) {
    const long long count = ReadCount(primitive);
    const TXmlNode p = primitive.FirstChild("p");
    long long inputs = 0;
    for (const TXmlNode node : SiblingsFrom(primitive.FirstChild("input")))
        if (node.Name() == "input") ++inputs;
    const long long total = count * inputs * corners;  // at most 2^31 * 2^31 * 3 < 2^63
    if (total > INT_MAX)
        primitive.Fail("count " + std::to_string(count) + " with " + std::to_string(inputs) + " inputs needs " +
                       std::to_string(total) + " indices, more than 32-bit indexing allows");
    if (notes && !p)
        notes->Add(primitive, "no-p", "of geometry " + NoteQuoted(name) + " has no <p>: nothing of it is drawn");
    if (notes && p && streams == 0)
        notes->Add(primitive, "no-streams",
                   "of geometry " + NoteQuoted(name) +
                       ": no source was found by its id, so its corners have no vertex data to draw");
    else if (notes && p && inputs != streams)
        notes->Add(primitive, "slot-mismatch",
                   "of geometry " + NoteQuoted(name) + " has " + std::to_string(inputs) +
                       " <input> element(s), so each corner is read as " + std::to_string(inputs) +
                       " index slot(s), but " + std::to_string(streams) +
                       " stream(s) were found by their source ids: the streams are filled from the wrong slots");
    if (!p) return;
    const std::string_view text = p.Text();
    CheckDeclaredCount(primitive, total, text.size());
    ParseIntArray(indices, text, static_cast<int>(total));
}

// The reader of each stream a document gives.
bool (TGeometry::*ReaderOf(TStreamKind kind))(const TXmlNode&) {
    switch (kind) {
    case TStreamKind::Positions: return &TGeometry::ReadPositions;
    case TStreamKind::Normals: return &TGeometry::ReadNormals;
    case TStreamKind::TexCoords: return &TGeometry::ReadTexCoords;
    case TStreamKind::Colors: break;
    }
    return &TGeometry::ReadColors;
}

std::string ExpectedSuffixes() {
    std::string suffixes;
    for (const TStreamConvention& convention : StreamConventions)
        suffixes += (suffixes.empty() ? "\"" : ", \"") + std::string(convention.Suffix) + "\"";
    return suffixes;
}

// True when the id is the name followed by the suffix; compared in place, so that a long name costs nothing
// per source.
bool IsNameWithSuffix(std::string_view id, std::string_view name, std::string_view suffix) {
    return id.size() == name.size() + suffix.size() && id.substr(0, name.size()) == name &&
           id.substr(name.size()) == suffix;
}

// Every primitive kind a mesh may hold. Only the first <triangles>, or else the first <lines>, is read; the
// others explain a mesh that draws less than it holds.
constexpr std::string_view PrimitiveKinds[] = {"triangles", "lines",   "polylist",  "polygons",
                                               "tristrips", "trifans", "linestrips"};

// Notes a mesh without a primitive element that is read, or with more than the one read.
void NotePrimitives(const TXmlNode& mesh, const TXmlNode& read, const std::string& name, TLoadNotes& notes) {
    std::string unread;
    for (const std::string_view kind : PrimitiveKinds) {
        long long count = 0;
        for (const TXmlNode node : SiblingsFrom(mesh.FirstChild(kind)))
            if (node.Name() == kind) ++count;
        if (read && read.Name() == kind) --count;
        if (count > 0) unread += (unread.empty() ? "" : ", ") + std::to_string(count) + " <" + std::string(kind) + ">";
    }
    if (!read && !unread.empty())
        notes.Add(mesh, "polylist-only",
                  "geometry " + NoteQuoted(name) + " has no <triangles> or <lines>, and what it has (" + unread +
                      ") is not read: nothing of it is drawn");
    else if (!read)
        notes.Add(mesh, "no-primitive",
                  "geometry " + NoteQuoted(name) + " has no <triangles> or <lines>: nothing of it is drawn");
    else if (!unread.empty())
        notes.Add(read, "extra-primitive",
                  "geometry " + NoteQuoted(name) + ": only its first " + read.Describe() + " is read; the rest (" +
                      unread + ") is not drawn");
}

}  // namespace

bool TLibraryGeometries::LoadFromNode(const TXmlNode& library, TLoadNotes* notes) {
    const int expected = library.ChildNodeCount();
    const TXmlNode first = library.FirstChild("geometry");
    if (first) {
        // At most one item per child node: a list grown by doubling would hold up to three times that at once.
        library.ChargeMemory(static_cast<std::size_t>(expected) * sizeof(void*));
        Items.Reserve(Items.Count() + static_cast<std::size_t>(expected));
    }
    int read = 0;
    // Every child from the first <geometry> on is read as a geometry, whatever its name.
    for (const TXmlNode element : SiblingsFrom(first)) {
        if (read == expected) break;
        ++read;
        if (notes && element.Name() != "geometry")
            notes->Add(element, "read-as-geometry",
                       "follows the first <geometry> and is read as a geometry; it must carry a \"name\"");
        element.ChargeMemory(RecordBytes<TGeometry>);
        auto geometry = std::make_unique<TGeometry>();
        if (!Attempt(notes, [&] { geometry->LoadFromNode(element, notes); })) continue;
        element.ChargeMemory(TextHeapBytes(geometry->Name));
        Items.Add(std::move(geometry));
    }
    return read == expected;
}

int TLibraryGeometries::IndexOf(std::string_view name) const { return Items.IndexOfName(name); }

bool TGeometry::LoadFromNode(const TXmlNode& node, TLoadNotes* notes) {
    // A survey reads on without the name, so that what else stands in the way shows with the missing name.
    Attempt(notes, [&] { Name = node.AttributeText("name"); });
    const TXmlNode mesh = node.FirstChild("mesh");
    if (!mesh) {
        if (notes)
            notes->Add(node, "no-mesh", "geometry " + NoteQuoted(Name) + " has no <mesh>: nothing of it is drawn");
        return false;
    }
    const TXmlNode firstSource = mesh.FirstChild("source");
    if (!firstSource) {
        if (notes)
            notes->Add(mesh, "no-source", "geometry " + NoteQuoted(Name) + " has no <source>: nothing of it is drawn");
        return true;
    }
    // Only the run of <source> elements at the head of the walk is read: the walk stops at the first
    // sibling that is not one.
    TXmlNode endOfRun;
    for (const TXmlNode source : SiblingsFrom(firstSource)) {
        if (source.Name() != "source") {
            endOfRun = source;
            break;
        }
        const bool hasId = source.HasAttribute("id");
        const std::string id = hasId ? source.AttributeText("id") : std::string();
        bool found = false;
        for (const TStreamConvention& convention : StreamConventions) {
            if (!hasId || !IsNameWithSuffix(id, Name, convention.Suffix)) continue;
            found = true;
            Attempt(notes, [&] { (this->*ReaderOf(convention.Kind))(source); });
            // Read once: the memory of its text is not needed again.
            source.FirstChild("float_array").ReleaseText();
        }
        if (notes && !found)
            notes->Add(source, "source-id",
                       "source " + (hasId ? NoteQuoted(id) : std::string("without an id")) + " of geometry " +
                           NoteQuoted(Name) + " is not read: only the ids made of the geometry's name and " +
                           ExpectedSuffixes() + " are");
    }
    if (notes && endOfRun)
        for (const TXmlNode later : SiblingsFrom(endOfRun))
            if (later.Name() == "source")
                notes->Add(later, "source-after",
                           "source of geometry " + NoteQuoted(Name) + " comes after " + endOfRun.Describe() +
                               ", and no source after the first run of sources is read");

    TXmlNode primitive = mesh.FirstChild("triangles");
    if (primitive)
        Attempt(notes, [&] { ReadTriangles(primitive, notes); });
    else if ((primitive = mesh.FirstChild("lines")))
        Attempt(notes, [&] { ReadLines(primitive, notes); });
    if (primitive) primitive.FirstChild("p").ReleaseText();
    if (notes) NotePrimitives(mesh, primitive, Name, *notes);
    const bool result = BuildStreams();
    if (notes && OutOfRangeIndices > 0)
        notes->Add(primitive, "index-range",
                   std::to_string(OutOfRangeIndices) + " index slot(s) of geometry " + NoteQuoted(Name) +
                       " point outside their source; those vertices get zeros");
    if (notes && DroppedSlots > 0)
        notes->Add(primitive, "dropped-slots",
                   "the last " + std::to_string(DroppedSlots) + " index slot(s) of geometry " + NoteQuoted(Name) +
                       " do not make a whole vertex and are dropped");
    return result;
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

bool TGeometry::ReadTriangles(const TXmlNode& primitive, TLoadNotes* notes) {
    ReadPrimitive(primitive, 3, TriangleIndices, PresentStreamCount(), notes, Name);
    return true;
}

bool TGeometry::ReadLines(const TXmlNode& primitive, TLoadNotes* notes) {
    ReadPrimitive(primitive, 2, LineIndices, PresentStreamCount(), notes, Name);
    return true;
}
