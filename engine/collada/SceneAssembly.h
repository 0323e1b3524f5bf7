// Instances of geometries and controllers made into the scene's instances: each geometry is read once, when
// first instanced, and each placement binds its own materials to the geometry's primitive blocks.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

#include "Effects.h"
#include "Geometries.h"
#include "Libraries.h"
#include "LoadNotes.h"
#include "ModelScene.h"
#include "Transforms.h"
#include "XmlDocument.h"

// The instances a scene may hold: a few kilobytes of nested <instance_node> could otherwise place billions.
inline constexpr std::size_t MostInstances = std::size_t(1) << 20;

class TSceneAssembly {
public:
    TSceneAssembly(const TLibraries& libraries, TModelScene& scene, TLoadNotes* notes)
        : Libraries(libraries), Scene(scene), Notes(notes), Materials(libraries, scene, notes) {}

    // Places the meshes of an <instance_geometry> or <instance_controller> of the node; false once the
    // scene holds as many instances as it may.
    bool Place(const TXmlNode& instance, const TMatrix& world, const TXmlNode& node);

private:
    const std::vector<TBlockMesh>& MeshesOf(const TXmlNode& geometry);
    // Whether one more instance fits the bound of instances and the document's memory; notes it when not.
    bool MayAddInstance(const TXmlNode& instance, const std::string& name);
    // The materials the instance binds, by symbol.
    std::unordered_map<std::string, int> Bindings(const TXmlNode& instance);
    int BoundMaterial(const TBlockMesh& block, const std::unordered_map<std::string, int>& bindings,
                      const TXmlNode& instance);

    const TLibraries& Libraries;
    TModelScene& Scene;
    TLoadNotes* Notes;
    TMaterials Materials;
    std::unordered_map<std::string, std::vector<TBlockMesh>> Geometries;  // by id
    std::vector<bool> MeshPlaced;                                         // by mesh
};
