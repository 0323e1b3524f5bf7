// The asset builder on scenes written by the tests: where each vertex lands (computed here by hand from the
// instance's matrix, or by the engine's own order of placement written out), which way mirrored faces point,
// and what each material turns into.
#include <array>
#include <chrono>
#include <cmath>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "AssetBuilder.h"

namespace {

using TVec = std::array<double, 3>;

// A unit cube about the origin with normals pointing out, wound counter-clockwise seen from outside.
TModelMesh Cube() {
    TModelMesh mesh;
    mesh.Name = "cube";
    const int faces[6][4] = {{1, 3, 7, 5}, {0, 4, 6, 2}, {2, 6, 7, 3}, {0, 1, 5, 4}, {4, 5, 7, 6}, {0, 2, 3, 1}};
    const float normals[6][3] = {{1, 0, 0}, {-1, 0, 0}, {0, 1, 0}, {0, -1, 0}, {0, 0, 1}, {0, 0, -1}};
    for (int f = 0; f < 6; ++f) {
        const auto base = static_cast<std::uint32_t>(mesh.VertexCount());
        for (int corner : faces[f]) {
            mesh.Positions.insert(mesh.Positions.end(),
                                  {corner & 1 ? 0.5f : -0.5f, corner & 2 ? 0.5f : -0.5f, corner & 4 ? 0.5f : -0.5f});
            mesh.Normals.insert(mesh.Normals.end(), normals[f], normals[f] + 3);
        }
        mesh.Indices.insert(mesh.Indices.end(), {base, base + 1, base + 2, base, base + 2, base + 3});
    }
    return mesh;
}

TModelInstance At(const std::array<double, 16>& world, const std::string& name = "node") {
    TModelInstance instance;
    instance.World = world;
    instance.Name = name;
    return instance;
}

struct TBuilt {
    std::unique_ptr<TColladaAsset> Asset;
    std::vector<std::string> Warnings;
};

TBuilt Build(const TModelScene& scene, const TBuildOptions& options = {}, std::vector<std::string> keys = {}) {
    TBuilt built;
    built.Asset = BuildAsset(scene, keys, nullptr, options, built.Warnings);
    return built;
}

// Where the engine draws a geometry vertex of a node: scaled, turned about x, y, z, then moved.
TVec Drawn(const TNode& node, TVec p) {
    for (int i = 0; i < 3; ++i) p[i] *= node.Scale[i];
    for (int axis = 0; axis < 3; ++axis) {
        const double radians = node.Rotation[axis] * M_PI / 180, c = std::cos(radians), s = std::sin(radians);
        const int u = (axis + 1) % 3, v = (axis + 2) % 3;
        const double pu = p[u], pv = p[v];
        p[u] = c * pu - s * pv;
        p[v] = s * pu + c * pv;
    }
    for (int i = 0; i < 3; ++i) p[i] += node.Position[i];
    return p;
}

const TGeometry& GeometryOf(const TColladaAsset& asset, const TNode& node) {
    return *asset.Geometries->Items[static_cast<std::size_t>(node.GeometryIndex)];
}

void ExpectNear(const TVec& actual, const TVec& expected) {
    for (int i = 0; i < 3; ++i) EXPECT_NEAR(actual[i], expected[i], 1e-5) << "coordinate " << i;
}

TEST(AssetBuilder, ATurnedScaledInstanceBecomesANodeThatDrawsWhereItsMatrixPutsIt) {
    TModelScene scene;
    scene.UpAxis = 'z';
    scene.Meshes.push_back(Cube());
    // Moved to (1, 2, 3), turned 90 degrees about z, scaled by 2: (x, y, z) goes to (1 - 2y, 2 + 2x, 3 + 2z).
    scene.Instances.push_back(At({0, -2, 0, 1, 2, 0, 0, 2, 0, 0, 2, 3, 0, 0, 0, 1}));
    const TBuilt built = Build(scene);
    ASSERT_EQ(built.Asset->VisualScenes->Items.Count(), 1);
    const TNode& node = *built.Asset->VisualScenes->Items[0];
    const TGeometry& cube = GeometryOf(*built.Asset, node);
    for (std::size_t v = 0; v < 24; ++v) {
        const double x = cube.Positions[v * 3], y = cube.Positions[v * 3 + 1], z = cube.Positions[v * 3 + 2];
        ExpectNear(Drawn(node, {x, y, z}), {1 - 2 * y, 2 + 2 * x, 3 + 2 * z});
    }
    EXPECT_EQ(cube.TriangleIndices.Count(), 36u);
    EXPECT_TRUE(built.Warnings.empty());
}

// Rotation by `degrees` about a unit axis (Rodrigues), scaled along the model's own axes first, then moved.
std::array<double, 16> Turned(TVec axis, double degrees, TVec scale, TVec move) {
    const double a = degrees * M_PI / 180, c = std::cos(a), s = std::sin(a), t = 1 - c;
    const double x = axis[0], y = axis[1], z = axis[2];
    const double r[3][3] = {{t * x * x + c, t * x * y - s * z, t * x * z + s * y},
                            {t * x * y + s * z, t * y * y + c, t * y * z - s * x},
                            {t * x * z - s * y, t * y * z + s * x, t * z * z + c}};
    std::array<double, 16> m{0, 0, 0, move[0], 0, 0, 0, move[1], 0, 0, 0, move[2], 0, 0, 0, 1};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) m[row * 4 + column] = r[row][column] * scale[column];
    return m;
}

