#include "LargePolygons.h"

#include <assimp/scene.h>

#include <limits>
#include <utility>

namespace {

std::size_t FanLargePolygons(aiMesh& mesh) {
    std::size_t cut = 0, faces = 0;
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const unsigned corners = mesh.mFaces[f].mNumIndices;
        const bool large = corners > MaxClippedCorners;
        cut += large;
        faces += large ? corners - 2 : 1;
    }
    // A count the face list cannot hold leaves the polygons to the library, and the worker's time limit.
    if (cut == 0 || faces > std::numeric_limits<unsigned>::max()) return 0;
    auto* fanned = new aiFace[faces];
    std::size_t at = 0;
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        aiFace& face = mesh.mFaces[f];
        if (face.mNumIndices <= MaxClippedCorners) {
            std::swap(fanned[at].mNumIndices, face.mNumIndices);
            std::swap(fanned[at].mIndices, face.mIndices);
            ++at;
            continue;
        }
        for (unsigned corner = 1; corner + 1 < face.mNumIndices; ++corner, ++at) {
            fanned[at].mNumIndices = 3;
            fanned[at].mIndices = new unsigned[3]{face.mIndices[0], face.mIndices[corner], face.mIndices[corner + 1]};
        }
    }
    delete[] mesh.mFaces;
    mesh.mFaces = fanned;
    mesh.mNumFaces = static_cast<unsigned>(faces);
    // The library's triangulation expects the types to tell whether any polygon is left.
    unsigned types = 0;
    for (unsigned f = 0; f < mesh.mNumFaces; ++f) {
        const unsigned corners = mesh.mFaces[f].mNumIndices;
        types |= corners == 1   ? aiPrimitiveType_POINT
                 : corners == 2 ? aiPrimitiveType_LINE
                 : corners == 3 ? aiPrimitiveType_TRIANGLE
                                : aiPrimitiveType_POLYGON;
    }
    mesh.mPrimitiveTypes = types;
    return cut;
}

}  // namespace

std::size_t FanLargePolygons(aiScene& scene) {
    std::size_t cut = 0;
    for (unsigned m = 0; m < scene.mNumMeshes; ++m)
        if (scene.mMeshes[m]) cut += FanLargePolygons(*scene.mMeshes[m]);
    return cut;
}
