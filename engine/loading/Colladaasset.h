// COLLADA scene loading: one document read into four libraries (effects, images, geometries, visual scenes),
// linked by name into indices, with every mesh expanded into draw-ready vertex streams. Loading never touches GL.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

#include "LargeAllocation.h"
#include "LoadNotes.h"
#include "StreamConventions.h"
#include "XmlDocument.h"

// A fixed-length array of 32-bit numbers. Its length is set once, by parsing or by SetLength; storage is
// allocated once at that length and every entry starts at 0. Length 0 means an absent stream or list.
template <typename T>
class TNumericArray {
public:
    TNumericArray() = default;
    explicit TNumericArray(std::size_t count) { SetLength(count); }
    TNumericArray(std::initializer_list<T> values);
    TNumericArray(const TNumericArray& other) { *this = other; }
    TNumericArray& operator=(const TNumericArray& other);
    TNumericArray(TNumericArray&& other) noexcept { *this = std::move(other); }
    TNumericArray& operator=(TNumericArray&& other) noexcept {
        Values = std::move(other.Values);
        std::copy(std::begin(other.Inline), std::end(other.Inline), Inline);
        Length = std::exchange(other.Length, 0);
        return *this;
    }

    // Replaces the content by `count` zero entries.
    void SetLength(std::size_t count) {
        SetLengthForOverwrite(count);
        std::fill(Data(), Data() + count, T(0));
    }
    void Clear() { SetLength(0); }

    std::size_t Count() const { return Length; }
    bool Empty() const { return Length == 0; }
    // None for an empty array.
    T* Data() { return Length > InlineCount ? Values.get() : Length > 0 ? Inline : nullptr; }
    const T* Data() const { return const_cast<TNumericArray*>(this)->Data(); }
    T& operator[](std::size_t i) { return Data()[i]; }
    const T& operator[](std::size_t i) const { return Data()[i]; }
    const T* begin() const { return Data(); }
    const T* end() const { return Data() + Length; }

private:
    // The parser and the stream expansion write every entry themselves, so they skip zeroing what they are
    // about to overwrite.
    template <typename U>
    friend void ParseNumbers(TNumericArray<U>& array, std::string_view text, int count);
    friend class TGeometry;
    // An array read again at the length it has keeps its storage.
    void SetLengthForOverwrite(std::size_t count, TPages pages = TPages::Now) {
        if (count != Length) Values = count > InlineCount ? AllocateLargeArray<T>(count, pages) : nullptr;
        Length = count;
    }

    // A node's position, rotation and scale, and an axis with its angle, are held in the array itself: a
    // scene of many nodes would otherwise make three small heap blocks per node, and reading it back would
    // follow a pointer to each.
    static constexpr std::size_t InlineCount = 16 / sizeof(T);
    TLargeArray<T> Values;  // beyond InlineCount entries
    T Inline[InlineCount] = {};
    std::size_t Length = 0;
};

template <typename T>
TNumericArray<T>::TNumericArray(std::initializer_list<T> values) {
    SetLengthForOverwrite(values.size());
    std::copy(values.begin(), values.end(), Data());
}

template <typename T>
TNumericArray<T>& TNumericArray<T>::operator=(const TNumericArray& other) {
    if (this != &other) {
        SetLengthForOverwrite(other.Length);
        std::copy(other.begin(), other.end(), Data());
    }
    return *this;
}

using TFloatArray = TNumericArray<float>;
using TIntArray = TNumericArray<int>;

// Fill the array with `count` numbers read from the text in the classic C conventions, whatever the process
// locale: white space separates, and the first text that is not a number (or the end of the text) stops the
// reading; the entries from there on stay 0. Numbers after the count-th are ignored. A negative count raises
// std::length_error; callers check counts read from a document against the text first (CheckDeclaredCount).
void ParseFloatArray(TFloatArray& array, std::string_view text, int count);
void ParseIntArray(TIntArray& array, std::string_view text, int count);

