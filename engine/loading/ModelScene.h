// A model as a reader other than the engine's own loader finds it: meshes of one material each, placed by
// instances with a world matrix, materials of a colour and an image. The readers of other conventions and
// formats fill it; BuildAsset (AssetBuilder.h) turns it into the asset the engine draws.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// One mesh of one material: indexed streams in which every stream that is present holds one entry per vertex,
// and the index list addresses them all at once (3 per triangle, or 2 per line).
struct TModelMesh {
    std::string Name;
    bool Lines = false;
    std::vector<float> Positions;  // 3 per vertex
    std::vector<float> Normals;    // 3 per vertex, or empty
    std::vector<float> TexCoords;  // 2 per vertex (s, t; t = 0 at the image's bottom row), or empty
    std::vector<float> Colors;     // 4 per vertex (r, g, b, a in 0..1), or empty
    std::vector<std::uint32_t> Indices;
    int Material = -1;  // index into TModelScene::Materials; -1: the default grey

    std::size_t VertexCount() const { return Positions.size() / 3; }
};

// An image a material names: a file, with its path as the model wrote it (found by the door's one rule), or
// the encoded bytes of an image the model file holds itself.
struct TModelImage {
    std::string Name;                  // for messages, and for the file a writer gives the image
    std::string Path;                  // as written, URI escapes already decoded; empty for an embedded image
    std::vector<unsigned char> Bytes;  // an embedded image's file bytes (PNG, JPEG, BMP, ...)
};

struct TModelMaterial {
    std::string Name;
    std::array<float, 4> Diffuse{0.8f, 0.8f, 0.8f, 1.0f};  // r, g, b, a in 0..1
    int Image = -1;           // index into TModelScene::Images; -1: the diffuse colour alone
    bool TintsImage = false;  // the diffuse colour multiplies the image (as a base colour does)
};

// A mesh where one node of the model's tree puts it: the product of the transforms from the root down.
struct TModelInstance {
    int Mesh = 0;  // index into TModelScene::Meshes
    // The material this instance binds to the mesh, where it differs from the mesh's own (a geometry that two
    // nodes bind to different materials); -1: the mesh's.
    int Material = -1;
    // Row-major, acting on column vectors (p' = World * p); the last row is 0 0 0 1.
    std::array<double, 16> World{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    std::string Name;  // the node's
};

struct TModelScene {
    std::vector<TModelMesh> Meshes;
    std::vector<TModelMaterial> Materials;
    std::vector<TModelImage> Images;
    std::vector<TModelInstance> Instances;
    // The frame the model was written in: how long one of its units is, and which axis points up ('x', 'y' or
    // 'z'). The builder brings both to the frame the caller asks for.
    double MetresPerUnit = 1.0;
    char UpAxis = 'y';
    // What the reader left out or changed, one sentence each, for readers that have no document lines to
    // name (a COLLADA reader records its notes with their lines instead).
    std::vector<std::string> Warnings;
};
