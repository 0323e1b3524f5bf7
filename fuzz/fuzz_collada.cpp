// The reader of every exporter's COLLADA documents: document bytes through the XML adapter, the libraries, the
// node walk, the primitive blocks and their welding, the materials.
#include <cstddef>
#include <cstdint>
#include <stdexcept>

#include "ColladaReader.h"
#include "FuzzTempFile.h"

namespace {

// Everything the builder will index must lie inside what it indexes.
void CheckScene(const TModelScene& scene) {
    for (const TModelMesh& mesh : scene.Meshes) {
        const std::size_t vertices = mesh.VertexCount();
        if (mesh.Positions.size() != vertices * 3) __builtin_trap();
        if (!mesh.Normals.empty() && mesh.Normals.size() != vertices * 3) __builtin_trap();
        if (!mesh.TexCoords.empty() && mesh.TexCoords.size() != vertices * 2) __builtin_trap();
        if (!mesh.Colors.empty() && mesh.Colors.size() != vertices * 4) __builtin_trap();
        if (mesh.Indices.size() % (mesh.Lines ? 2 : 3) != 0) __builtin_trap();
        for (const std::uint32_t index : mesh.Indices)
            if (index >= vertices) __builtin_trap();
        if (mesh.Material >= static_cast<int>(scene.Materials.size())) __builtin_trap();
    }
    for (const TModelInstance& instance : scene.Instances) {
        if (instance.Mesh < 0 || instance.Mesh >= static_cast<int>(scene.Meshes.size())) __builtin_trap();
        if (instance.Material >= static_cast<int>(scene.Materials.size())) __builtin_trap();
    }
    for (const TModelMaterial& material : scene.Materials)
        if (material.Image >= static_cast<int>(scene.Images.size())) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const TFuzzTempFile file(".dae");
    static TXmlDocument document;  // shared by every read, as the door shares it
    file.Write(data, size);
    TLoadNotes notes;
    try {
        CheckScene(ReadColladaScene(document, file.Path, &notes));
    } catch (const TXmlError&) {
    } catch (const std::length_error&) {}
    return 0;
}
