#include "SceneConversion.h"

#include <assimp/scene.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <vector>

#include "Materials.h"

namespace {

// "3 animation(s) dropped: walk, run, jump" for the named things the door has no place for.
class TDropList {
public:
    explicit TDropList(const char* what) : What(what) {}
    void Add(const aiString& name) {
        ++Count;
        if (Names.size() < Shown) Names.emplace_back(name.length > 0 ? name.C_Str() : "(unnamed)");
    }
    void Report(std::vector<std::string>& warnings) const {
        if (Count == 0) return;
        std::string text = std::to_string(Count) + " " + What + " dropped:";
        for (std::size_t i = 0; i < Names.size(); ++i) text += (i ? ", " : " ") + Names[i];
        if (Count > Names.size()) text += ", ...";
        warnings.push_back(text);
    }

private:
    static constexpr std::size_t Shown = 5;
    const char* What;
    std::size_t Count = 0;
    std::vector<std::string> Names;
};

void ReportDroppedParts(const aiScene& source, std::vector<std::string>& warnings) {
    TDropList animations("animation(s)"), cameras("camera(s)"), lights("light(s)"),
        skins("skin(s), their meshes kept in their rest pose,"), morphs("morph target set(s) of meshes");
    for (unsigned i = 0; i < source.mNumAnimations; ++i) animations.Add(source.mAnimations[i]->mName);
    for (unsigned i = 0; i < source.mNumCameras; ++i) cameras.Add(source.mCameras[i]->mName);
    for (unsigned i = 0; i < source.mNumLights; ++i) lights.Add(source.mLights[i]->mName);
    for (unsigned i = 0; i < source.mNumMeshes; ++i) {
        if (source.mMeshes[i]->mNumBones > 0) skins.Add(source.mMeshes[i]->mName);
        if (source.mMeshes[i]->mNumAnimMeshes > 0) morphs.Add(source.mMeshes[i]->mName);
    }
    for (const TDropList* list : {&animations, &cameras, &lights, &skins, &morphs}) list->Report(warnings);
}

// The model library gives every format y up; its FBX reader leaves the file's unit (centimetres unless it says
// otherwise) to the caller.
double MetresPerUnit(const aiScene& source, EModelFormat format) {
    if (format != EModelFormat::Fbx) return 1.0;
    double factor = 0;
    float factorFloat = 0;
    if (source.mMetaData && source.mMetaData->Get("UnitScaleFactor", factor) && std::isfinite(factor) && factor > 0)
        return factor / 100;
    if (source.mMetaData && source.mMetaData->Get("UnitScaleFactor", factorFloat) && std::isfinite(factorFloat) &&
        factorFloat > 0)
        return factorFloat / 100;
    return 0.01;
}

struct TMeshCounts {
    std::size_t NotFinite = 0;   // stream values set to 0
    std::size_t OutOfRange = 0;  // faces dropped for an index past the vertices
    std::size_t PointMeshes = 0;
};

float Finite(float value, std::size_t& notFinite) {
    if (std::isfinite(value)) return value;
    ++notFinite;
    return 0;
}

// The mesh's streams and the faces of its kind whose corners all lie among its vertices; none for a mesh of
// points, or one left without a face.
std::optional<TModelMesh> ConvertMesh(const aiMesh& source, TMeshCounts& counts) {
    const bool triangles = source.mPrimitiveTypes & aiPrimitiveType_TRIANGLE;
    if (!triangles && !(source.mPrimitiveTypes & aiPrimitiveType_LINE)) {
        counts.PointMeshes += source.mNumFaces > 0;
        return std::nullopt;
    }
    const unsigned corners = triangles ? 3 : 2;
    const std::size_t n = source.mNumVertices;
    TModelMesh mesh;
    mesh.Name = source.mName.C_Str();
    mesh.Lines = !triangles;
    mesh.Indices.reserve(std::size_t{source.mNumFaces} * corners);
    for (unsigned f = 0; f < source.mNumFaces; ++f) {
        const aiFace& face = source.mFaces[f];
        if (face.mNumIndices != corners) continue;
        if (std::all_of(face.mIndices, face.mIndices + corners, [&](unsigned i) { return i < n; }))
            mesh.Indices.insert(mesh.Indices.end(), face.mIndices, face.mIndices + corners);
        else
            ++counts.OutOfRange;
    }
    if (mesh.Indices.empty() || !source.mVertices) return std::nullopt;
    mesh.Positions.resize(n * 3);
    for (std::size_t i = 0; i < n; ++i)
        for (int a = 0; a < 3; ++a) mesh.Positions[i * 3 + a] = Finite(source.mVertices[i][a], counts.NotFinite);
    if (source.mNormals && triangles) {
        mesh.Normals.resize(n * 3);
        for (std::size_t i = 0; i < n; ++i)
            for (int a = 0; a < 3; ++a) mesh.Normals[i * 3 + a] = Finite(source.mNormals[i][a], counts.NotFinite);
    }
    if (source.mTextureCoords[0]) {
        mesh.TexCoords.resize(n * 2);
        for (std::size_t i = 0; i < n; ++i)
            for (int a = 0; a < 2; ++a)
                mesh.TexCoords[i * 2 + a] = Finite(source.mTextureCoords[0][i][a], counts.NotFinite);
    }
    if (source.mColors[0]) {
        mesh.Colors.resize(n * 4);
        for (std::size_t i = 0; i < n; ++i) {
            const aiColor4D& c = source.mColors[0][i];
            const float rgba[4] = {c.r, c.g, c.b, c.a};
            for (int a = 0; a < 4; ++a)
                mesh.Colors[i * 4 + a] = std::clamp(Finite(rgba[a], counts.NotFinite), 0.0f, 1.0f);
        }
    }
    return mesh;
}

using TWorld = std::array<double, 16>;

TWorld Multiply(const TWorld& a, const aiMatrix4x4& b) {
    TWorld out{};
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c)
            for (int k = 0; k < 4; ++k) out[r * 4 + c] += a[r * 4 + k] * static_cast<double>(b[k][c]);
    return out;
}

