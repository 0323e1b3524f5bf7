// Models written by the tests, read through the door's worker, with what they should give worked out by hand:
// where the node tree puts each vertex, the texture coordinates in the engine's convention, the materials'
// colours and image paths, an embedded image's bytes; and the worker's answers the door must refuse.
#include <algorithm>
#include <array>
#include <cmath>

#include "ModelWire.h"
#include "WorkerFixture.h"

namespace {

using TPoint = std::array<double, 3>;

TPoint Place(const TModelInstance& instance, const TModelMesh& mesh, std::size_t vertex) {
    const auto& m = instance.World;
    const float* p = &mesh.Positions[vertex * 3];
    return {m[0] * p[0] + m[1] * p[1] + m[2] * p[2] + m[3], m[4] * p[0] + m[5] * p[1] + m[6] * p[2] + m[7],
            m[8] * p[0] + m[9] * p[1] + m[10] * p[2] + m[11]};
}

void ExpectNear(const TPoint& got, const TPoint& expected) {
    for (int a = 0; a < 3; ++a) EXPECT_NEAR(got[a], expected[a], 1e-5) << "axis " << a;
}

const TModelMaterial& MaterialNamed(const TModelScene& scene, const std::string& name) {
    const auto found = std::find_if(scene.Materials.begin(), scene.Materials.end(),
                                    [&](const TModelMaterial& m) { return m.Name == name; });
    if (found == scene.Materials.end()) throw std::runtime_error("no material " + name);
    return *found;
}

// The first bytes of a PNG file and a chunk; the worker passes them on without decoding.
const std::string PngBytes("\x89PNG\r\n\x1a\n\0\0\0\rIHDR\0\0\0\x01\0\0\0\x01\x08\x06\0\0\0\x1f\x15\xc4\x89", 33);

// One triangle, (0,0,0) (1,0,0) (0,1,0), drawn twice by a child node of a translated, turned and scaled parent:
// once with a tinted file texture, once with an image the file holds.
TEST_F(WorkerTest, GltfNodeTreeMaterialsAndEmbeddedImage) {
    const std::string buffer = BytesOf<float>({0, 0, 0, 1, 0, 0, 0, 1, 0}) + BytesOf<float>({0, 0, 1, 0, 0, 1}) +
                               BytesOf<std::uint16_t>({0, 1, 2, 0}) + PngBytes;
    Write("model/data.bin", buffer);
    const std::string model = Write("model/scene.gltf", R"({"asset":{"version":"2.0"},
 "buffers":[{"uri":"data.bin","byteLength":)" + std::to_string(buffer.size()) +
                                                            R"(}],
 "bufferViews":[{"buffer":0,"byteOffset":0,"byteLength":36},{"buffer":0,"byteOffset":36,"byteLength":24},
   {"buffer":0,"byteOffset":60,"byteLength":6},{"buffer":0,"byteOffset":68,"byteLength":33}],
 "accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3","min":[0,0,0],"max":[1,1,0]},
   {"bufferView":1,"componentType":5126,"count":3,"type":"VEC2"},
   {"bufferView":2,"componentType":5123,"count":3,"type":"SCALAR"}],
 "images":[{"uri":"textures/tex%20ture.png"},{"bufferView":3,"mimeType":"image/png"}],
 "textures":[{"source":0},{"source":1}],
 "materials":[{"name":"painted","pbrMetallicRoughness":{"baseColorFactor":[0.5,0.25,1,1],"baseColorTexture":{"index":0}}},
   {"name":"decal","pbrMetallicRoughness":{"baseColorTexture":{"index":1}}}],
 "meshes":[{"name":"tri","primitives":[{"attributes":{"POSITION":0,"TEXCOORD_0":1},"indices":2,"material":0},
   {"attributes":{"POSITION":0,"TEXCOORD_0":1},"indices":2,"material":1}]}],
 "nodes":[{"name":"parent","translation":[1,2,3],"rotation":[0,0,0.70710678,0.70710678],"scale":[2,2,2],"children":[1]},
   {"name":"child","translation":[1,0,0],"mesh":0}],
 "scenes":[{"nodes":[0]}],"scene":0})");
    const TModelScene scene = ReadWithModelLibrary(model, WorkerLimitsFor(model));

    EXPECT_EQ(scene.UpAxis, 'y');
    EXPECT_EQ(scene.MetresPerUnit, 1.0);
    ASSERT_EQ(scene.Instances.size(), 2u);
    for (const TModelInstance& instance : scene.Instances) {
        EXPECT_EQ(instance.Name, "child");
        const TModelMesh& mesh = scene.Meshes.at(static_cast<std::size_t>(instance.Mesh));
        ASSERT_EQ(mesh.VertexCount(), 3u);
        ASSERT_EQ(mesh.Indices.size(), 3u);
        // Child's (1,0,0), the parent's scale 2, a quarter turn about z taking (x,y) to (-y,x), then (1,2,3).
        ExpectNear(Place(instance, mesh, mesh.Indices[0]), {1, 4, 3});
        ExpectNear(Place(instance, mesh, mesh.Indices[1]), {1, 6, 3});
        ExpectNear(Place(instance, mesh, mesh.Indices[2]), {-1, 4, 3});
        // glTF counts t from the image's top row, the engine from its bottom row.
        ASSERT_EQ(mesh.TexCoords.size(), 6u);
        EXPECT_EQ(std::vector<float>(mesh.TexCoords.begin(), mesh.TexCoords.end()),
                  (std::vector<float>{0, 1, 1, 1, 0, 0}));
        ASSERT_EQ(mesh.Normals.size(), 9u);
        EXPECT_NEAR(mesh.Normals[2], 1.0, 1e-6);  // the triangle faces +z in the mesh's own frame
    }
    const TModelMaterial& painted = MaterialNamed(scene, "painted");
    EXPECT_EQ(painted.Diffuse, (std::array<float, 4>{0.5f, 0.25f, 1, 1}));
    EXPECT_TRUE(painted.TintsImage);
    ASSERT_GE(painted.Image, 0);
    EXPECT_EQ(scene.Images[static_cast<std::size_t>(painted.Image)].Path, "textures/tex ture.png");
    const TModelMaterial& decal = MaterialNamed(scene, "decal");
    EXPECT_FALSE(decal.TintsImage);
    ASSERT_GE(decal.Image, 0);
    const TModelImage& embedded = scene.Images[static_cast<std::size_t>(decal.Image)];
    EXPECT_TRUE(embedded.Path.empty());
    EXPECT_EQ(std::string(embedded.Bytes.begin(), embedded.Bytes.end()), PngBytes);
}