TEST(AssetBuilder, AnyTurnAboutAnyAxisWithAnyScaleIsANodeThatDrawsEveryVertexWhereTheMatrixPutsIt) {
    TModelScene scene;
    scene.UpAxis = 'z';
    scene.Meshes.push_back(Cube());
    std::vector<std::array<double, 16>> worlds;
    // Straight up or down the y turn, where only the sum or difference of the other two turns is defined.
    worlds.push_back(Turned({0, 1, 0}, 90, {1, 2, 3}, {1, 2, 3}));
    worlds.push_back(Turned({0, 1, 0}, -90, {1, 1, 1}, {0, 0, 0}));
    for (int i = 0; i < 200; ++i) {
        const double u = std::sin(i * 1.7), v = std::cos(i * 2.3), w = std::sin(i * 0.9 + 1);
        const double length = std::sqrt(u * u + v * v + w * w);
        worlds.push_back(Turned({u / length, v / length, w / length}, i * 7.3 - 700,
                                {0.05 + (i % 7) * 3.0, 0.5 + (i % 5), 1.0 + (i % 3) * 8}, {i * 0.5, -i * 0.25, 3.0}));
    }
    for (const auto& world : worlds) scene.Instances.push_back(At(world));
    const TBuilt built = Build(scene);
    ASSERT_EQ(built.Asset->VisualScenes->Items.Count(), static_cast<int>(worlds.size()));
    EXPECT_EQ(built.Asset->Geometries->Items.Count(), 1);  // every one of them a placement, none a copy
    for (std::size_t i = 0; i < worlds.size(); ++i) {
        const TNode& node = *built.Asset->VisualScenes->Items[static_cast<int>(i)];
        const auto& m = worlds[i];
        for (const TVec& p : {TVec{0.5, 0.5, 0.5}, TVec{-0.5, 0.5, -0.5}, TVec{0.5, -0.5, -0.5}}) {
            const TVec drawn = Drawn(node, p);
            for (int r = 0; r < 3; ++r) {
                const double expected = m[r * 4] * p[0] + m[r * 4 + 1] * p[1] + m[r * 4 + 2] * p[2] + m[r * 4 + 3];
                ASSERT_NEAR(drawn[r], expected, 2e-4 * (1 + std::fabs(expected))) << "instance " << i;
            }
        }
    }
}