// The most numbers a declared count may ask of a text: its length plus a small allowance, so that a few bytes
// can never make the loader allocate gigabytes while a slightly short text still reads with a zero tail.
long long MaxDeclaredCount(std::size_t textLength);
// Raises the node's error "declares N values but its text can hold at most M" when count exceeds that bound.
void CheckDeclaredCount(const TXmlNode& node, long long count, std::size_t textLength);

// An ordered list that owns its elements and deletes them in list order.
template <typename T>
class TOwnedList {
public:
    TOwnedList() = default;
    TOwnedList(const TOwnedList&) = delete;
    TOwnedList& operator=(const TOwnedList&) = delete;
    ~TOwnedList() { Clear(); }

    void Add(std::unique_ptr<T> item) { Items.push_back(std::move(item)); }
    void Reserve(std::size_t count) { Items.reserve(count); }
    void Clear() {
        for (auto& item : Items) item.reset();
        Items.clear();
    }
    int Count() const { return static_cast<int>(Items.size()); }
    T* operator[](std::size_t i) const { return Items[i].get(); }
    // The position of the first element whose Name equals `name` exactly, or -1.
    int IndexOfName(std::string_view name) const {
        for (std::size_t i = 0; i < Items.size(); ++i)
            if (Items[i]->Name == name) return static_cast<int>(i);
        return -1;
    }
    auto begin() const { return Items.begin(); }
    auto end() const { return Items.end(); }

private:
    std::vector<std::unique_ptr<T>> Items;
};

// What the readers keep for an element beside the streams of its numbers, charged to the document's memory
// budget (TXmlNode::ChargeMemory) so that markup of many small elements cannot make records many times the
// document's size: a record in a heap block of its own, its slot in its list, and a text kept from the
// document when it is too long to be held inline.
inline constexpr std::size_t HeapBlockOverhead = 16;
template <typename T>
inline constexpr std::size_t RecordBytes = sizeof(T) + HeapBlockOverhead;
// A slot of a list grown by doubling: up to three per item are held at once while the list moves.
inline constexpr std::size_t GrowingSlotBytes = 3 * sizeof(void*);
std::size_t TextHeapBytes(const std::string& text);

// One mesh: its streams are found by the geometry's name plus a suffix (StreamConventions.h), its index list
// is the first <triangles> (or else the first <lines>), and BuildStreams expands both into one vertex per
// corner. The GL buffer names are made and deleted by the engine, never here.
class TGeometry {
public:
    std::string Name;
    TFloatArray Positions;  // 3 per vertex
    TFloatArray Normals;    // 3 per vertex
    TFloatArray TexCoords;  // 2 per vertex
    TFloatArray Colors;     // 4 per vertex
    TFloatArray Attrib1;    // 3 per vertex; no reader fills it
    TFloatArray Attrib2;    // 3 per vertex; no reader fills it
    TIntArray TriangleIndices;
    TIntArray LineIndices;
    unsigned PositionBuffer = 0, NormalBuffer = 0, TexCoordBuffer = 0, ColorBuffer = 0;
    unsigned Attrib1Buffer = 0, Attrib2Buffer = 0;
    unsigned TriangleBuffer = 0, LineBuffer = 0;
    int Attrib1Location = 0, Attrib2Location = 0;

    // What BuildStreams had to leave out: old indices outside their source (their value set stays 0), and
    // the slots of a last, incomplete corner group. Neither stops the load; tools report them.
    long long OutOfRangeIndices = 0;
    long long DroppedSlots = 0;

    // Reads a <geometry>; false when it holds no <mesh>. Every reader takes an optional sink for what it
    // notices (LoadNotes.h); with none it only reads.
    bool LoadFromNode(const TXmlNode& node, TLoadNotes* notes = nullptr);
    bool ReadPositions(const TXmlNode& source);
    bool ReadNormals(const TXmlNode& source);
    bool ReadTexCoords(const TXmlNode& source);
    bool ReadColors(const TXmlNode& source);
    bool ReadTriangles(const TXmlNode& primitive, TLoadNotes* notes = nullptr);
    bool ReadLines(const TXmlNode& primitive, TLoadNotes* notes = nullptr);
    // Expands the corner-indexed streams into one value set per vertex; the index list becomes 0, 1, ..., V-1.
    bool BuildStreams();
    // The streams found by their source ids (non-empty), each of which takes one index slot per corner.
    int PresentStreamCount() const;
};

