// Primitive blocks: faces of polygons, strips and fans counted by hand, corners shared only where every stream
// agrees, accessors with offsets and skipped parameters, texture sets, and indices outside their sources.
#include "ColladaReaderFixture.h"

#include <vector>

namespace {

// The positions each index of the instance's mesh names, as points.
std::vector<std::array<float, 3>> IndexedPositions(const TModelScene& scene, std::size_t mesh) {
    std::vector<std::array<float, 3>> points;
    const TModelMesh& m = scene.Meshes.at(mesh);
    for (const std::uint32_t i : m.Indices)
        points.push_back({m.Positions.at(i * 3), m.Positions.at(i * 3 + 1), m.Positions.at(i * 3 + 2)});
    return points;
}

std::string Placed(const std::string& geometry = "#square") {
    return "<node><instance_geometry url=\"" + geometry + "\"/></node>";
}

TEST_F(ColladaReaderTest, PolylistSharesCornersOnlyWhereEveryStreamAgrees) {
    // A quad and a triangle beside it: the triangle's first corner has the quad's position, normal and texture
    // coordinate and is shared; its last has the quad's position 2 with another normal and is not.
    const std::string geometry =
        "<library_geometries><geometry id=\"g\"><mesh>" + SourceText("pos", "0 0 0 1 0 0 1 1 0 0 1 0 2 0 0", 5, "XYZ") +
        SourceText("nrm", "0 0 1 0 0 -1", 2, "XYZ") + SourceText("uv", "0 0 1 0 1 1 0 1", 4, "ST") +
        R"(<vertices id="v"><input semantic="POSITION" source="#pos"/></vertices>
        <polylist count="2"><input semantic="VERTEX" source="#v" offset="0"/>
        <input semantic="NORMAL" source="#nrm" offset="1"/><input semantic="TEXCOORD" source="#uv" offset="2" set="0"/>
        <vcount>4 3</vcount><p>0 0 0 1 0 1 2 0 2 3 0 3  1 0 1 4 1 0 2 1 2</p></polylist>
        </mesh></geometry></library_geometries>)";
    const auto r = Read(DocumentText(geometry, Placed("#g")));
    ASSERT_FALSE(r.Raised) << r.Error;
    ASSERT_EQ(r.Scene.Meshes.size(), 1u);
    const TModelMesh& mesh = r.Scene.Meshes[0];
    EXPECT_EQ(mesh.VertexCount(), 6u);
    EXPECT_EQ(mesh.Indices, (std::vector<std::uint32_t>{0, 1, 2, 0, 2, 3, 1, 4, 5}));
    ASSERT_EQ(mesh.Normals.size(), 18u);
    EXPECT_EQ(mesh.Normals[4 * 3 + 2], -1.0f);  // the corner at (2 0 0)
    EXPECT_EQ(mesh.Normals[5 * 3 + 2], -1.0f);  // position 2 again, with the other normal
    EXPECT_EQ(mesh.Positions[5 * 3], 1.0f);
    EXPECT_EQ(mesh.TexCoords[3 * 2 + 1], 1.0f);  // (0 1) of corner 3
}

