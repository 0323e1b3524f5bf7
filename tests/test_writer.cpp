// The document writers read back through the loader: what each writes is what the loader reads, stream by
// stream and node by node, with no note; names and file names of any text come back as they were given.
#include <cstdio>

#include "ColladaWriter.h"
#include "LoaderFixture.h"
#include "StreamingWriter.h"

namespace {

using F = std::vector<float>;

class WriterTest : public LoaderTest {
protected:
    // Loads the document, recording the loader's notes, which must be none.
    TLoadResult LoadWithoutNotes(const std::string& path) {
        TLoadNotes notes;
        TLoadResult result;
        result.FileName = path;
        result.Asset = std::make_unique<TColladaAsset>(&Document);
        result.Asset->Notes = &notes;
        result.Loaded = result.Asset->LoadFromFile(path);
        for (const TLoadNote& note : notes.Items)
            ADD_FAILURE() << note.Line << " " << note.Code << ": " << note.Message;
        return result;
    }
};

// The file that textures the node, following its material, effect and image.
std::string TextureOf(const TLoadResult& r, int node) {
    const std::string* file = r.Asset->TextureFileOf(r.Node(node));
    return file ? *file : "(no texture)";
}

TEST_F(WriterTest, ADocumentReadsBackStreamByStreamAndNodeByNode) {
    TMesh triangle;
    triangle.Positions = {{0, 0, 0}, {1, 0, 0}, {0, 2, 0}};
    triangle.Normals = {{0, 0, 1}, {0, 1, 0}, {1, 0, 0}};
    triangle.TexCoords = {{0.5f, 0}, {1, 0.25f}, {0, 1}};
    triangle.Colors = {{1, 0, 0, 1}, {0, 1, 0, 0.5f}, {0, 0, 1, 0}};
    triangle.Indices = {2, 0, 1};
    TMesh line;
    line.Lines = true;
    line.Positions = {{-1, -2, -3}, {4, 5, 6}};
    line.Indices = {1, 0};
    TColladaWriter writer("Z_UP", "test");
    writer.AddMaterial("Stone", "stone.bmp");
    writer.AddGeometry("Tri", triangle, "Stone");
    writer.AddGeometry("Line", line, "Stone");
    writer.AddNode("Placed", "Tri", {{1, 2, 3}, 30, 20, 10, {2, 3, 4}});
    writer.AddNode("Unmoved", "Line", {});

    const auto r = LoadWithoutNotes(WriteFile(writer.Text()));
    ASSERT_TRUE(r.Loaded);
    const TGeometry& tri = r.Geometry(0);
    EXPECT_EQ(tri.Name, "Tri-Geometry");
    // One vertex per corner, the corners taken in the order 2, 0, 1.
    EXPECT_EQ(Values(tri.Positions), (F{0, 2, 0, 0, 0, 0, 1, 0, 0}));
    EXPECT_EQ(Values(tri.Normals), (F{1, 0, 0, 0, 0, 1, 0, 1, 0}));
    EXPECT_EQ(Values(tri.TexCoords), (F{0, 1, 0.5f, 0, 1, 0.25f}));
    EXPECT_EQ(Values(tri.Colors), (F{0, 0, 1, 0, 1, 0, 0, 1, 0, 1, 0, 0.5f}));
    EXPECT_EQ(Values(tri.TriangleIndices), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(Values(r.Geometry(1).Positions), (F{4, 5, 6, -1, -2, -3}));
    EXPECT_EQ(r.Geometry(1).LineIndices.Count(), 2u);

    const TNode& placed = r.Node(0);
    EXPECT_EQ(placed.Name, "Placed-Node");
    EXPECT_EQ(placed.GeometryIndex, 0);
    EXPECT_EQ(Values(placed.Position), (F{1, 2, 3}));
    EXPECT_EQ(Values(placed.Rotation), (F{10, 20, 30}));  // about x, y, z
    EXPECT_EQ(Values(placed.Scale), (F{2, 3, 4}));
    EXPECT_EQ(r.Node(1).GeometryIndex, 1);
    EXPECT_EQ(TextureOf(r, 1), "stone.bmp");
}

TEST_F(WriterTest, TheStreamingWriterWritesTheSameLayout) {
    const std::string path = (Dir / "streamed.dae").string();
    std::FILE* out = std::fopen(path.c_str(), "wb");
    ASSERT_NE(out, nullptr);
    TStreamingWriter writer(out, "Y_UP", "test", "Strip");
    writer.Source(TStreamKind::Positions, 4, [&] { std::fputs("0 0 0 1 0 0 0 1 0 1 1 0", out); });
    writer.Source(TStreamKind::TexCoords, 4, [&] { std::fputs("0 0 1 0 0 1 1 1", out); });
    writer.Finish(2, [&] { std::fputs("0 0 1 1 2 2 1 1 3 3 2 2", out); });
    ASSERT_EQ(std::fclose(out), 0);

    const auto r = LoadWithoutNotes(path);
    ASSERT_TRUE(r.Loaded);
    EXPECT_EQ(r.Geometry(0).Name, "Strip-Geometry");
    EXPECT_EQ(Values(r.Geometry(0).Positions), (F{0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 0, 0, 1, 1, 0, 0, 1, 0}));
    EXPECT_EQ(Values(r.Geometry(0).TexCoords), (F{0, 0, 1, 0, 0, 1, 1, 0, 1, 1, 0, 1}));
    EXPECT_TRUE(r.Geometry(0).Normals.Empty());
    EXPECT_EQ(r.Node(0).Name, "Strip-Node");
    EXPECT_EQ(r.Node(0).GeometryIndex, 0);
    EXPECT_EQ(r.Node(0).EffectIndex, -1);
}

// Markup characters in a name or a file name must not end up as markup: each comes back as it was given.
TEST_F(WriterTest, NamesAndTextureFileNamesOfAnyTextComeBackAsGiven) {
    TMesh triangle;
    triangle.Positions = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}};
    triangle.Indices = {0, 1, 2};
    TColladaWriter writer("Z_UP", "a<b & \"c\"");
    writer.AddMaterial("Wood & <Stone>", "a<b & \"c\" > 'd'.bmp");
    writer.AddGeometry("G\"<&>", triangle, "Wood & <Stone>");
    writer.AddNode("N&\"", "G\"<&>", {});

    const auto r = LoadWithoutNotes(WriteFile(writer.Text()));
    ASSERT_TRUE(r.Loaded);
    EXPECT_EQ(r.Geometry(0).Name, "G\"<&>-Geometry");
    EXPECT_EQ(r.Geometry(0).Positions.Count(), 9u);
    EXPECT_EQ(r.Node(0).Name, "N&\"-Node");
    EXPECT_EQ(r.Node(0).GeometryIndex, 0);
    EXPECT_EQ(r.Node(0).MaterialSymbol, "Wood & <Stone>");
    EXPECT_EQ(TextureOf(r, 0), "a<b & \"c\" > 'd'.bmp");
}

}  // namespace
