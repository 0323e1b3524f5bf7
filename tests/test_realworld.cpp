// Files written by real exporters load with the counts their text gives under the reading rules: only the
// first <triangles> (or <lines>) of a mesh, only top-level nodes of the first scene, names matched exactly.
#include "LoaderFixture.h"

namespace {

class RealWorldTest : public LoaderTest {
protected:
    TLoadResult LoadReal(const std::string& relative) { return LoadFile(std::string(REALWORLD_DIR) + "/" + relative); }
};

struct TExpectedGeometry {
    int Index;
    const char* Name;
    std::size_t Vertices;  // after expansion: one per corner of the first primitive block
    bool Normals, TexCoords, Colors;
    long long OutOfRange = 0;  // slots whose index lies outside the stream they feed
};

struct TExpectedFile {
    const char* File;
    int Geometries;
    int Nodes;
    std::vector<TExpectedGeometry> Checked;
};

TEST_F(RealWorldTest, ConventionFilesLoadWithTheirCounts) {
    const std::vector<TExpectedFile> files = {
        {"away3d/square.dae", 1, 1, {{0, "Cylinder-Geometry", 128 * 3, true, true, false}}},
        {"away3d/workshopgood.dae",
         2,
         2,
         {{0, "Workshop-Geometry", 53 * 3, true, true, false}, {1, "Cylinder-Geometry", 24 * 3, true, false, false}}},
        {"bullet/arm_flanche.dae", 1, 1, {{0, "flanche_001", 94 * 3, true, false, true}}},
        {"bullet/arm_segment_a.dae", 1, 1, {{0, "segment-Geometry", 1232 * 3, true, false, false}}},
        {"c3dl/plane.dae", 1, 1, {{0, "Plane-Geometry", 2 * 3, true, false, false}}},
        {"c3dl/cube.dae", 1, 1, {{0, "Cube-Geometry", 12 * 3, true, true, false}}},
        {"c3dl/asteroid2.dae", 1, 1, {{0, "Cube-Geometry", 192 * 3, true, true, false}}},
        {"c3dl/gun.dae", 1, 1, {{0, "gun-mesh", 1074 * 3, true, true, true}}},
        {"c3dl/skysphere.dae", 1, 0, {{0, "mesh1-geometry", 720 * 3, true, true, true}}},
        {"c3dl/sphere.dae", 1, 1, {{0, "Sphere_001", 64 * 3, true, true, false}}},
        {"c3dl/clock.dae", 1, 0, {{0, "test_001", 8 * 3, true, true, false}}},
        {"cubicvr/wall_smash.dae",
         4,
         83,
         {{0, "Cube_001-V000", 192 * 3, true, false, false}, {2, "Cube-V000", 12 * 3, true, false, false}}},
        // Normals sit inside <vertices>: two slots per corner for three found sources, so the slots are read
        // in groups of three and texture-coordinate indices land on the smaller position and normal sources.
        {"bullet/jenga.dae", 76, 73, {{1, "Mesh", 2737 * 3 * 2 / 3, true, true, false, 3588}}},
    };
    for (const auto& file : files) {
        SCOPED_TRACE(file.File);
        const auto r = LoadReal(file.File);
        ASSERT_TRUE(r.Loaded) << r.Error;
        EXPECT_EQ(r.Asset->Geometries->Items.Count(), file.Geometries);
        EXPECT_EQ(r.Asset->VisualScenes->Items.Count(), file.Nodes);
        for (const auto& g : file.Checked) {
            const TGeometry& geometry = r.Geometry(g.Index);
            EXPECT_EQ(geometry.Name, g.Name);
            ASSERT_EQ(geometry.TriangleIndices.Count(), g.Vertices) << g.Name;
            EXPECT_EQ(geometry.TriangleIndices[g.Vertices - 1], static_cast<int>(g.Vertices - 1));
            EXPECT_EQ(geometry.Positions.Count(), g.Vertices * 3);
            EXPECT_EQ(geometry.Normals.Count(), g.Normals ? g.Vertices * 3 : 0);
            EXPECT_EQ(geometry.TexCoords.Count(), g.TexCoords ? g.Vertices * 2 : 0);
            EXPECT_EQ(geometry.Colors.Count(), g.Colors ? g.Vertices * 4 : 0);
            EXPECT_TRUE(geometry.LineIndices.Empty());
            EXPECT_EQ(geometry.OutOfRangeIndices, g.OutOfRange);
            EXPECT_EQ(geometry.DroppedSlots, 0);
        }
    }
}

TEST_F(RealWorldTest, TexturedCylinderIsLinkedAndExpanded) {
    const auto r = LoadReal("away3d/square.dae");
    ASSERT_TRUE(r.Loaded) << r.Error;
    const TNode& node = r.Node(0);
    EXPECT_EQ(node.Name, "Cylinder");
    EXPECT_EQ(Values(node.Position), (std::vector<float>{0, 0, 0}));
    EXPECT_EQ(Values(node.Scale), (std::vector<float>{1, 1, 1}));
    EXPECT_EQ(node.GeometryIndex, 0);
    EXPECT_EQ(node.MaterialSymbol, "face");
    ASSERT_EQ(node.EffectIndex, 0);
    ASSERT_EQ(r.Effect(0).ImageIndex, 0);
    EXPECT_EQ(r.Asset->Images->FileNames[0], "D:\\Dictator\\src\\ppvdemo4\\images\\green.jpg");
    // The first corner's slots are 64, 0, 0.
    const TGeometry& g = r.Geometry(0);
    EXPECT_EQ(std::vector<float>(g.Positions.begin(), g.Positions.begin() + 3),
              (std::vector<float>{0.105f, 0.07308f, -0.36522f}));
    EXPECT_EQ(std::vector<float>(g.Normals.begin(), g.Normals.begin() + 3),
              (std::vector<float>{0.27133f, 0.18884f, -0.94378f}));
    EXPECT_EQ(std::vector<float>(g.TexCoords.begin(), g.TexCoords.begin() + 2),
              (std::vector<float>{0.50469f, 0.49837f}));
}

TEST_F(RealWorldTest, VertexColoursFeedTheFourthSlot) {
    const auto r = LoadReal("c3dl/gun.dae");
    ASSERT_TRUE(r.Loaded) << r.Error;
    const TGeometry& g = r.Geometry(0);
    EXPECT_EQ(std::vector<float>(g.Positions.end() - 3, g.Positions.end()),
              (std::vector<float>{-0.1171f, -0.02524f, 0.15902f}));
    EXPECT_EQ(std::vector<float>(g.Colors.end() - 4, g.Colors.end()), (std::vector<float>{1, 1, 1, 1}));
    // The symbol, not the primitive's material attribute, selects the effect.
    EXPECT_EQ(r.Node(0).MaterialSymbol, "i__-_Default_001");
    EXPECT_EQ(r.Node(0).EffectIndex, 0);
}

TEST_F(RealWorldTest, NodesThatAreNotDrawn) {
    const auto jenga = LoadReal("bullet/jenga.dae");
    ASSERT_TRUE(jenga.Loaded) << jenga.Error;
    // Without <scale> the node keeps its transform but never reads its geometry.
    EXPECT_EQ(jenga.Node(0).Name, "Font_001");
    EXPECT_EQ(Values(jenga.Node(0).Rotation), (std::vector<float>{90, 0, 0}));
    EXPECT_TRUE(jenga.Node(0).Scale.Empty());
    EXPECT_EQ(jenga.Node(0).GeometryIndex, -1);
    EXPECT_EQ(jenga.Node(1).Name, "Font");
    EXPECT_EQ(jenga.Node(1).GeometryIndex, 1);
    EXPECT_EQ(Values(jenga.Node(1).Scale), (std::vector<float>{0.59992f, 0.59992f, 0.59992f}));

    const auto arm = LoadReal("bullet/arm_segment_a.dae");
    ASSERT_TRUE(arm.Loaded) << arm.Error;
    EXPECT_TRUE(arm.Node(0).Position.Empty());
    EXPECT_EQ(arm.Node(0).GeometryIndex, -1);
    EXPECT_EQ(arm.Node(0).EffectIndex, -1);
}

TEST_F(RealWorldTest, OtherConventionsLoadWithoutStreams) {
    const auto gem = LoadReal("other/gem.dae");
    ASSERT_TRUE(gem.Loaded) << gem.Error;
    EXPECT_EQ(gem.Asset->VisualScenes->Items.Count(), 0);
    EXPECT_TRUE(gem.Geometry(0).Positions.Empty());
    EXPECT_EQ(gem.Geometry(0).TriangleIndices.Count(), 720u * 3 * 3);

    const auto logo = LoadReal("other/c3DL_logo.dae");
    ASSERT_TRUE(logo.Loaded) << logo.Error;
    EXPECT_EQ(logo.Geometry(0).Name, "Text01");
    EXPECT_EQ(logo.Geometry(0).TriangleIndices.Count(), 536u * 3 * 3);
    EXPECT_EQ(logo.Effect(0).Name, "Material__2");
    EXPECT_EQ(logo.Effect(0).ImageName, "c3DL_UVTexture.jpg");
    EXPECT_EQ(logo.Effect(0).ImageIndex, -1);
}

TEST_F(RealWorldTest, FilesOutsideTheSubsetFailTheLoad) {
    auto r = LoadReal("other/duck_triangulate.dae");
    ExpectErrorAt(r, 67, "effect", "has no attribute \"name\"");
    r = LoadReal("other/cubo.dae");
    ExpectErrorAt(r, 99, "geometry", "has no attribute \"name\"");
    // A node whose <rotate> is followed by <translate> and a bound <instance_geometry>: the rotation loop
    // reads the text of the instance, which holds elements.
    r = LoadReal("bullet/colladaphysics_spherebox.dae");
    ExpectErrorAt(r, 426, "instance_geometry");
}

}  // namespace
