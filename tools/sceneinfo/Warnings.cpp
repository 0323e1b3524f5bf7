#include "Warnings.h"

#include <charconv>
#include <filesystem>
#include <set>
#include <string_view>

namespace {

struct TConvention {
    std::string_view Semantic;
    std::string_view Suffix;
};
constexpr TConvention Conventions[] = {
    {"POSITION", "-Position"}, {"NORMAL", "-Normals"}, {"TEXCOORD", "-UV"}, {"COLOR", "-color"}};

constexpr std::string_view PrimitiveKinds[] = {"triangles", "lines",     "polylist",  "polygons",
                                               "tristrips", "trifans",   "linestrips"};

std::string Quoted(std::string_view text) { return "\"" + EscapeForMessage(text) + "\""; }

std::string Attribute(const TXmlNode& node, std::string_view name)
{
    return node.HasAttribute(name) ? node.AttributeText(name) : std::string();
}

std::string_view LessHash(std::string_view reference)
{
    return !reference.empty() && reference.front() == '#' ? reference.substr(1) : reference;
}

std::string At(const TXmlNode& node) { return "line " + std::to_string(node.Line()) + ": "; }

// Elements of the given name among the children of parent.
template <typename Visit>
void ForEachNamed(const TXmlNode& parent, std::string_view name, Visit&& visit)
{
    for (TXmlNode child = parent.FirstChild(name); child; child = child.NextSibling())
        if (child.IsElement() && child.Name() == name) visit(child);
}

int CountNamed(const TXmlNode& parent, std::string_view name)
{
    int count = 0;
    ForEachNamed(parent, name, [&](const TXmlNode&) { ++count; });
    return count;
}

class TWarnings {
public:
    explicit TWarnings(std::vector<std::string>& out) : Out(out) {}
    void Add(std::string text) { Out.push_back(std::move(text)); }

    void ScanGeometries(const TXmlNode& library);
    void ScanScene(const TXmlNode& library);
    void ScanAsset(const TSceneReport& report);

private:
    void ScanMesh(const TXmlNode& mesh, const std::string& name);
    int ScanSources(const TXmlNode& mesh, const std::string& name);
    void ScanPrimitives(const TXmlNode& mesh, const std::string& name, int presentStreams);
    void ScanInputs(const TXmlNode& mesh, const TXmlNode& primitive, const std::string& name, int presentStreams);
    void CheckInput(const TXmlNode& input, std::string_view semantic, std::string_view source,
                    const std::string& name);
    void ScanNode(const TXmlNode& node);

