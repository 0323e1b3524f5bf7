// Scene nodes: the flat walk over the first visual scene, transforms read by position, and the geometry and
// material names a node carries into the link passes.
#include "LoaderFixture.h"

namespace {

using NodeTest = LoaderTest;
using F = std::vector<float>;

const std::string Cube = Mesh("Cube", Source("Cube-Position", 3, "0 0 0"));

TEST_F(NodeTest, TransformsAreReadInOrder) {
    const auto r = Load(Collada(Geometries(Cube) + SceneWith(PlacedNode("A", "#Cube") + R"(
        <node name="B"><translate>-1 0.5 2e1</translate>
          <rotate sid="rotateZ">0 0 1 -90</rotate><rotate>0 1 0 45.5</rotate><rotate>1 0 0 -0.00000</rotate>
          <scale>0.5 2 3</scale><instance_geometry url="#Cube"/></node>)")));
    ASSERT_TRUE(r.Loaded) << r.Error;
    ASSERT_EQ(r.Asset->VisualScenes->Items.Count(), 2);
    const TNode& a = r.Node(0);
    EXPECT_EQ(a.Name, "A");
    EXPECT_EQ(Values(a.Position), (F{1, 2, 3}));
    EXPECT_EQ(Values(a.Rotation), (F{10, 20, 30}));
    EXPECT_EQ(Values(a.Scale), (F{1, 1, 1}));
    EXPECT_EQ(a.GeometryName, "Cube");
    EXPECT_EQ(a.GeometryIndex, 0);
    EXPECT_TRUE(a.TextureIndices.empty());
    const TNode& b = r.Node(1);
    EXPECT_EQ(Values(b.Position), (F{-1, 0.5f, 20}));
    EXPECT_EQ(Values(b.Rotation), (F{0, 45.5f, -90}));
    EXPECT_EQ(Values(b.Scale), (F{0.5f, 2, 3}));
}

// Only the position of each of the three elements after the first <rotate> counts: the axes are never read,
// and a non-rotation among them gives its fourth number or nothing.
TEST_F(NodeTest, RotationsByPositionNotByAxis) {
    const auto r = Load(Collada(Geometries(Cube) + SceneWith(R"(
        <node name="Axes"><translate>0 0 0</translate><rotate>1 0 0 30</rotate><rotate>1 0 0 20</rotate>
          <rotate>0 0 1 10</rotate><scale>1 1 1</scale><instance_geometry url="#Cube"/></node>
        <node name="One"><translate>0 0 0</translate><rotate>0 0 1 30</rotate><scale>2 2 2 45</scale>
          <instance_geometry url="#Cube"/></node>
        <node name="None"><translate>0 0 0</translate><scale>1 1 1</scale><instance_geometry url="#Cube"/></node>
        <node name="Short"><translate>0 0 0</translate><rotate>0 0 30</rotate><rotate/><rotate>0 0 1 7 8</rotate>
          <scale>1 1 1</scale><instance_geometry url="#Cube"/></node>)")));
    ASSERT_TRUE(r.Loaded) << r.Error;
    EXPECT_EQ(Values(r.Node(0).Rotation), (F{10, 20, 30}));
    EXPECT_EQ(Values(r.Node(1).Rotation), (F{0, 45, 30}));
    EXPECT_EQ(Values(r.Node(1).Scale), (F{2, 2, 2}));
    EXPECT_EQ(Values(r.Node(2).Rotation), (F{0, 0, 0}));
    EXPECT_EQ(Values(r.Node(3).Rotation), (F{7, 0, 0}));
}

TEST_F(NodeTest, UrlLosesItsFirstCharacterWhateverItIs) {
    const auto r = Load(Collada(Geometries(Mesh("Tree", "") + Mesh("ree", "")) +
                                SceneWith(PlacedNode("Hash", "#Tree") + PlacedNode("Bare", "Tree") +
                                          PlacedNode("Empty", "") + PlacedNode("One", "#"))));
    ASSERT_TRUE(r.Loaded) << r.Error;
    EXPECT_EQ(r.Node(0).GeometryName, "Tree");
    EXPECT_EQ(r.Node(0).GeometryIndex, 0);
    EXPECT_EQ(r.Node(1).GeometryName, "ree");
    EXPECT_EQ(r.Node(1).GeometryIndex, 1);
    EXPECT_EQ(r.Node(2).GeometryName, "");
    EXPECT_EQ(r.Node(2).GeometryIndex, -1);
    EXPECT_EQ(r.Node(3).GeometryName, "");
    EXPECT_EQ(r.Node(3).GeometryIndex, -1);
}

TEST_F(NodeTest, MaterialSymbolNeedsTheWholeBindingPath) {
    const auto r = Load(Collada(Geometries(Cube) + SceneWith(PlacedNode("Bound", "#Cube", "Wood") + R"(
        <node name="NoBind"><translate>0 0 0</translate><scale>1 1 1</scale>
          <instance_geometry url="#Cube"/></node>
        <node name="NoTechnique"><translate>0 0 0</translate><scale>1 1 1</scale><instance_geometry url="#Cube">
          <bind_material><instance_material symbol="Lost"/></bind_material></instance_geometry></node>
        <node name="Two"><translate>0 0 0</translate><scale>1 1 1</scale><instance_geometry url="#Cube">
          <bind_material><technique_common><instance_material symbol="First"/>
          <instance_material symbol="Second"/></technique_common></bind_material></instance_geometry>
          <instance_geometry url="#Other"/></node>)")));
    ASSERT_TRUE(r.Loaded) << r.Error;
    EXPECT_EQ(r.Node(0).MaterialSymbol, "Wood");
    EXPECT_EQ(r.Node(1).MaterialSymbol, "");
    EXPECT_EQ(r.Node(1).EffectIndex, -1);
    EXPECT_EQ(r.Node(2).MaterialSymbol, "");
    EXPECT_EQ(r.Node(3).MaterialSymbol, "First");
    EXPECT_EQ(r.Node(3).GeometryName, "Cube");
}

// A node keeps what it read up to the first missing part and is then never drawn (no geometry name).
TEST_F(NodeTest, IncompleteTransformsKeepTheNode) {
    const auto r = Load(Collada(Geometries(Cube) + SceneWith(R"(
        <node name="Matrix"><matrix>1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1</matrix><instance_geometry url="#Cube"/></node>
        <node name="NoScale"><translate>1 2 3</translate><rotate>0 0 1 5</rotate>
          <instance_geometry url="#Cube"/></node>)")));
    ASSERT_TRUE(r.Loaded) << r.Error;
    ASSERT_EQ(r.Asset->VisualScenes->Items.Count(), 2);
    const TNode& matrix = r.Node(0);
    EXPECT_EQ(matrix.Name, "Matrix");
    EXPECT_TRUE(matrix.Position.Empty() && matrix.Rotation.Empty() && matrix.Scale.Empty());
    EXPECT_EQ(matrix.GeometryName, "");
    EXPECT_EQ(matrix.GeometryIndex, -1);
    const TNode& noScale = r.Node(1);
    EXPECT_EQ(Values(noScale.Position), (F{1, 2, 3}));
    EXPECT_EQ(Values(noScale.Rotation), (F{0, 0, 5}));
    EXPECT_TRUE(noScale.Scale.Empty());
    EXPECT_EQ(noScale.GeometryIndex, -1);
}

// The scene is read flat: top-level elements from the first <node> on that instance a geometry directly.
TEST_F(NodeTest, OnlyTopLevelInstancesOfTheFirstScene) {
    const auto r = Load(Collada(Geometries(Cube) + R"(<library_visual_scenes>
        <visual_scene id="First">
          <extra><node name="Early"/></extra>
          <node name="Lamp"><translate>0 0 0</translate><instance_light url="#l"/></node>
          <!-- a comment among the nodes -->
          <node name="Group"><translate>0 0 0</translate>)" +
                                PlacedNode("Child", "#Cube") + R"(</node>
          <node name="Plain"><translate>0 0 0</translate><scale>1 1 1</scale><instance_geometry url="#Cube"/></node>
          <technique name="Odd"><translate>0 0 0</translate><scale>1 1 1</scale><instance_geometry url="#Cube"/></technique>
        </visual_scene>
        <visual_scene id="Second">)" +
                                PlacedNode("Ignored", "#Cube") + R"(</visual_scene>
      </library_visual_scenes>)"));
    ASSERT_TRUE(r.Loaded) << r.Error;
    ASSERT_EQ(r.Asset->VisualScenes->Items.Count(), 2);
    EXPECT_EQ(r.Node(0).Name, "Plain");
    EXPECT_EQ(r.Node(1).Name, "Odd");
}

TEST_F(NodeTest, EmptyFirstSceneHidesTheSecond) {
    const auto r = Load(Collada(Geometries(Cube) + "<library_visual_scenes><visual_scene/><visual_scene>" +
                                PlacedNode("N", "#Cube") + "</visual_scene></library_visual_scenes>"));
    ASSERT_TRUE(r.Loaded) << r.Error;
    EXPECT_EQ(r.Asset->VisualScenes->Items.Count(), 0);

    const auto noScene = Load(Collada(Geometries(Cube) + "<library_visual_scenes/>"));
    ASSERT_TRUE(noScene.Loaded) << noScene.Error;
    EXPECT_EQ(noScene.Asset->VisualScenes->Items.Count(), 0);
}

}  // namespace