// Walks the node tree without recursion, placing each mesh a node names; `meshIndex` maps the library's
// meshes to the converted ones (-1: not drawn).
void PlaceInstances(const aiNode& root, const std::vector<int>& meshIndex, TModelScene& scene) {
    struct TVisit {
        const aiNode* Node;
        TWorld Parent;
        int Depth;
    };
    std::vector<TVisit> pending{{&root, {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, 0}};
    std::size_t visited = 0, projective = 0, notFinite = 0;
    bool stopped = false;
    while (!pending.empty() && !stopped) {
        const TVisit visit = pending.back();
        pending.pop_back();
        if (visit.Depth > MaxNodeDepth)
            throw TConversionError("the node tree is deeper than " + std::to_string(MaxNodeDepth));
        const aiNode& node = *visit.Node;
        TWorld world = Multiply(visit.Parent, node.mTransformation);
        if (world[12] != 0 || world[13] != 0 || world[14] != 0 || world[15] != 1) {
            ++projective;
            world[12] = world[13] = world[14] = 0;
            world[15] = 1;
        }
        const bool finite = std::all_of(world.begin(), world.end(), [](double v) { return std::isfinite(v); });
        notFinite += !finite;
        for (unsigned i = 0; finite && i < node.mNumMeshes; ++i) {
            const unsigned mesh = node.mMeshes[i];
            if (mesh >= meshIndex.size() || meshIndex[mesh] < 0) continue;
            if (scene.Instances.size() == MaxInstances) {
                stopped = true;
                break;
            }
            scene.Instances.push_back({meshIndex[mesh], -1, world, node.mName.C_Str()});
        }
        stopped = stopped || ++visited == MaxNodesVisited;
        // Children are pushed last first, so that they are placed in the order the file gives them.
        for (unsigned c = node.mNumChildren; c-- > 0 && node.mChildren;)
            if (node.mChildren[c]) pending.push_back({node.mChildren[c], world, visit.Depth + 1});
    }
    if (stopped)
        scene.Warnings.push_back("the node tree places more than " + std::to_string(scene.Instances.size()) +
                                 " meshes or has more than " + std::to_string(MaxNodesVisited) +
                                 " nodes: the rest were dropped");
    if (projective > 0)
        scene.Warnings.push_back(std::to_string(projective) +
                                 " node(s) with a projective transform: its last row was taken as 0 0 0 1");
    if (notFinite > 0)
        scene.Warnings.push_back(std::to_string(notFinite) +
                                 " node(s) with a transform that is not finite: their meshes were dropped");
}

}  // namespace

TModelScene ConvertScene(const aiScene& source, EModelFormat format) {
    TModelScene scene;
    scene.MetresPerUnit = MetresPerUnit(source, format);
    scene.UpAxis = 'y';
    ReportDroppedParts(source, scene.Warnings);
    ConvertMaterials(source, scene);

    std::vector<int> meshIndex(source.mNumMeshes, -1);
    TMeshCounts counts;
    for (unsigned m = 0; m < source.mNumMeshes; ++m) {
        std::optional<TModelMesh> mesh = ConvertMesh(*source.mMeshes[m], counts);
        if (!mesh) continue;
        const unsigned material = source.mMeshes[m]->mMaterialIndex;
        mesh->Material = material < scene.Materials.size() ? static_cast<int>(material) : -1;
        meshIndex[m] = static_cast<int>(scene.Meshes.size());
        scene.Meshes.push_back(std::move(*mesh));
    }
    if (counts.PointMeshes > 0)
        scene.Warnings.push_back(std::to_string(counts.PointMeshes) + " point mesh(es) dropped: points are not drawn");
    if (counts.OutOfRange > 0)
        scene.Warnings.push_back(std::to_string(counts.OutOfRange) + " face(s) with a corner past their mesh's " +
                                 "vertices dropped");
    if (counts.NotFinite > 0)
        scene.Warnings.push_back(std::to_string(counts.NotFinite) +
                                 " vertex value(s) that were not finite numbers set to 0");
    if (source.mRootNode) PlaceInstances(*source.mRootNode, meshIndex, scene);
    if (scene.Instances.empty()) throw TConversionError("nothing to draw (no triangles or lines)");
    return scene;
}
