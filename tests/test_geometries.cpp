// The geometry library: which sources a mesh takes by the naming convention, which primitive element gives
// its index list, and how many indices are read.
#include "LoaderFixture.h"

namespace {

using GeometryTest = LoaderTest;
using F = std::vector<float>;
using I = std::vector<int>;

TEST_F(GeometryTest, SourcesAreFoundByNamePlusExactSuffix) {
    const auto r =
        Load(GeometryDocument(Mesh("Box", Source("Box-Position", 3, "1 2 3") + Source("Box-Normals", 3, "0 0 1") +
                                              Source("Box-UV", 2, "0.5 0.25") + Source("Box-color", 4, "1 0 0 1"))));
    ASSERT_TRUE(r.Loaded) << r.Error;
    const TGeometry& box = r.Geometry(0);
    EXPECT_EQ(box.Name, "Box");
    // Without an index list the streams stay exactly as read.
    EXPECT_EQ(Values(box.Positions), (F{1, 2, 3}));
    EXPECT_EQ(Values(box.Normals), (F{0, 0, 1}));
    EXPECT_EQ(Values(box.TexCoords), (F{0.5f, 0.25f}));
    EXPECT_EQ(Values(box.Colors), (F{1, 0, 0, 1}));
    EXPECT_TRUE(box.Attrib1.Empty());
    EXPECT_TRUE(box.Attrib2.Empty());
    EXPECT_TRUE(box.TriangleIndices.Empty());
    EXPECT_EQ(box.PositionBuffer + box.TriangleBuffer + box.LineBuffer, 0u);
}

TEST_F(GeometryTest, NearMissesOfTheConventionAreNotRead) {
    const auto r =
        Load(GeometryDocument(Mesh("Box", Source("box-Position", 3, "1 2 3") + Source("Box-position", 3, "1 2 3") +
                                              Source("Box-normals", 3, "1 2 3") + Source("Box-uv", 2, "1 2") +
                                              Source("Box-Color", 4, "1 2 3 4") + Source("Box-Position ", 3, "1 2 3") +
                                              "<source><float_array count=\"3\">1 2 3</float_array></source>")));
    ASSERT_TRUE(r.Loaded) << r.Error;
    const TGeometry& box = r.Geometry(0);
    EXPECT_TRUE(box.Positions.Empty() && box.Normals.Empty() && box.TexCoords.Empty() && box.Colors.Empty());
}

TEST_F(GeometryTest, TheNameNotTheIdCounts) {
    const auto r = Load(GeometryDocument("<geometry id=\"Box-mesh\" name=\"Box\"><mesh>" +
                                         Source("Box-mesh-Position", 3, "9 9 9") + Source("Box-Position", 3, "1 2 3") +
                                         "</mesh></geometry>"));
    ASSERT_TRUE(r.Loaded) << r.Error;
    EXPECT_EQ(r.Geometry(0).Name, "Box");
    EXPECT_EQ(Values(r.Geometry(0).Positions), (F{1, 2, 3}));
    EXPECT_EQ(r.Asset->Geometries->IndexOf("Box"), 0);
    EXPECT_EQ(r.Asset->Geometries->IndexOf("Box-mesh"), -1);
}

TEST_F(GeometryTest, SourcesAfterTheFirstOtherChildAreNotRead) {
    const auto r = Load(GeometryDocument(
        Mesh("G", Source("G-Position", 3, "1 2 3") + "<vertices id=\"G-Vertex\"/>" + Source("G-Normals", 3, "0 0 1"))));
    ASSERT_TRUE(r.Loaded) << r.Error;
    EXPECT_EQ(r.Geometry(0).Positions.Count(), 3u);
    EXPECT_TRUE(r.Geometry(0).Normals.Empty());
}

// With no source found the index list keeps exactly what <p> gave, so these show how much was read.
TEST_F(GeometryTest, IndexCountIsCountTimesInputsTimesCorners) {
    std::string p;
    for (int i = 0; i < 120; ++i) p += std::to_string(i) + " ";
    const std::string unmatched = Source("other", 1, "0");
    const auto r = Load(GeometryDocument(Mesh("T", unmatched + Primitive("triangles", 12, 3, p)) +
                                         Mesh("L", unmatched + Primitive("lines", 4, 2, p))));
    ASSERT_TRUE(r.Loaded) << r.Error;
    const TGeometry& t = r.Geometry(0);
    ASSERT_EQ(t.TriangleIndices.Count(), 108u);
    EXPECT_EQ(t.TriangleIndices[107], 107);
    const TGeometry& l = r.Geometry(1);
    ASSERT_EQ(l.LineIndices.Count(), 16u);
    EXPECT_EQ(l.LineIndices[15], 15);
    EXPECT_TRUE(l.TriangleIndices.Empty());
}

TEST_F(GeometryTest, EveryInputCountsWhereverItStands) {
    const auto r = Load(GeometryDocument(Mesh(
        "T", Source("x", 1, "0") + "<triangles count=\"1\"><input semantic=\"VERTEX\"/><p>1 2 3 4 5 6 7 8 9</p><!--c-->"
                                   "<input semantic=\"NORMAL\"/><extra/><input semantic=\"TEXCOORD\"/></triangles>")));
    ASSERT_TRUE(r.Loaded) << r.Error;
    EXPECT_EQ(Values(r.Geometry(0).TriangleIndices), (I{1, 2, 3, 4, 5, 6, 7, 8, 9}));
}

TEST_F(GeometryTest, OnlyTheFirstTrianglesOrElseTheFirstLines) {
    const std::string src = Source("x", 1, "0");
    const auto r = Load(GeometryDocument(
        Mesh("Both", src + Primitive("lines", 1, 1, "7 8") + Primitive("triangles", 1, 1, "1 2 3")) +
        Mesh("Two", src + Primitive("triangles", 1, 1, "1 2 3") + Primitive("triangles", 1, 1, "4 5 6")) +
        Mesh("Lines", src + "<polylist count=\"1\"><input/><p>1 2 3</p></polylist>" + Primitive("lines", 1, 1, "4 5") +
                          Primitive("lines", 1, 1, "6 7"))));
    ASSERT_TRUE(r.Loaded) << r.Error;
    EXPECT_EQ(Values(r.Geometry(0).TriangleIndices), (I{1, 2, 3}));
    EXPECT_TRUE(r.Geometry(0).LineIndices.Empty());
    EXPECT_EQ(Values(r.Geometry(1).TriangleIndices), (I{1, 2, 3}));
    EXPECT_EQ(Values(r.Geometry(2).LineIndices), (I{4, 5}));
}

TEST_F(GeometryTest, ShortAndLongTextsKeepTheDeclaredCount) {
    const auto r =
        Load(GeometryDocument(Mesh("G", Source("G-Position", 6, "1 2 3") + Source("G-Normals", 3, "1 2 3 4 5 6")) +
                              Mesh("H", Source("x", 1, "0") + Primitive("triangles", 1, 2, "1 2 3"))));
    ASSERT_TRUE(r.Loaded) << r.Error;
    EXPECT_EQ(Values(r.Geometry(0).Positions), (F{1, 2, 3, 0, 0, 0}));
    EXPECT_EQ(Values(r.Geometry(0).Normals), (F{1, 2, 3}));
    EXPECT_EQ(Values(r.Geometry(1).TriangleIndices), (I{1, 2, 3, 0, 0, 0}));
}

TEST_F(GeometryTest, IncompleteGeometriesStayInTheList) {
    const auto r = Load(GeometryDocument(
        "<geometry name=\"NoMesh\"><convex_mesh/></geometry>"
        "<geometry name=\"NoSource\"><mesh>" +
        Primitive("triangles", 1, 1, "0 1 2") + "</mesh></geometry>" +
        Mesh("NoArray", "<source id=\"NoArray-Position\"/>" + Primitive("triangles", 1, 1, "0 1 2")) +
        Mesh("NoP", Source("NoP-Position", 3, "1 2 3") + "<triangles count=\"1\"><input/></triangles>")));
    ASSERT_TRUE(r.Loaded) << r.Error;
    ASSERT_EQ(r.Asset->Geometries->Items.Count(), 4);
    EXPECT_EQ(r.Geometry(0).Name, "NoMesh");
    EXPECT_TRUE(r.Geometry(0).Positions.Empty() && r.Geometry(0).TriangleIndices.Empty());
    // No <source> at all: the index list is never read.
    EXPECT_TRUE(r.Geometry(1).TriangleIndices.Empty());
    // A source without <float_array> leaves every stream empty, so the list stays as read.
    EXPECT_TRUE(r.Geometry(2).Positions.Empty());
    EXPECT_EQ(Values(r.Geometry(2).TriangleIndices), (I{0, 1, 2}));
    EXPECT_EQ(Values(r.Geometry(3).Positions), (F{1, 2, 3}));
    EXPECT_TRUE(r.Geometry(3).TriangleIndices.Empty());
}

// The library walk runs as many steps as the library has child nodes, from the first <geometry> on: what
// follows the first geometry is read as one whatever its name, and what precedes it shortens the walk.
class GeometryLibraryTest : public LoaderTest {
protected:
    bool ReadLibrary(std::string_view children, TLibraryGeometries& library) {
        Document.LoadFromFile(
            WriteFile("<root><library_geometries>" + std::string(children) + "</library_geometries></root>"));
        return library.LoadFromNode(Document.DocumentElement().FirstChild("library_geometries"));
    }
};

TEST_F(GeometryLibraryTest, WalkFromTheFirstGeometry) {
    TLibraryGeometries plain;
    EXPECT_TRUE(ReadLibrary("<geometry name=\"A\"/><geometry name=\"B\"/><geometry name=\"C\"/>", plain));
    ASSERT_EQ(plain.Items.Count(), 3);
    EXPECT_EQ(plain.Items[2]->Name, "C");

    TLibraryGeometries prefixed;
    EXPECT_FALSE(ReadLibrary("<!--x--><asset/><geometry name=\"A\"/><extra name=\"E\"/>", prefixed));
    ASSERT_EQ(prefixed.Items.Count(), 2);
    EXPECT_EQ(prefixed.Items[1]->Name, "E");

    TLibraryGeometries none;
    EXPECT_FALSE(ReadLibrary("<asset/>", none));
    EXPECT_EQ(none.Items.Count(), 0);
}

TEST_F(GeometryLibraryTest, IndexOfIsExactAndFindsTheFirst) {
    TLibraryGeometries library;
    ReadLibrary("<geometry name=\"Tree\"/><geometry name=\"tree\"/><geometry name=\"Tree\"/>", library);
    EXPECT_EQ(library.IndexOf("Tree"), 0);
    EXPECT_EQ(library.IndexOf("tree"), 1);
    EXPECT_EQ(library.IndexOf("TREE"), -1);
    EXPECT_EQ(library.IndexOf("Tree "), -1);
    EXPECT_EQ(library.IndexOf(""), -1);
}

}  // namespace