// A quad of an OBJ with its material library: split into two triangles facing +z, in the material's colour
// and opacity, its texture's "file://" and %20 taken off.
TEST_F(WorkerTest, ObjQuadWithMaterialLibrary) {
    Write("model/m.mtl", "newmtl red\nKd 1 0 0\nd 0.5\nmap_Kd file://textures/red%20brick.jpg\n");
    const std::string model = Write("model/m.obj",
                                    "mtllib m.mtl\no quad\nv 0 0 0\nv 2 0 0\nv 2 1 0\nv 0 1 0\n"
                                    "vt 0 0\nvt 1 0\nvt 1 1\nvt 0 1\nusemtl red\nf 1/1 2/2 3/3 4/4\n");
    const TModelScene scene = ReadWithModelLibrary(model, WorkerLimitsFor(model));

    ASSERT_EQ(scene.Instances.size(), 1u);
    const TModelInstance& instance = scene.Instances[0];
    EXPECT_EQ(instance.World, (std::array<double, 16>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
    const TModelMesh& mesh = scene.Meshes.at(static_cast<std::size_t>(instance.Mesh));
    ASSERT_EQ(mesh.Indices.size(), 6u);
    double area = 0;
    for (std::size_t t = 0; t < 6; t += 3) {
        const TPoint a = Place(instance, mesh, mesh.Indices[t]), b = Place(instance, mesh, mesh.Indices[t + 1]),
                     c = Place(instance, mesh, mesh.Indices[t + 2]);
        const double z = (b[0] - a[0]) * (c[1] - a[1]) - (b[1] - a[1]) * (c[0] - a[0]);
        EXPECT_GT(z, 0) << "triangle " << t / 3 << " faces -z";
        area += z / 2;
    }
    EXPECT_NEAR(area, 2.0, 1e-6);
    for (std::size_t v = 0; v < mesh.VertexCount(); ++v) {
        // Each corner keeps its own texture coordinate: (x / 2, y) on this quad.
        EXPECT_NEAR(mesh.TexCoords[v * 2], mesh.Positions[v * 3] / 2, 1e-6);
        EXPECT_NEAR(mesh.TexCoords[v * 2 + 1], mesh.Positions[v * 3 + 1], 1e-6);
    }
    ASSERT_GE(mesh.Material, 0);
    const TModelMaterial& red = scene.Materials[static_cast<std::size_t>(mesh.Material)];
    EXPECT_EQ(red.Name, "red");
    EXPECT_EQ(red.Diffuse, (std::array<float, 4>{1, 0, 0, 0.5f}));
    EXPECT_FALSE(red.TintsImage);
    ASSERT_GE(red.Image, 0);
    EXPECT_EQ(scene.Images[static_cast<std::size_t>(red.Image)].Path, "textures/red brick.jpg");
}

// The bounds grow with the model, and for a .gltf with the buffers beside and below it; not with other files.
TEST_F(WorkerTest, LimitsFollowTheInput) {
    const std::string small = Write("model/small.obj", "v 0 0 0\n");
    const TWorkerLimits least = WorkerLimitsFor(small);
    EXPECT_GE(least.MemoryBytes, 128ull << 20);
    EXPECT_LE(least.MemoryBytes, 512ull << 20);
    EXPECT_GE(least.Seconds, 5);
    EXPECT_LE(least.Seconds, 30);

    const std::string gltf = Write("model/scene.gltf", "{}");
    Write("model/buffers/geometry.bin", "");
    Write("model/disc.iso", "");
    // Sparse files: their sizes cost no disk.
    std::filesystem::resize_file(Dir / "model/buffers/geometry.bin", 200ull << 20);
    std::filesystem::resize_file(Dir / "model/disc.iso", 4ull << 30);
    const TWorkerLimits withBuffers = WorkerLimitsFor(gltf);
    EXPECT_GE(withBuffers.MemoryBytes, least.MemoryBytes + (800ull << 20)) << "a 200 MB buffer needs room";
    EXPECT_LT(withBuffers.MemoryBytes, least.MemoryBytes + (8ull << 30)) << "the disc image was counted";
    EXPECT_GT(withBuffers.Seconds, least.Seconds);
}

}  // namespace
