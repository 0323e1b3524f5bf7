// The first visual scene, read flat: every top-level element that instances a geometry directly becomes a
// node with a translation, three rotation angles taken by position, a scale and a material symbol.
#include "Colladaasset.h"

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

}  // namespace

bool TLibraryVisualScenes::LoadFromNode(const TXmlNode& library) {
    const TXmlNode scene = library.FirstChild("visual_scene");
    if (!scene) return false;
    for (const TXmlNode element : SiblingsFrom(scene.FirstChild("node"))) {
        if (!element.FirstChild("instance_geometry")) continue;
        auto node = std::make_unique<TNode>();
        node->LoadFromNode(element);
        Items.Add(std::move(node));
    }
    return true;
}

bool TNode::LoadFromNode(const TXmlNode& node) {
    Name = node.AttributeText("name");
    const TXmlNode translate = node.FirstChild("translate");
    if (!translate) return false;
    ParseFloatArray(Position, translate.Text(), 3);

    // The rotations are taken by position, whatever axis they name: the first fills the angle about z, the
    // second about y, the third about x. The angle is the fourth number.
    Rotation.SetLength(3);
    int read = 0;
    for (const TXmlNode rotation : SiblingsFrom(node.FirstChild("rotate"))) {
        if (read == 3) break;
        TFloatArray axisAngle;
        ParseFloatArray(axisAngle, rotation.Text(), 4);
        Rotation[2 - read++] = axisAngle[3];
    }

    const TXmlNode scale = node.FirstChild("scale");
    if (!scale) return false;
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