TEST(AssetBuilder, AShearOrAZeroScaleIsCopiedWhereItPutsTheVerticesAndTwoMirrorsAreAHalfTurn) {
    TModelScene scene;
    scene.UpAxis = 'z';
    scene.Meshes.push_back(Cube());
    scene.Instances.push_back(At({1, 0.5, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, "shear"));
    scene.Instances.push_back(At({0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, "flat"));
    scene.Instances.push_back(At({-2, 0, 0, 0, 0, -1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, "half-turn"));
    const TBuilt built = Build(scene);
    const TColladaAsset& asset = *built.Asset;
    ASSERT_EQ(asset.VisualScenes->Items.Count(), 3);
    EXPECT_EQ(asset.Geometries->Items.Count(), 3);  // the cube's own, and the copies of the first two
    const TGeometry& sheared = GeometryOf(asset, *asset.VisualScenes->Items[0]);
    // The source's first vertex, (0.5, -0.5, -0.5), sheared: x + y / 2.
    ExpectNear({sheared.Positions[0], sheared.Positions[1], sheared.Positions[2]}, {0.25, -0.5, -0.5});
    const TNode& halfTurn = *asset.VisualScenes->Items[2];
    ExpectNear(Drawn(halfTurn, {0.5, 0.5, 0.5}), {-1, -0.5, 0.5});
}

TEST(AssetBuilder, AMirroredInstanceIsMovedIntoItsOwnGeometryWithItsFacesStillFacingOut) {
    TModelScene scene;
    scene.UpAxis = 'z';
    scene.Meshes.push_back(Cube());
    scene.Instances.push_back(At({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, "left"));
    // Mirrored in x and moved to x = 5: (x, y, z) goes to (5 - x, y, z).
    scene.Instances.push_back(At({-1, 0, 0, 5, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, "right"));
    const TBuilt built = Build(scene);
    ASSERT_EQ(built.Asset->VisualScenes->Items.Count(), 2);
    EXPECT_EQ(built.Asset->Geometries->Items.Count(), 2);
    const TNode& right = *built.Asset->VisualScenes->Items[1];
    ExpectNear(Drawn(right, {0, 0, 0}), {0, 0, 0});  // the copy is placed by the identity
    const TGeometry& copy = GeometryOf(*built.Asset, right);
    const TModelMesh source = Cube();
    for (std::size_t v = 0; v < 24; ++v)
        ExpectNear({copy.Positions[v * 3], copy.Positions[v * 3 + 1], copy.Positions[v * 3 + 2]},
                   {5 - source.Positions[v * 3], source.Positions[v * 3 + 1], source.Positions[v * 3 + 2]});
    const TVec centre{5, 0, 0};
    for (std::size_t t = 0; t < copy.TriangleIndices.Count(); t += 3) {
        TVec corner[3];
        for (int c = 0; c < 3; ++c)
            for (int k = 0; k < 3; ++k)
                corner[c][k] = copy.Positions[static_cast<std::size_t>(copy.TriangleIndices[t + c]) * 3 + k];
        // The face's outward direction, from the cube's centre to the face's middle, known without the builder.
        TVec out{}, face{};
        for (int k = 0; k < 3; ++k) out[k] = (corner[0][k] + corner[1][k] + corner[2][k]) / 3 - centre[k];
        const TVec u{corner[1][0] - corner[0][0], corner[1][1] - corner[0][1], corner[1][2] - corner[0][2]};
        const TVec v{corner[2][0] - corner[0][0], corner[2][1] - corner[0][1], corner[2][2] - corner[0][2]};
        face = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
        EXPECT_GT(face[0] * out[0] + face[1] * out[1] + face[2] * out[2], 0)
            << "triangle " << t / 3 << " wound inwards";
        const std::size_t first = static_cast<std::size_t>(copy.TriangleIndices[t]) * 3;
        const double normalOut =
            copy.Normals[first] * out[0] + copy.Normals[first + 1] * out[1] + copy.Normals[first + 2] * out[2];
        EXPECT_GT(normalOut, 0) << "triangle " << t / 3 << " has a normal pointing in";
    }
    ASSERT_EQ(built.Warnings.size(), 1u);
    EXPECT_EQ(built.Warnings[0],
              "1 instance(s) mirrored or sheared by their nodes: their vertices were transformed instead");
}

TEST(AssetBuilder, CentimetresWithYUpBecomeMetresWithEitherAxisUpAndASizeScalesTheWhole) {
    TModelScene scene;
    scene.MetresPerUnit = 0.01;
    scene.UpAxis = 'y';
    scene.Meshes.push_back(Cube());
    scene.Instances.push_back(At({100, 0, 0, 0, 0, 100, 0, 300, 0, 0, 100, 0, 0, 0, 0, 1}));  // 1 m cube, 3 m up
    const auto top = [](const TBuilt& built) {
        const TNode& node = *built.Asset->VisualScenes->Items[0];
        return Drawn(node, {0, 0.5, 0});  // the centre of the cube's top face in its own y-up frame
    };
    TBuildOptions zUp;
    ExpectNear(top(Build(scene, zUp)), {0, 0, 3.5});
    TBuildOptions yUp;
    yUp.UpAxis = 'y';
    ExpectNear(top(Build(scene, yUp)), {0, 3.5, 0});
    TBuildOptions sized;
    sized.SizeMetres = 10;  // the 1 m cube becomes 10 m
    ExpectNear(top(Build(scene, sized)), {0, 0, 35});
}

TEST(AssetBuilder, MaterialsBecomeEffectsWithTheirImageOrAPlainOneAndTheirColourInTheVertices) {
    TModelScene scene;
    scene.UpAxis = 'z';
    scene.Images.push_back({"wood", "wood.png", {}});
    scene.Materials.push_back({"red", {1, 0, 0, 1}, -1, false});
    scene.Materials.push_back({"wood", {0.5f, 0.5f, 0.5f, 1}, 0, false});
    scene.Materials.push_back({"tinted", {0, 1, 0, 0.5f}, 0, true});
    for (int material = 0; material < 3; ++material) {
        scene.Meshes.push_back(Cube());
        scene.Meshes.back().TexCoords.assign(24 * 2, 0.25f);
        scene.Meshes.back().Material = material;
        scene.Instances.push_back(At({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
        scene.Instances.back().Mesh = material;
    }
    TBuildOptions options;
    options.PlainImageKey = "#white";
    const TBuilt built = Build(scene, options, {"/models/wood.png"});
    const TColladaAsset& asset = *built.Asset;
    ASSERT_EQ(asset.VisualScenes->Items.Count(), 3);
    const auto image = [&](int node) { return *asset.TextureFileOf(*asset.VisualScenes->Items[node]); };
    EXPECT_EQ(image(0), "#white");
    EXPECT_EQ(image(1), "/models/wood.png");
    EXPECT_EQ(image(2), "/models/wood.png");
    const auto colour = [&](int node) {
        const TGeometry& g = GeometryOf(asset, *asset.VisualScenes->Items[node]);
        return g.Colors.Empty() ? std::vector<float>{} : std::vector<float>(g.Colors.begin(), g.Colors.begin() + 4);
    };
    EXPECT_EQ(colour(0), (std::vector<float>{1, 0, 0, 1}));
    EXPECT_EQ(colour(1), std::vector<float>{});  // its image alone: drawn white under it
    EXPECT_EQ(colour(2), (std::vector<float>{0, 1, 0, 0.5f}));
    EXPECT_TRUE(GeometryOf(asset, *asset.VisualScenes->Items[0]).TexCoords.Empty());
    EXPECT_EQ(GeometryOf(asset, *asset.VisualScenes->Items[1]).TexCoords[0], 0.25f);
    // Linked as the engine's own link passes would link them.
    const TNode& wood = *asset.VisualScenes->Items[1];
    EXPECT_EQ(asset.Effects->IndexOf(wood.MaterialSymbol + "-fx"), wood.EffectIndex);
    EXPECT_EQ(asset.Geometries->IndexOf(wood.GeometryName), wood.GeometryIndex);
}

TEST(AssetBuilder, WhatCannotBeDrawnIsLeftOutWithAWarningAndNamesStayUniqueInLinearTime) {
    TModelScene scene;
    scene.UpAxis = 'z';
    scene.Meshes.push_back(Cube());
    scene.Meshes[0].Indices.insert(scene.Meshes[0].Indices.end(), {0, 1, 4000000000u});
    scene.Meshes[0].Colors.assign(5, 1.0f);
    for (int i = 0; i < 100000; ++i)
        scene.Instances.push_back(At({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, "a"));
    scene.Instances[1].Name = "a-2";
    const auto start = std::chrono::steady_clock::now();
    const TBuilt built = Build(scene);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    const TColladaAsset& asset = *built.Asset;
    ASSERT_EQ(asset.VisualScenes->Items.Count(), 100000);
    EXPECT_EQ(asset.VisualScenes->Items[0]->Name, "a");
    EXPECT_EQ(asset.VisualScenes->Items[1]->Name, "a-2");
    EXPECT_EQ(asset.VisualScenes->Items[2]->Name, "a-3");
    EXPECT_EQ(asset.VisualScenes->Items[99999]->Name, "a-100000");
    EXPECT_EQ(asset.Geometries->Items.Count(), 1);
    EXPECT_EQ(asset.Geometries->Items[0]->TriangleIndices.Count(), 36u);
    EXPECT_TRUE(asset.Geometries->Items[0]->Colors.Count() == 24 * 4);  // the material's colour alone
    EXPECT_EQ(built.Warnings,
              (std::vector<std::string>{"mesh \"cube\": its colours do not match its vertices and are left out",
                                        "mesh \"cube\": 1 primitive(s) with indices past its vertices left out"}));
}

}  // namespace