    std::vector<std::string>& Out;
};

void TWarnings::ScanGeometries(const TXmlNode& library)
{
    for (TXmlNode geometry = library.FirstChild("geometry"); geometry; geometry = geometry.NextSibling()) {
        if (!geometry.IsElement() || !geometry.HasAttribute("name")) continue;
        const std::string name = geometry.AttributeText("name");
        const TXmlNode mesh = geometry.FirstChild("mesh");
        if (mesh)
            ScanMesh(mesh, name);
        else
            Add(At(geometry) + "geometry " + Quoted(name) + " has no <mesh>: nothing of it is drawn");
    }
}

void TWarnings::ScanMesh(const TXmlNode& mesh, const std::string& name)
{
    if (!mesh.FirstChild("source")) {
        Add(At(mesh) + "geometry " + Quoted(name) + " has no <source>: nothing of it is drawn");
        return;
    }
    const int presentStreams = ScanSources(mesh, name);
    ScanPrimitives(mesh, name, presentStreams);
}

// The sources are read from the first <source> up to the first child of another kind; returns how many
// streams that run gives.
int TWarnings::ScanSources(const TXmlNode& mesh, const std::string& name)
{
    std::set<std::string> found;
    TXmlNode node = mesh.FirstChild("source");
    for (; node && node.Name() == "source"; node = node.NextSibling()) {
        const std::string id = Attribute(node, "id");
        for (const auto& convention : Conventions)
            if (id == name + std::string(convention.Suffix) && node.FirstChild("float_array")) found.insert(id);
    }
    const TXmlNode stop = node;
    for (; node; node = node.NextSibling()) {
        if (node.Name() != "source") continue;
        const std::string id = Attribute(node, "id");
        for (const auto& convention : Conventions)
            if (id == name + std::string(convention.Suffix))
                Add(At(node) + "geometry " + Quoted(name) + ": source " + Quoted(id) + " follows " +
                    stop.Describe() + ", after which no source is read");
    }
    return static_cast<int>(found.size());
}

void TWarnings::ScanPrimitives(const TXmlNode& mesh, const std::string& name, int presentStreams)
{
    TXmlNode primitive = mesh.FirstChild("triangles");
    if (!primitive) primitive = mesh.FirstChild("lines");
    std::string unread;
    for (std::string_view kind : PrimitiveKinds) {
        int count = CountNamed(mesh, kind);
        if (primitive && kind == primitive.Name()) --count;
        if (count > 0) unread += (unread.empty() ? "" : ", ") + std::to_string(count) + " <" + std::string(kind) + ">";
    }
    if (!primitive) {
        Add(At(mesh) + "geometry " + Quoted(name) + " has no <triangles> or <lines>" +
            (unread.empty() ? std::string() : " (what it has, " + unread + ", is not read)") +
            ": nothing of it is drawn");
        return;
    }
    if (!unread.empty())
        Add(At(primitive) + "geometry " + Quoted(name) + ": only its first " + primitive.Describe() +
            " is read; the other primitive elements (" + unread + ") are not drawn");
    ScanInputs(mesh, primitive, name, presentStreams);
}

void TWarnings::ScanInputs(const TXmlNode& mesh, const TXmlNode& primitive, const std::string& name,
                           int presentStreams)
{
    std::set<long long> offsets;
    int inputs = 0;
    ForEachNamed(primitive, "input", [&](const TXmlNode& input) {
        ++inputs;
        const std::string offset = Attribute(input, "offset");
        long long value = 0;
        const auto [end, error] = std::from_chars(offset.data(), offset.data() + offset.size(), value);
        offsets.insert(error == std::errc() && end == offset.data() + offset.size() ? value : -inputs);

        const std::string semantic = Attribute(input, "semantic");
        const std::string source(LessHash(Attribute(input, "source")));
        if (semantic != "VERTEX") {
            CheckInput(input, semantic, source, name);
            return;
        }
        ForEachNamed(mesh, "vertices", [&](const TXmlNode& vertices) {
            if (Attribute(vertices, "id") != source) return;
            ForEachNamed(vertices, "input", [&](const TXmlNode& inner) {
                CheckInput(inner, Attribute(inner, "semantic"), LessHash(Attribute(inner, "source")), name);
            });
        });
    });
    const int slots = static_cast<int>(offsets.size());
    if (presentStreams == 0)
        Add(At(mesh) + "geometry " + Quoted(name) + ": none of its sources has an id of the form " +
            Quoted(name + "-Position") + " (or -Normals, -UV, -color), so it has no vertex data to draw");
    else if (inputs > 0 && slots != presentStreams)
        Add(At(primitive) + "geometry " + Quoted(name) + ": each corner has " + std::to_string(slots) +
            " index slot(s) but " + std::to_string(presentStreams) +
            " stream(s) were found by name, so the streams are filled from the wrong slots");
}

void TWarnings::CheckInput(const TXmlNode& input, std::string_view semantic, std::string_view source,
                           const std::string& name)
{
    for (const auto& convention : Conventions) {
        if (semantic != convention.Semantic) continue;
        const std::string needed = name + std::string(convention.Suffix);
        if (source != needed)
            Add(At(input) + "geometry " + Quoted(name) + ": <input semantic=\"" + std::string(semantic) +
                "\"> uses source " + Quoted(source) + ", but only a source with the id " + Quoted(needed) +
                " is read");
        return;
    }
    Add(At(input) + "geometry " + Quoted(name) + ": <input semantic=" + Quoted(semantic) +
        "> is not read; only POSITION, NORMAL, TEXCOORD and COLOR are");
}

// True when a node below this one, at any depth, instances a geometry or another node; walked with a
// stack of its own, so that deep documents cannot exhaust the call stack.
bool HoldsNestedGeometry(const TXmlNode& top)
{
    std::vector<TXmlNode> pending{top};
    while (!pending.empty()) {
        const TXmlNode node = pending.back();
        pending.pop_back();
        if (node.FirstChild("instance_node")) return true;
        bool found = false;
        ForEachNamed(node, "node", [&](const TXmlNode& child) {
            found = found || child.FirstChild("instance_geometry");
            pending.push_back(child);
        });
        if (found) return true;
    }
    return false;
}

void TWarnings::ScanScene(const TXmlNode& library)
{
    const TXmlNode scene = library.FirstChild("visual_scene");
    if (!scene) {
        Add(At(library) + "<library_visual_scenes> holds no <visual_scene>: nothing is drawn");
        return;
    }
    for (TXmlNode node = scene.FirstChild("node"); node; node = node.NextSibling())
        if (node.IsElement()) ScanNode(node);
    for (TXmlNode other = scene.NextSibling(); other; other = other.NextSibling())
        if (other.Name() == "visual_scene" && other.FirstChild("node"))
            Add(At(other) + "only the first <visual_scene> is read; the nodes of <visual_scene id=" +
                Quoted(Attribute(other, "id")) + "> are not drawn");
}

void TWarnings::ScanNode(const TXmlNode& node)
{
    const std::string what = "node " + Quoted(Attribute(node, "name"));
    if (!node.FirstChild("instance_geometry")) {
        if (HoldsNestedGeometry(node))
            Add(At(node) + what + " holds its geometry only in nested nodes or <instance_node>, " +
                "which are not read: it is not drawn");
        return;
    }
    if (!node.FirstChild("translate")) {
        Add(At(node) + what +
            (node.FirstChild("matrix") ? " gives its transform as <matrix>, which is not read"
                                       : " has no <translate>") +
            ": its geometry is not drawn");
    } else if (!node.FirstChild("scale")) {
        Add(At(node) + what + " has no <scale>: its geometry is not drawn");
    }
}

void TWarnings::ScanAsset(const TSceneReport& report)
{
    const TColladaAsset& asset = *report.Asset;
    for (const auto& geometry : asset.Geometries->Items) {
        if (geometry->OutOfRangeIndices > 0)
            Add("geometry " + Quoted(geometry->Name) + ": " + std::to_string(geometry->OutOfRangeIndices) +
                " index slot(s) point outside their source; those values stay 0");
        if (geometry->DroppedSlots > 0)
            Add("geometry " + Quoted(geometry->Name) + ": the last " + std::to_string(geometry->DroppedSlots) +
                " index slot(s) do not make a whole vertex and are dropped");
    }
    if (report.Linked()) {
        for (const auto& node : asset.VisualScenes->Items) {
            if (!node->GeometryName.empty() && node->GeometryIndex < 0)
                Add("node " + Quoted(node->Name) + ": its url names geometry " + Quoted(node->GeometryName) +
                    ", but no geometry has that name");
            if (!node->MaterialSymbol.empty() && node->EffectIndex < 0)
                Add("node " + Quoted(node->Name) + ": material symbol " + Quoted(node->MaterialSymbol) +
                    " links to nothing: no effect is named " + Quoted(node->MaterialSymbol + "-fx"));
        }
        for (const auto& effect : asset.Effects->Items)
            if (!effect->ImageName.empty() && effect->ImageIndex < 0)
                Add("effect " + Quoted(effect->Name) + ": its surface names image " + Quoted(effect->ImageName) +
                    ", but no image has that name");
    }
    const TLibraryImages& images = *asset.Images;
    for (std::size_t i = 0; i < images.FileNames.size() && i < images.Names.size(); ++i) {
        std::error_code error;
        if (!std::filesystem::is_regular_file(images.FileNames[i], error))
            Add("image " + Quoted(images.Names[i]) + ": file " + Quoted(images.FileNames[i]) +
                " does not exist relative to the working directory");
    }
}

}  // namespace

std::vector<std::string> CollectWarnings(const TXmlDocument& document, const TSceneReport& report)
{
    std::vector<std::string> warnings;
    TWarnings scan(warnings);
    if (const TXmlNode root = document.DocumentElement()) {
        if (const TXmlNode geometries = root.FirstChild("library_geometries")) scan.ScanGeometries(geometries);
        if (const TXmlNode scenes = root.FirstChild("library_visual_scenes")) scan.ScanScene(scenes);
    }
    scan.ScanAsset(report);
    return warnings;
}