// The eight arrays of a geometry, named for what they hold.
enum class TGeometryArray { Positions, Normals, TexCoords, Colors, Attrib1, Attrib2, TriangleIndices, LineIndices };

// Whether an array holds values for each vertex or the list of vertices to draw.
enum class TArrayTarget { Vertex, Index };

// One array of a geometry as the engine and the tools handle it. The members are named by pointers to
// members, so that one table serves every geometry, const or not.
struct TGeometryStream {
    TGeometryArray Which;
    const char* Name;  // as reports spell it
    TArrayTarget Target;
    int Components;  // entries per vertex; 1 for an index list
    // The array, and with it the type of its elements.
    std::variant<TFloatArray TGeometry::*, TIntArray TGeometry::*> Values;
    unsigned TGeometry::*Buffer;  // the GL buffer name the engine keeps for the array; 0 while it has none
    // How documents carry the array; null for the arrays no document gives.
    const TStreamConvention* Convention = nullptr;
    int TGeometry::*Location = nullptr;  // a generic attribute's shader location; null for the other arrays

    bool Generic() const { return Location != nullptr; }
    std::size_t Count(const TGeometry& geometry) const {
        return std::visit([&](auto values) { return (geometry.*values).Count(); }, Values);
    }
};

// Every array of a geometry once, in the order in which buffers are made, bound and deleted.
inline constexpr std::array<TGeometryStream, 8> GeometryStreams{{
    {TGeometryArray::Positions, "positions", TArrayTarget::Vertex,
     StreamConvention(TStreamKind::Positions).Components(), &TGeometry::Positions, &TGeometry::PositionBuffer,
     &StreamConvention(TStreamKind::Positions)},
    {TGeometryArray::Normals, "normals", TArrayTarget::Vertex, StreamConvention(TStreamKind::Normals).Components(),
     &TGeometry::Normals, &TGeometry::NormalBuffer, &StreamConvention(TStreamKind::Normals)},
    {TGeometryArray::TexCoords, "texcoords", TArrayTarget::Vertex,
     StreamConvention(TStreamKind::TexCoords).Components(), &TGeometry::TexCoords, &TGeometry::TexCoordBuffer,
     &StreamConvention(TStreamKind::TexCoords)},
    {TGeometryArray::Colors, "colors", TArrayTarget::Vertex, StreamConvention(TStreamKind::Colors).Components(),
     &TGeometry::Colors, &TGeometry::ColorBuffer, &StreamConvention(TStreamKind::Colors)},
    {TGeometryArray::Attrib1, "attrib1", TArrayTarget::Vertex, 3, &TGeometry::Attrib1, &TGeometry::Attrib1Buffer,
     nullptr, &TGeometry::Attrib1Location},
    {TGeometryArray::Attrib2, "attrib2", TArrayTarget::Vertex, 3, &TGeometry::Attrib2, &TGeometry::Attrib2Buffer,
     nullptr, &TGeometry::Attrib2Location},
    {TGeometryArray::TriangleIndices, "triangleIndices", TArrayTarget::Index, 1, &TGeometry::TriangleIndices,
     &TGeometry::TriangleBuffer},
    {TGeometryArray::LineIndices, "lineIndices", TArrayTarget::Index, 1, &TGeometry::LineIndices,
     &TGeometry::LineBuffer},
}};
// The corners' index slots feed the streams in the order of the conventions, which the expansion follows. (The
// check compares kinds, not the table's addresses, which a sanitizing build cannot compare while compiling.)
static_assert([] {
    for (std::size_t i = 0; i < StreamConventions.size(); ++i)
        if (static_cast<std::size_t>(GeometryStreams[i].Which) != static_cast<std::size_t>(StreamConventions[i].Kind))
            return false;
    return true;
}());

class TLibraryGeometries {
public:
    TOwnedList<TGeometry> Items;

    // False when the walk from the first <geometry> ran out before the library's child-node count.
    bool LoadFromNode(const TXmlNode& library, TLoadNotes* notes = nullptr);
    int IndexOf(std::string_view name) const;
};

