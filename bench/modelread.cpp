// Reads one model file once, through the model library in this process (as the worker calls it) or through the
// door's worker, and prints the read's wall time and the peak resident memory of this process and of the
// worker, so that each way is measured in a fresh process of its own.
//   modelread library|door FILE  ->  "<wall ms> <own peak kilobytes> <worker peak kilobytes> <triangles>"
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <sys/resource.h>
#include <assimp/Importer.hpp>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>

#include "ModelLibrary.h"

namespace {

std::size_t ReadThroughLibrary(const std::string& file) {
    Assimp::Importer importer;
    importer.SetPropertyInteger(AI_CONFIG_PP_SBP_REMOVE, 0);
    const aiScene* scene =
        importer.ReadFile(file, aiProcess_Triangulate | aiProcess_SortByPType | aiProcess_GenNormals);
    if (!scene) throw std::runtime_error(importer.GetErrorString());
    std::size_t triangles = 0;
    for (unsigned m = 0; m < scene->mNumMeshes; ++m) triangles += scene->mMeshes[m]->mNumFaces;
    return triangles;
}

std::size_t ReadThroughDoor(const std::string& file) {
    const TModelScene scene = ReadWithModelLibrary(file, WorkerLimitsFor(file));
    std::size_t triangles = 0;
    for (const TModelMesh& mesh : scene.Meshes) triangles += mesh.Indices.size() / 3;
    return triangles;
}

}  // namespace

int main(int argc, char** argv) {
    const bool library = argc == 3 && std::strcmp(argv[1], "library") == 0;
    if (argc != 3 || (!library && std::strcmp(argv[1], "door") != 0)) {
        std::fprintf(stderr, "usage: modelread library|door FILE\n");
        return 2;
    }
    try {
        const auto start = std::chrono::steady_clock::now();
        const std::size_t triangles = library ? ReadThroughLibrary(argv[2]) : ReadThroughDoor(argv[2]);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        rusage own{}, worker{};
        getrusage(RUSAGE_SELF, &own);
        getrusage(RUSAGE_CHILDREN, &worker);
        std::printf("%.1f %ld %ld %zu\n", ms, own.ru_maxrss, worker.ru_maxrss, triangles);
        return 0;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "modelread: %s\n", error.what());
        return 1;
    }
}
