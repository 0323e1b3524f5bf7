// Expansion of corner-indexed sources into one vertex per corner, and what happens to indices that point
// nowhere or do not fill a last corner.
#include "LoaderFixture.h"

namespace {

using F = std::vector<float>;
using I = std::vector<int>;

// Source element k of a stream with c components holds the values 10k, 10k+1, ...: a copied value shows
// which element it came from.
TFloatArray Elements(int count, int components) {
    TFloatArray array(static_cast<std::size_t>(count * components));
    for (int k = 0; k < count; ++k)
        for (int j = 0; j < components; ++j) array[k * components + j] = static_cast<float>(10 * k + j);
    return array;
}

F Gather(std::initializer_list<int> elements, int components) {
    F values;
    for (int k : elements)
        for (int j = 0; j < components; ++j) values.push_back(static_cast<float>(10 * k + j));
    return values;
}

TEST(Streams, EveryCornerBecomesAVertex) {
    TGeometry g;
    g.Positions = Elements(3, 3);
    g.Normals = Elements(3, 3);
    g.TexCoords = Elements(3, 2);
    g.TriangleIndices = TIntArray{0, 1, 2, 1, 2, 0, 2, 0, 1};
    EXPECT_TRUE(g.BuildStreams());
    EXPECT_EQ(Values(g.TriangleIndices), (I{0, 1, 2}));
    EXPECT_EQ(Values(g.Positions), Gather({0, 1, 2}, 3));
    EXPECT_EQ(Values(g.Normals), Gather({1, 2, 0}, 3));
    EXPECT_EQ(Values(g.TexCoords), Gather({2, 0, 1}, 2));
    EXPECT_TRUE(g.Colors.Empty());
    EXPECT_EQ(g.OutOfRangeIndices + g.DroppedSlots, 0);
}

TEST(Streams, SharedCornersAreNotMerged) {
    TGeometry g;
    g.Positions = Elements(4, 3);
    g.TriangleIndices = TIntArray{0, 1, 2, 2, 1, 3};
    g.BuildStreams();
    EXPECT_EQ(Values(g.TriangleIndices), (I{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(Values(g.Positions), Gather({0, 1, 2, 2, 1, 3}, 3));
}

// Slots feed the streams that were found, in the order positions, normals, texture coordinates, colours.
TEST(Streams, SlotsFollowThePresentStreams) {
    TGeometry colours;
    colours.Positions = Elements(2, 3);
    colours.Colors = Elements(2, 4);
    colours.TriangleIndices = TIntArray{0, 1, 1, 0, 0, 0};
    colours.BuildStreams();
    EXPECT_EQ(Values(colours.Positions), Gather({0, 1, 0}, 3));
    EXPECT_EQ(Values(colours.Colors), Gather({1, 0, 0}, 4));

    TGeometry noNormals;
    noNormals.Positions = Elements(2, 3);
    noNormals.TexCoords = Elements(2, 2);
    noNormals.Colors = Elements(2, 4);
    noNormals.TriangleIndices = TIntArray{0, 1, 0, 1, 0, 1, 1, 1, 0};
    noNormals.BuildStreams();
    EXPECT_EQ(Values(noNormals.Positions), Gather({0, 1, 1}, 3));
    EXPECT_EQ(Values(noNormals.TexCoords), Gather({1, 0, 1}, 2));
    EXPECT_EQ(Values(noNormals.Colors), Gather({0, 1, 0}, 4));
    EXPECT_TRUE(noNormals.Normals.Empty());
}

TEST(Streams, LinesExpandLikeTriangles) {
    TGeometry g;
    g.Positions = Elements(3, 3);
    g.Colors = Elements(3, 4);
    g.LineIndices = TIntArray{0, 2, 1, 1, 1, 0, 2, 2};
    g.BuildStreams();
    EXPECT_EQ(Values(g.LineIndices), (I{0, 1, 2, 3}));
    EXPECT_EQ(Values(g.Positions), Gather({0, 1, 1, 2}, 3));
    EXPECT_EQ(Values(g.Colors), Gather({2, 1, 0, 2}, 4));
    EXPECT_TRUE(g.TriangleIndices.Empty());
}

TEST(Streams, NothingToExpandLeavesEverythingAsRead) {
    TGeometry noList;
    noList.Positions = Elements(2, 3);
    noList.BuildStreams();
    EXPECT_EQ(Values(noList.Positions), Gather({0, 1}, 3));

    TGeometry noStream;
    noStream.TriangleIndices = TIntArray{5, 7, 9};
    noStream.BuildStreams();
    EXPECT_EQ(Values(noStream.TriangleIndices), (I{5, 7, 9}));
}

// An index outside its source is never read: the vertex keeps zeros in that stream, and the load goes on.
// A source whose float count is not a whole number of elements ends at its last whole element.
TEST(Streams, IndicesOutsideTheSourceStayZero) {
    TGeometry g;
    g.Positions = Elements(2, 3);
    TFloatArray partial = Elements(2, 2);
    g.TexCoords = TFloatArray{partial[0], partial[1], partial[2]};
    g.TriangleIndices = TIntArray{1, 0, -1, 0, 2, 1, 2147483647, -2147483648};
    g.BuildStreams();
    EXPECT_EQ(Values(g.TriangleIndices), (I{0, 1, 2, 3}));
    const F zeroPos{0, 0, 0}, zeroTex{0, 0};
    F positions = Gather({1}, 3);
    positions.insert(positions.end(), zeroPos.begin(), zeroPos.end());
    positions.insert(positions.end(), zeroPos.begin(), zeroPos.end());
    positions.insert(positions.end(), zeroPos.begin(), zeroPos.end());
    EXPECT_EQ(Values(g.Positions), positions);
    F tex = Gather({0, 0}, 2);
    tex.insert(tex.end(), zeroTex.begin(), zeroTex.end());
    tex.insert(tex.end(), zeroTex.begin(), zeroTex.end());
    EXPECT_EQ(Values(g.TexCoords), tex);
    EXPECT_EQ(g.OutOfRangeIndices, 5);
    EXPECT_EQ(g.DroppedSlots, 0);
}

// Three streams found but eight slots: the last group is incomplete. Streams are sized total x C / stride,
// so the room the dropped slots would have filled stays 0.
TEST(Streams, SlotsOfALastIncompleteGroupAreDropped) {
    TGeometry g;
    g.Positions = Elements(2, 3);
    g.Normals = Elements(2, 3);
    g.TexCoords = Elements(2, 2);
    g.TriangleIndices = TIntArray{0, 1, 1, 1, 0, 0, 1, 1};
    g.BuildStreams();
    EXPECT_EQ(Values(g.TriangleIndices), (I{0, 1}));
    EXPECT_EQ(Values(g.Positions), (F{0, 1, 2, 10, 11, 12, 0, 0}));
    EXPECT_EQ(Values(g.Normals), (F{10, 11, 12, 0, 1, 2, 0, 0}));
    EXPECT_EQ(Values(g.TexCoords), (F{10, 11, 0, 1, 0}));
    EXPECT_EQ(g.DroppedSlots, 2);
    EXPECT_EQ(g.OutOfRangeIndices, 0);
}

// The same expansion reached through a document: a textured quad of two triangles.
using StreamDocumentTest = LoaderTest;

TEST_F(StreamDocumentTest, QuadFromDocument) {
    const auto r = Load(GeometryDocument(
        Mesh("Quad", Source("Quad-Position", 12, "0 0 0  1 0 0  1 1 0  0 1 0") + Source("Quad-Normals", 3, "0 0 1") +
                         Source("Quad-UV", 8, "0 0 1 0 1 1 0 1") + "<vertices id=\"Quad-Vertex\"/>" +
                         Primitive("triangles", 2, 3, "0 0 0 1 0 1 2 0 2  0 0 0 2 0 2 3 0 3"))));
    ASSERT_TRUE(r.Loaded) << r.Error;
    const TGeometry& q = r.Geometry(0);
    EXPECT_EQ(Values(q.TriangleIndices), (I{0, 1, 2, 3, 4, 5}));
    EXPECT_EQ(Values(q.Positions), (F{0, 0, 0, 1, 0, 0, 1, 1, 0, 0, 0, 0, 1, 1, 0, 0, 1, 0}));
    EXPECT_EQ(Values(q.Normals), (F{0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1, 0, 0, 1}));
    EXPECT_EQ(Values(q.TexCoords), (F{0, 0, 1, 0, 1, 1, 0, 0, 1, 1, 0, 1}));
    EXPECT_EQ(q.OutOfRangeIndices, 0);
}

}  // namespace
