// The first visual scene, read flat: every top-level element that instances a geometry directly becomes a
// node with a translation, three rotation angles taken by position, a scale and a material symbol.
#include <charconv>
#include <cmath>

#include "Colladaasset.h"
#include "RecordPool.h"

namespace {

// The url less its first character. A character is one UTF-8 sequence, so a reference whose first character
// is not ASCII does not leave half a character behind.
std::string WithoutFirstCharacter(const std::string& url) {
    if (url.empty()) return {};
    std::size_t next = 1;
    while (next < url.size() && (static_cast<unsigned char>(url[next]) & 0xC0) == 0x80 &&
           static_cast<unsigned char>(url[0]) >= 0xC0)
        ++next;
    return url.substr(next);
}

std::string Number(float value) {
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, value).ptr);
}

std::string NameOf(const TXmlNode& element) {
    return element.HasAttribute("name") ? NoteQuoted(element.AttributeText("name")) : std::string("without a name");
}

// True when a node below this one, at any depth, instances a geometry or a node. Walked with a stack of its
// own, so that a deep document cannot exhaust the call stack; each top-level subtree is walked once.
bool HoldsNestedGeometry(const TXmlNode& top) {
    std::vector<TXmlNode> pending{top};
    while (!pending.empty()) {
        const TXmlNode node = pending.back();
        pending.pop_back();
        if (node.FirstChild("instance_node")) return true;
        for (const TXmlNode child : SiblingsFrom(node.FirstChild("node"))) {
            if (child.Name() != "node") continue;
            if (child.FirstChild("instance_geometry")) return true;
            pending.push_back(child);
        }
    }
    return false;
}

void NoteOtherScenes(const TXmlNode& first, TLoadNotes& notes) {
    for (const TXmlNode other : SiblingsFrom(first.NextSibling()))
        if (other.Name() == "visual_scene" && other.FirstChild("node"))
            notes.Add(other, "extra-scene",
                      "only the first <visual_scene> is read; the nodes of this one are not drawn");
}

// The axis each rotation is taken about, by its position among the three.
constexpr float AxisByPosition[3][3] = {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}};
constexpr const char* AxisNames[3] = {"z", "y", "x"};
constexpr const char* Ordinals[3] = {"first", "second", "third"};

void NoteRotation(const TXmlNode& node, const TXmlNode& rotation, const TFloatArray& axisAngle, int position,
                  TLoadNotes& notes) {
    const std::string taken = std::string(" is taken as the angle about ") + AxisNames[position];
    if (rotation.Name() != "rotate") {
        notes.Add(rotation, "rotate-order",
                  "node " + NameOf(node) + ": " + rotation.Describe() + " stands where the " + Ordinals[position] +
                      " <rotate> is read, and its fourth number" + taken);
        return;
    }
    const float* expected = AxisByPosition[position];
    const bool sameAxis = axisAngle[0] == expected[0] && axisAngle[1] == expected[1] && axisAngle[2] == expected[2];
    if (!sameAxis && axisAngle[3] != 0 && std::isfinite(axisAngle[3]))
        notes.Add(rotation, "rotate-axis",
                  "node " + NameOf(node) + ": the " + Ordinals[position] + " <rotate> turns about (" +
                      Number(axisAngle[0]) + " " + Number(axisAngle[1]) + " " + Number(axisAngle[2]) +
                      "), but its angle" + taken + "; the node is turned wrongly");
}

}  // namespace

bool TLibraryVisualScenes::LoadFromNode(const TXmlNode& library, TLoadNotes* notes) {
    const TXmlNode scene = library.FirstChild("visual_scene");
    if (!scene) {
        if (notes) notes->Add(library, "no-scene", "holds no <visual_scene>: nothing is drawn");
        return false;
    }
    if (notes) NoteOtherScenes(scene, *notes);
    for (const TXmlNode element : SiblingsFrom(scene.FirstChild("node"))) {
        if (!element.FirstChild("instance_geometry")) {
            if (notes && element.Name() == "node" && HoldsNestedGeometry(element))
                notes->Add(element, "nested-node",
                           "node " + NameOf(element) +
                               " holds its geometry only in nested nodes or <instance_node>, which are not read: "
                               "it is not drawn");
            continue;
        }
        // The record, which holds its three small arrays (position, rotation, scale).
        element.ChargeMemory(RecordBytes<TNode> + GrowingSlotBytes);
        auto node = std::make_unique<TNode>();
        if (!Attempt(notes, [&] { node->LoadFromNode(element, notes); })) continue;
        element.ChargeMemory(TextHeapBytes(node->Name) + TextHeapBytes(node->GeometryName) +
                             TextHeapBytes(node->MaterialSymbol));
        if (notes) notes->Remember(node.get(), element);
        Items.Add(std::move(node));
    }
    return true;
}

namespace {

// Never destroyed: a node freed while the process exits still finds its pool.
TRecordPool& NodePool() {
    static TRecordPool& pool = *new TRecordPool(sizeof(TNode));
    return pool;
}

}  // namespace

void* TNode::operator new(std::size_t size) {
    return size == sizeof(TNode) ? NodePool().Allocate() : ::operator new(size);
}

void TNode::operator delete(void* node, std::size_t size) noexcept {
    if (size == sizeof(TNode))
        NodePool().Free(node);
    else
        ::operator delete(node);
}

bool TNode::LoadFromNode(const TXmlNode& node, TLoadNotes* notes) {
    // A survey reads on without the name, so that what else stands in the way shows with the missing name.
    Attempt(notes, [&] { Name = node.AttributeText("name"); });
    const TXmlNode translate = node.FirstChild("translate");
    if (!translate) {
        if (notes && node.FirstChild("matrix"))
            notes->Add(node, "matrix-node",
                       "node " + NoteQuoted(Name) +
                           " gives its transform as <matrix>, which is not read: its geometry "
                           "is not drawn");
        else if (notes)
            notes->Add(node, "no-translate",
                       "node " + NoteQuoted(Name) + " has no <translate>: its geometry is not drawn");
        return false;
    }
    ParseFloatArray(Position, translate.Text(), 3);

    // The rotations are taken by position, whatever axis they name: the first fills the angle about z, the
    // second about y, the third about x. The angle is the fourth number.
    Rotation.SetLength(3);
    int read = 0;
    TFloatArray axisAngle;  // one block for the three: a scene may hold a great many nodes
    for (const TXmlNode rotation : SiblingsFrom(node.FirstChild("rotate"))) {
        if (read == 3) break;
        ParseFloatArray(axisAngle, rotation.Text(), 4);
        if (notes) NoteRotation(node, rotation, axisAngle, read, *notes);
        Rotation[2 - read++] = axisAngle[3];
    }

    const TXmlNode scale = node.FirstChild("scale");
    if (!scale) {
        if (notes)
            notes->Add(node, "no-scale", "node " + NoteQuoted(Name) + " has no <scale>: its geometry is not drawn");
        return false;
    }
    ParseFloatArray(Scale, scale.Text(), 3);

    const TXmlNode instance = node.FirstChild("instance_geometry");
    if (!instance) return false;
    GeometryName = WithoutFirstCharacter(instance.AttributeText("url"));

    const TXmlNode binding = instance.FirstChild("bind_material");
    const TXmlNode technique = binding ? binding.FirstChild("technique_common") : TXmlNode();
    const TXmlNode material = technique ? technique.FirstChild("instance_material") : TXmlNode();
    if (material) MaterialSymbol = material.AttributeText("symbol");
    return true;
}
