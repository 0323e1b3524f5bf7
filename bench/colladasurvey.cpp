// Reads COLLADA documents with the engine's reader of every exporter's conventions and with the peer importer,
// and compares what each places: triangles, and the bounding box of the placed vertices in y-up metres (the
// peer brings every document to that frame; the reader gives the document's own, which is converted here).
//   colladasurvey FILE.dae...   ->  a markdown table, one row per document
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <algorithm>
#include <array>
#include <assimp/Importer.hpp>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "ColladaReader.h"

namespace {

struct TSummary {
    bool Read = false;
    std::string Error;
    long long Triangles = 0;
    long long Instances = 0;
    std::array<double, 3> Low{std::numeric_limits<double>::max(), std::numeric_limits<double>::max(),
                              std::numeric_limits<double>::max()};
    std::array<double, 3> High{-std::numeric_limits<double>::max(), -std::numeric_limits<double>::max(),
                               -std::numeric_limits<double>::max()};

    void Add(const std::array<double, 3>& p) {
        for (int i = 0; i < 3; ++i) {
            Low[i] = std::min(Low[i], p[i]);
            High[i] = std::max(High[i], p[i]);
        }
    }
    bool Empty() const { return Low[0] > High[0]; }
};

// The document's frame to y up in metres, as the peer turns it.
std::array<double, 3> ToYUpMetres(std::array<double, 3> p, char up, double metres) {
    for (double& c : p) c *= metres;
    if (up == 'z') return {p[0], p[2], -p[1]};
    if (up == 'x') return {-p[1], p[0], p[2]};
    return p;
}

TSummary ReadOurs(const std::string& path) {
    TSummary summary;
    TXmlDocument document;
    try {
        const TModelScene scene = ReadColladaScene(document, path);
        summary.Read = true;
        for (const TModelInstance& instance : scene.Instances) {
            const TModelMesh& mesh = scene.Meshes[static_cast<std::size_t>(instance.Mesh)];
            ++summary.Instances;
            if (!mesh.Lines) summary.Triangles += static_cast<long long>(mesh.Indices.size() / 3);
            const auto& m = instance.World;
            // Only the vertices the index list uses.
            for (const std::uint32_t index : mesh.Indices) {
                const float* v = &mesh.Positions[index * 3];
                const std::array<double, 3> world{m[0] * v[0] + m[1] * v[1] + m[2] * v[2] + m[3],
                                                  m[4] * v[0] + m[5] * v[1] + m[6] * v[2] + m[7],
                                                  m[8] * v[0] + m[9] * v[1] + m[10] * v[2] + m[11]};
                summary.Add(ToYUpMetres(world, scene.UpAxis, scene.MetresPerUnit));
            }
        }
    } catch (const std::exception& error) {
        summary.Error = error.what();
    }
    return summary;
}

void AddPeerNode(const aiScene* scene, const aiNode* node, const aiMatrix4x4& parent, TSummary& summary) {
    const aiMatrix4x4 world = parent * node->mTransformation;
    for (unsigned i = 0; i < node->mNumMeshes; ++i) {
        const aiMesh* mesh = scene->mMeshes[node->mMeshes[i]];
        ++summary.Instances;
        for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
            const aiFace& face = mesh->mFaces[f];
            if (face.mNumIndices >= 3) summary.Triangles += face.mNumIndices - 2;
            if (face.mNumIndices < 2) continue;
            for (unsigned k = 0; k < face.mNumIndices; ++k) {
                const aiVector3D p = world * mesh->mVertices[face.mIndices[k]];
                summary.Add({p.x, p.y, p.z});
            }
        }
    }
    for (unsigned i = 0; i < node->mNumChildren; ++i) AddPeerNode(scene, node->mChildren[i], world, summary);
}

TSummary ReadPeer(const std::string& path) {
    TSummary summary;
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    if (!scene || !scene->mRootNode) {
        summary.Error = importer.GetErrorString();
        return summary;
    }
    summary.Read = true;
    AddPeerNode(scene, scene->mRootNode, aiMatrix4x4(), summary);
    return summary;
}

std::string Box(const TSummary& summary) {
    if (summary.Empty()) return "-";
    char text[160];
    std::snprintf(text, sizeof text, "%.3g %.3g %.3g .. %.3g %.3g %.3g", summary.Low[0], summary.Low[1], summary.Low[2],
                  summary.High[0], summary.High[1], summary.High[2]);
    return text;
}

bool SameBox(const TSummary& a, const TSummary& b) {
    if (a.Empty() || b.Empty()) return a.Empty() == b.Empty();
    double extent = 0;
    for (int i = 0; i < 3; ++i) extent = std::max(extent, a.High[i] - a.Low[i]);
    const double tolerance = std::max(extent * 1e-3, 1e-6);
    for (int i = 0; i < 3; ++i)
        if (std::abs(a.Low[i] - b.Low[i]) > tolerance || std::abs(a.High[i] - b.High[i]) > tolerance) return false;
    return true;
}

std::string Cell(const TSummary& summary) {
    if (!summary.Read) {
        std::string error = summary.Error.substr(0, 90);
        std::replace(error.begin(), error.end(), '|', '/');
        return "not read: " + error + " | | ";
    }
    return std::to_string(summary.Triangles) + " | " + std::to_string(summary.Instances) + " | " + Box(summary);
}

}  // namespace

int main(int argc, char** argv) {
    std::printf(
        "| Document | Triangles | Instances | Box (y up, m) | Peer triangles | Peer meshes placed | Peer box | Same "
        "|\n");
    std::printf("|---|---:|---:|---|---:|---:|---|---|\n");
    int read = 0;
    for (int i = 1; i < argc; ++i) {
        const TSummary ours = ReadOurs(argv[i]);
        const TSummary peer = ReadPeer(argv[i]);
        read += ours.Read && ours.Triangles > 0 ? 1 : 0;
        const bool same = ours.Read && peer.Read && ours.Triangles == peer.Triangles && SameBox(ours, peer);
        std::printf("| %s | %s | %s | %s |\n", argv[i], Cell(ours).c_str(), Cell(peer).c_str(),
                    same ? "yes" : "**no**");
    }
    std::printf("\n%d of %d documents read with triangles placed.\n", read, argc - 1);
    return 0;
}
