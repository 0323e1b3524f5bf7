#include "SceneAssembly.h"

#include "Controllers.h"
#include "Uris.h"

namespace {

std::string NodeName(const TXmlNode& node) {
    if (node.HasAttribute("name")) return node.AttributeText("name");
    return node.HasAttribute("id") ? node.AttributeText("id") : std::string();
}

}  // namespace

const std::vector<TBlockMesh>& TSceneAssembly::MeshesOf(const TXmlNode& geometry) {
    const std::string id = geometry.AttributeText("id");
    if (const auto found = Geometries.find(id); found != Geometries.end()) return found->second;
    std::vector<TBlockMesh> blocks = ReadGeometry(geometry, Scene, Notes);
    MeshPlaced.resize(Scene.Meshes.size(), false);
    return Geometries.emplace(id, std::move(blocks)).first->second;
}

std::unordered_map<std::string, int> TSceneAssembly::Bindings(const TXmlNode& instance) {
    std::unordered_map<std::string, int> bindings;
    const TXmlNode binding = instance.FirstChild("bind_material");
    const TXmlNode common = binding ? binding.FirstChild("technique_common") : TXmlNode();
    for (const TXmlNode material : SiblingsFrom(common ? common.FirstChild("instance_material") : TXmlNode())) {
        if (material.Name() != "instance_material") continue;
        const std::string target = material.AttributeText("target");
        const int index = Materials.MaterialOf(LocalId(target));
        if (index < 0 && Notes)
            Notes->Add(material, "broken-link", "links to " + NoteQuoted(target) + ", and no <material> has that id");
        bindings.emplace(material.AttributeText("symbol"), index);
    }
    return bindings;
}

int TSceneAssembly::BoundMaterial(const TBlockMesh& block, const std::unordered_map<std::string, int>& bindings,
                                  const TXmlNode& instance) {
    if (block.Symbol.empty()) return -1;
    if (const auto bound = bindings.find(block.Symbol); bound != bindings.end()) return bound->second;
    // Some exporters leave the binding out and write the material's id as the symbol.
    const int byId = Materials.MaterialOf(block.Symbol);
    if (byId < 0 && Notes)
        Notes->Add(instance, "material-unbound",
                   "binds no material to the symbol " + NoteQuoted(block.Symbol) +
                       " of its geometry: those faces are drawn in the default grey");
    return byId;
}

bool TSceneAssembly::MayAddInstance(const TXmlNode& instance, const std::string& name) {
    std::string reason;
    if (Scene.Instances.size() == MostInstances) {
        reason = "the " + std::to_string(MostInstances) + " instances a scene may hold";
    } else {
        try {
            instance.ChargeMemory(sizeof(TModelInstance) + name.size());
            return true;
        } catch (const TXmlMemoryError&) {
            reason = "what the memory bound of a document of its size allows";
        }
    }
    if (Notes)
        Notes->Add(instance, "instance-bound",
                   "would place more instances than " + reason + ": the rest of the scene is not drawn");
    return false;
}

bool TSceneAssembly::Place(const TXmlNode& instance, const TMatrix& world, const TXmlNode& node) {
    TMatrix placement = world;
    TXmlNode geometry;
    if (instance.Name() == "instance_controller") {
        const TXmlNode controller = Libraries.Follow(instance, "url", TLibraryKind::Controller);
        if (!controller) return true;
        const TControlledGeometry controlled = ControlledGeometry(controller, Libraries, Notes);
        geometry = controlled.Geometry;
        // A skin is placed by its joints, not by the node that instances it: in the bind pose each joint's
        // world matrix times its inverse bind matrix is the identity, which leaves the bind shape alone.
        if (controlled.Skinned) placement = controlled.BindShape;
    } else {
        geometry = Libraries.Follow(instance, "url", TLibraryKind::Geometry);
    }
    if (!geometry) return true;
    const std::vector<TBlockMesh>& blocks = MeshesOf(geometry);
    if (blocks.empty()) return true;
    const std::unordered_map<std::string, int> bindings = Bindings(instance);
    const std::string name = NodeName(node);
    for (const TBlockMesh& block : blocks) {
        if (!MayAddInstance(instance, name)) return false;
        const int material = BoundMaterial(block, bindings, instance);
        TModelMesh& mesh = Scene.Meshes[static_cast<std::size_t>(block.Mesh)];
        TModelInstance placed;
        placed.Mesh = block.Mesh;
        placed.World = placement;
        placed.Name = name;
        // The first instance gives the mesh its material; a later one that binds another keeps its own.
        if (!MeshPlaced[static_cast<std::size_t>(block.Mesh)]) {
            MeshPlaced[static_cast<std::size_t>(block.Mesh)] = true;
            mesh.Material = material;
        } else if (material != mesh.Material) {
            placed.Material = material;
        }
        Scene.Instances.push_back(std::move(placed));
    }
    return true;
}