TEST_F(ColladaReaderTest, StripsFansPolygonsAndLinesMakeTheirFaces) {
    const std::string blocks =
        R"(<tristrips count="1"><input semantic="VERTEX" source="#verts" offset="0"/><p>0 1 3 2</p></tristrips>
        <trifans count="1"><input semantic="VERTEX" source="#verts" offset="0"/><p>0 1 2 3</p></trifans>
        <polygons count="2"><input semantic="VERTEX" source="#verts" offset="0"/>
          <ph><p>0 1 2 3</p><h>0 1 2</h></ph><p>0 1 2</p></polygons>
        <lines count="2"><input semantic="VERTEX" source="#verts" offset="0"/><p>0 1 1 2</p></lines>
        <linestrips count="1"><input semantic="VERTEX" source="#verts" offset="0"/><p>0 1 2 3</p></linestrips>)";
    const auto r =
        Read(DocumentText("<library_geometries>" + SquareGeometry(blocks) + "</library_geometries>", Placed()));
    ASSERT_EQ(r.Scene.Meshes.size(), 5u);
    using P = std::vector<std::array<float, 3>>;
    const std::array<float, 3> a{0, 0, 0}, b{1, 0, 0}, c{1, 1, 0}, d{0, 1, 0};
    // A strip turns every second triangle back, so both face +z.
    EXPECT_EQ(IndexedPositions(r.Scene, 0), (P{a, b, d, d, b, c}));
    EXPECT_EQ(IndexedPositions(r.Scene, 1), (P{a, b, c, a, c, d}));
    EXPECT_EQ(IndexedPositions(r.Scene, 2), (P{a, b, c, a, c, d, a, b, c}));
    EXPECT_TRUE(r.HasNote("polygon-hole"));
    EXPECT_TRUE(r.Scene.Meshes[3].Lines);
    EXPECT_EQ(IndexedPositions(r.Scene, 3), (P{a, b, b, c}));
    EXPECT_EQ(IndexedPositions(r.Scene, 4), (P{a, b, b, c, c, d}));
    EXPECT_EQ(r.Scene.Instances.size(), 5u);
}

TEST_F(ColladaReaderTest, AccessorOffsetStrideAndSkippedParameters) {
    // Elements of four numbers from the second on, of which the second is skipped: (1 2 3) and (4 5 6).
    const std::string geometry = R"(<library_geometries><geometry id="g"><mesh>
        <source id="pos"><float_array id="a" count="9">99 1 99 2 3 4 99 5 6</float_array><technique_common>
        <accessor source="#a" count="2" stride="4" offset="1"><param name="X" type="float"/><param type="float"/>
        <param name="Y" type="float"/><param name="Z" type="float"/></accessor></technique_common></source>
        <vertices id="v"><input semantic="POSITION" source="#pos"/></vertices>
        <lines count="1"><input semantic="VERTEX" source="#v" offset="0"/><p>0 1</p></lines>
        </mesh></geometry></library_geometries>)";
    const auto r = Read(DocumentText(geometry, Placed("#g")));
    ASSERT_EQ(r.Scene.Meshes.size(), 1u);
    EXPECT_EQ(r.Scene.Meshes[0].Positions, (std::vector<float>{1, 2, 3, 4, 5, 6}));
}

TEST_F(ColladaReaderTest, LowestTextureSetIsDrawnAndFacesOutsideTheirSourceAreDropped) {
    const std::string blocks = SourceText("uv1", "5 5 5 5 5 5 5 5", 4, "ST") +
                               SourceText("uv0", "0 0 1 0 1 1 0 1", 4, "ST") +
                               R"(<triangles count="2"><input semantic="VERTEX" source="#verts" offset="0"/>
        <input semantic="TEXCOORD" source="#uv1" offset="0" set="1"/><input semantic="TEXCOORD" source="#uv0" offset="0" set="0"/>
        <p>0 1 2 0 2 7</p></triangles>)";
    const std::string text =
        DocumentText("<library_geometries>" + SquareGeometry(blocks) + "</library_geometries>", Placed());
    const auto r = Read(text);
    ASSERT_EQ(r.Scene.Meshes.size(), 1u);
    EXPECT_EQ(r.Scene.Meshes[0].TexCoords, (std::vector<float>{0, 0, 1, 0, 1, 1}));
    EXPECT_EQ(r.Scene.Meshes[0].Indices.size(), 3u);
    ASSERT_TRUE(r.HasNote("texture-set"));
    ASSERT_TRUE(r.HasNote("face-dropped"));
    EXPECT_EQ(r.Note("face-dropped")->Line, LineNumber(text, "<triangles"));
}

}  // namespace