// One top-level scene node that instances a geometry directly.
class TNode {
public:
    // What a frame reads of every node comes first, side by side, so that drawing a large scene touches as
    // few cache lines of each record as it can.
    TFloatArray Position;  // from <translate>
    TFloatArray Rotation;  // degrees: [0] about x, [1] about y, [2] about z
    TFloatArray Scale;     // from <scale>
    int GeometryIndex = -1;
    int EffectIndex = -1;
    std::vector<int> TextureIndices;  // filled by the engine's material preparation
    std::string Name;
    std::string GeometryName;    // the instance's url less its first character
    std::string MaterialSymbol;  // the instanced material's symbol

    // False when <translate>, <scale> or <instance_geometry> is missing; the node then keeps what it read.
    bool LoadFromNode(const TXmlNode& node, TLoadNotes* notes = nullptr);

    // Nodes are made side by side in blocks of their own (TRecordPool): a scene may hold a great many.
    static void* operator new(std::size_t size);
    static void operator delete(void* node, std::size_t size) noexcept;
};

class TLibraryVisualScenes {
public:
    TOwnedList<TNode> Items;

    // False when the library holds no <visual_scene>.
    bool LoadFromNode(const TXmlNode& library, TLoadNotes* notes = nullptr);
};

class TEffect {
public:
    std::string Name;
    std::string ImageName;  // the init_from of the first <surface> parameter
    int ImageIndex = -1;

    bool LoadFromNode(const TXmlNode& node);
};

class TLibraryEffects {
public:
    TOwnedList<TEffect> Items;

    bool LoadFromNode(const TXmlNode& library, TLoadNotes* notes = nullptr);
    int IndexOf(std::string_view name) const;
};

class TLibraryImages {
public:
    std::vector<std::string> Names;
    std::vector<std::string> FileNames;  // exactly as written; opened relative to the working directory

    bool LoadFromNode(const TXmlNode& library, TLoadNotes* notes = nullptr);
    int IndexOf(std::string_view name) const;
};

// One loaded document. Created empty, loaded once, then only read by the renderer, apart from ShaderIndex,
// PolygonMode and Rotation, which the windows set between frames.
class TColladaAsset {
public:
    explicit TColladaAsset(TXmlDocument* document);
    ~TColladaAsset();
    TColladaAsset(const TColladaAsset&) = delete;
    TColladaAsset& operator=(const TColladaAsset&) = delete;

    TXmlDocument* Document;  // not owned; shared by every load
    std::unique_ptr<TLibraryEffects> Effects;
    std::unique_ptr<TLibraryImages> Images;
    std::unique_ptr<TLibraryGeometries> Geometries;
    std::unique_ptr<TLibraryVisualScenes> VisualScenes;
    TFloatArray Position{0.0f, 0.0f, 0.0f};
    TFloatArray Rotation{0.0f, 0.0f, 0.0f};  // degrees about x, y, z
    TFloatArray Scale{1.0f, 1.0f, 1.0f};
    int ShaderIndex = -1;  // -1: the fixed pipeline
    int PolygonMode = -1;  // GL_LINE or GL_FILL; -1 leaves the current mode
    bool Visible = true;
    // Where the load records what it notices; none in the programs. Set before LoadFromFile.
    TLoadNotes* Notes = nullptr;

    // True when the document was read and linked; false when it has no document element, no
    // <library_geometries> or no <library_visual_scenes>. Raises TXmlError for unreadable or malformed files
    // and for every error in the libraries; the asset is then incomplete and must not be used.
    bool LoadFromFile(const std::string& fileName);
    void LinkNodeGeometries();
    void LinkNodeEffects();
    void LinkEffectImages();

    // The image file that textures the node, following its effect and that effect's image; none when a link
    // is missing. Meaningful once linked.
    const std::string* TextureFileOf(const TNode& node) const;
    // True when drawing the node draws something: its geometry is linked and has positions and an index list.
    bool Draws(const TNode& node) const;

private:
    // LinkNodeGeometries and LinkNodeEffects in one pass over the nodes, with the same notes in the same order.
    void LinkNodes();
};
