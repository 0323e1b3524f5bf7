#include "Geometries.h"

#include "BlockCorners.h"
#include "BlockInputs.h"
#include "Sources.h"
#include "VertexWelding.h"

namespace {

std::string GeometryName(const TXmlNode& geometry) {
    if (geometry.HasAttribute("name")) return geometry.AttributeText("name");
    return geometry.HasAttribute("id") ? geometry.AttributeText("id") : std::string();
}

void NoteCounts(const TXmlNode& block, const TWeldCounts& counts, TLoadNotes& notes) {
    if (counts.FacesDropped > 0)
        notes.Add(block, "face-dropped",
                  std::to_string(counts.FacesDropped) +
                      " face(s) have a corner whose position index lies outside its source: they are not drawn");
    if (counts.OutOfRange > 0)
        notes.Add(block, "index-range",
                  std::to_string(counts.OutOfRange) +
                      " vertex value(s) are indexed outside their source: those vertices read zeros there");
    if (counts.ShortRuns > 0)
        notes.Add(block, "short-run",
                  std::to_string(counts.ShortRuns) + " polygon(s), strip(s) or fan(s) have too few corners to draw");
}

}  // namespace

std::vector<TBlockMesh> ReadGeometry(const TXmlNode& geometry, TModelScene& scene, TLoadNotes* notes) {
    std::vector<TBlockMesh> blocks;
    const std::string name = GeometryName(geometry);
    const TXmlNode mesh = geometry.FirstChild("mesh");
    if (!mesh) {
        if (notes)
            notes->Add(
                geometry, "no-mesh",
                "geometry " + NoteQuoted(name) + " has no <mesh> (only meshes are read): nothing of it is drawn");
        return blocks;
    }
    TMeshSources sources(mesh, notes);
    const TXmlNode vertices = mesh.FirstChild("vertices");
    for (TXmlNode block = mesh.FirstChildNode(); block; block = block.NextSibling()) {
        if (!IsPrimitiveBlock(block.Name())) continue;
        Attempt(notes, [&] {
            const TBlockInputs inputs = ReadBlockInputs(block, vertices, sources, notes);
            if (!inputs[TSemantic::Position].Source) {
                if (notes) notes->Add(block, "no-position", "has no positions among its inputs: it is not drawn");
                return;
            }
            const TBlockCorners corners = ReadBlockCorners(block, inputs.Stride, notes);
            TModelMesh built;
            built.Name = name;
            const TWeldCounts counts = WeldBlock(corners, inputs, built);
            if (notes) NoteCounts(block, counts, *notes);
            if (built.Indices.empty()) return;
            block.ChargeMemory(sizeof(TModelMesh) + sizeof(TBlockMesh) + 2 * name.size());
            blocks.push_back({static_cast<int>(scene.Meshes.size()),
                              block.HasAttribute("material") ? block.AttributeText("material") : std::string()});
            scene.Meshes.push_back(std::move(built));
        });
    }
    return blocks;
}
