// Node trees: world positions of nested, instanced, mirrored and matrix-placed nodes worked out by hand, the
// scene that <scene> names, skins in their bind shape, and the bounds on cycles and repetition.
#include "ColladaReaderFixture.h"

namespace {

const std::string Square = "<library_geometries>" + SquareGeometry(TrianglesOfSquare()) + "</library_geometries>\n";

TEST_F(ColladaReaderTest, NestedTransformsApplyInDocumentOrder) {
    // The corner (1 0 0): scaled by 2 to (2 0 0), moved to (3 0 0), turned 90 degrees about z to (0 3 0), moved
    // to (10 3 0).
    const auto r = Read(DocumentText(Square, R"(<node id="parent"><translate>10 0 0</translate><rotate>0 0 1 90</rotate>
        <node id="child"><translate>1 0 0</translate><scale>2 2 2</scale>
        <instance_geometry url="#square"/></node></node>)"));
    ASSERT_FALSE(r.Raised) << r.Error;
    ASSERT_EQ(r.Scene.Instances.size(), 1u);
    EXPECT_EQ(r.Scene.Instances[0].Name, "child");
    EXPECT_POINT(r.World(0, 1), 10, 3, 0);
    EXPECT_POINT(r.World(0, 2), 8, 3, 0);  // (1 1 0) -> (2 2 0) -> (3 2 0) -> (-2 3 0) -> (8 3 0)
}

TEST_F(ColladaReaderTest, MatrixWithLeadingSpacesLookatAndSkew) {
    const auto r = Read(DocumentText(Square, R"(<node><matrix>
          1 0 0 5  0 1 0 6  0 0 1 7  0 0 0 1 </matrix><instance_geometry url="#square"/></node>
        <node><lookat>5 0 0  0 0 0  0 0 1</lookat><instance_geometry url="#square"/></node>
        <node><skew>45  0 1 0  1 0 0</skew><instance_geometry url="#square"/></node>)"));
    ASSERT_EQ(r.Scene.Instances.size(), 3u);
    EXPECT_POINT(r.World(0, 2), 6, 7, 7);
    // Looking from (5 0 0) at the origin with z up: the local x axis points along +y, y along +z, and the
    // local -z (ahead) towards the origin.
    EXPECT_POINT(r.World(1, 0), 5, 0, 0);
    EXPECT_POINT(r.World(1, 1), 5, 1, 0);
    EXPECT_POINT(r.World(1, 3), 5, 0, 1);
    // Skewed by 45 degrees: y leans towards x, so (0 1 0) moves to (1 1 0) and (1 1 0) to (2 1 0).
    EXPECT_POINT(r.World(2, 3), 1, 1, 0);
    EXPECT_POINT(r.World(2, 2), 2, 1, 0);
}

TEST_F(ColladaReaderTest, AGeometryPlacedByManyNodesIsOneMeshWithAnInstanceEach) {
    const auto r =
        Read(DocumentText("<library_nodes><node id=\"lib\"><translate>0 0 1</translate>"
                          "<instance_geometry url=\"#square\"/></node></library_nodes>" +
                              Square,
                          R"(<node><translate>10 0 0</translate><instance_node url="#lib"/></node>
        <node><translate>20 0 0</translate><instance_node url="#lib"/></node>
        <node><scale>-1 1 1</scale><instance_geometry url="#square"/></node>)"));
    ASSERT_EQ(r.Scene.Meshes.size(), 1u);
    ASSERT_EQ(r.Scene.Instances.size(), 3u);
    EXPECT_POINT(r.World(0, 1), 11, 0, 1);
    EXPECT_POINT(r.World(1, 1), 21, 0, 1);
    // A mirrored placement is kept as it is: the builder turns the faces back.
    EXPECT_POINT(r.World(2, 1), -1, 0, 0);
    EXPECT_EQ(r.Scene.Instances[2].World[0], -1.0);
}

TEST_F(ColladaReaderTest, SceneNamedBySceneElementAndFrameOfTheDocument) {
    const std::string text =
        "<?xml version=\"1.0\"?><COLLADA><asset><unit meter=\"0.0254\"/><up_axis>Z_UP</up_axis>"
        "</asset>" +
        Square + R"(<library_visual_scenes>
        <visual_scene id="first"><node><instance_geometry url="#square"/></node></visual_scene>
        <visual_scene id="second"><node><translate>0 0 9</translate><instance_geometry url="#square"/></node>
        </visual_scene></library_visual_scenes><scene><instance_visual_scene url="#second"/></scene></COLLADA>)";
    const auto r = Read(text);
    ASSERT_EQ(r.Scene.Instances.size(), 1u);
    EXPECT_POINT(r.World(0, 0), 0, 0, 9);
    EXPECT_DOUBLE_EQ(r.Scene.MetresPerUnit, 0.0254);
    EXPECT_EQ(r.Scene.UpAxis, 'z');
}

TEST_F(ColladaReaderTest, SkinIsDrawnInItsBindShapeWhereverItsNodeStands) {
    const auto r = Read(DocumentText(Square + R"(<library_controllers><controller id="skin"><skin source="#square">
        <bind_shape_matrix>1 0 0 5 0 1 0 0 0 0 1 0 0 0 0 1</bind_shape_matrix></skin></controller>
        <controller id="morph"><morph source="#square"/></controller></library_controllers>)",
                                     R"(<node><translate>100 0 0</translate><instance_controller url="#skin"/>
        <instance_controller url="#morph"/></node>)"));
    ASSERT_EQ(r.Scene.Instances.size(), 2u);
    EXPECT_POINT(r.World(0, 1), 6, 0, 0);
    EXPECT_POINT(r.World(1, 1), 101, 0, 0);
}

TEST_F(ColladaReaderTest, CyclesAreRefusedAndRepetitionIsBounded) {
    const auto cycle =
        Read(DocumentText("<library_nodes><node id=\"a\"><instance_geometry url=\"#square\"/>"
                          "<node id=\"b\"><instance_node url=\"#a\"/></node></node></library_nodes>" +
                              Square,
                          "<node><instance_node url=\"#a\"/></node>"));
    ASSERT_FALSE(cycle.Raised) << cycle.Error;
    EXPECT_EQ(cycle.Scene.Instances.size(), 1u);
    ASSERT_TRUE(cycle.HasNote("instance-cycle"));
    EXPECT_EQ(cycle.Note("instance-cycle")->Element, "<instance_node>");

    // Eight levels of eight instances each would place 8^8 = 16.7 million squares from a few hundred bytes.
    std::string library = "<library_nodes><node id=\"n0\"><instance_geometry url=\"#square\"/></node>";
    for (int level = 1; level <= 8; ++level) {
        library += "<node id=\"n" + std::to_string(level) + "\">";
        for (int i = 0; i < 8; ++i) library += "<instance_node url=\"#n" + std::to_string(level - 1) + "\"/>";
        library += "</node>";
    }
    const auto bounded =
        Read(DocumentText(library + "</library_nodes>" + Square, "<node><instance_node url=\"#n8\"/></node>"));
    ASSERT_FALSE(bounded.Raised) << bounded.Error;
    EXPECT_TRUE(bounded.HasNote("node-bound") || bounded.HasNote("instance-bound"));
    EXPECT_LE(bounded.Scene.Instances.size(), std::size_t(1) << 20);
    EXPECT_GT(bounded.Scene.Instances.size(), 100000u);
}

}  // namespace
