#include "Faces.h"

#include <assimp/scene.h>

#include <algorithm>
#include <limits>
#include <utility>

namespace {

bool IsSound(const aiFace& face, unsigned vertices) {
    return face.mNumIndices > 0 && face.mIndices &&
           std::all_of(face.mIndices, face.mIndices + face.mNumIndices, [&](unsigned i) { return i < vertices; });
}

// The triangulation expects the types to tell whether any polygon is left.
unsigned PrimitiveTypes(const aiMesh& mesh) {
    unsigned types = 0;
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const unsigned corners = mesh.mFaces[f].mNumIndices;
        types |= corners == 1   ? aiPrimitiveType_POINT
                 : corners == 2 ? aiPrimitiveType_LINE
                 : corners == 3 ? aiPrimitiveType_TRIANGLE
                                : aiPrimitiveType_POLYGON;
    }
    return types;
}

void RepairFaces(aiMesh& mesh, TFaceRepairs& repairs) {
    std::size_t faces = 0, dropped = 0, fanned = 0;
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const aiFace& face = mesh.mFaces[f];
        if (!IsSound(face, mesh.mNumVertices)) {
            ++dropped;
        } else if (face.mNumIndices > MaxClippedCorners) {
            ++fanned;
            faces += face.mNumIndices - 2;
        } else {
            ++faces;
        }
    }
    // A count the face list cannot hold leaves the polygons to the library, and the worker's time limit.
    if ((dropped == 0 && fanned == 0) || faces > std::numeric_limits<unsigned>::max()) return;
    auto* repaired = new aiFace[faces];
    std::size_t at = 0;
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        aiFace& face = mesh.mFaces[f];
        if (!IsSound(face, mesh.mNumVertices)) continue;
        if (face.mNumIndices <= MaxClippedCorners) {
            std::swap(repaired[at].mNumIndices, face.mNumIndices);
            std::swap(repaired[at].mIndices, face.mIndices);
            ++at;
            continue;
        }
        for (unsigned corner = 1; corner + 1 < face.mNumIndices; ++corner, ++at) {
            repaired[at].mNumIndices = 3;
            repaired[at].mIndices = new unsigned[3]{face.mIndices[0], face.mIndices[corner], face.mIndices[corner + 1]};
        }
    }
    delete[] mesh.mFaces;
    mesh.mFaces = repaired;
    mesh.mNumFaces = static_cast<unsigned>(faces);
    mesh.mPrimitiveTypes = PrimitiveTypes(mesh);
    repairs.Dropped += dropped;
    repairs.Fanned += fanned;
}

}  // namespace

TFaceRepairs RepairFaces(aiScene& scene) {
    TFaceRepairs repairs;
    for (unsigned m = 0; m < scene.mNumMeshes; ++m)
        if (scene.mMeshes[m]) RepairFaces(*scene.mMeshes[m], repairs);
    return repairs;
}
