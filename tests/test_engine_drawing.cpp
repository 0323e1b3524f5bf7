// Buffer upload and drawing: what lands in the buffer objects, which draw calls are made, and where the
// geometry appears on the pbuffer.
#include <cstring>

#include <EGL/egl.h>
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "GlCallLog.h"
#include "SceneEngineTest.h"

namespace {

using TRgba = std::array<unsigned char, 4>;
const TRgba White{255, 255, 255, 255};
const TRgba Black{0, 0, 0, 255};

// A cube of 12 triangles with positions, normals and texture coordinates: 36 vertices after expansion.
TMesh Cube() {
    TMesh cube{"Cube", {}, {}, {}, {}, "triangles", {}};
    const int faces[6][4] = {{0, 1, 3, 2}, {4, 6, 7, 5}, {0, 4, 5, 1}, {2, 3, 7, 6}, {0, 2, 6, 4}, {1, 5, 7, 3}};
    for (const auto& face : faces) {
        for (int corner : {0, 1, 2, 0, 2, 3}) {
            const int v = face[corner];
            cube.Positions.insert(cube.Positions.end(), {float(v & 1), float((v >> 1) & 1), float((v >> 2) & 1)});
            cube.Normals.insert(cube.Normals.end(), {0.0f, 0.0f, float(v)});
            cube.TexCoords.insert(cube.TexCoords.end(), {float(corner), 0.5f});
            cube.Corners.push_back(static_cast<int>(cube.Corners.size()));
        }
    }
    return cube;
}

template <typename T>
std::vector<T> BufferContents(GLenum target, GLuint buffer) {
    static const auto getParameter =
        reinterpret_cast<PFNGLGETBUFFERPARAMETERIVARBPROC>(eglGetProcAddress("glGetBufferParameterivARB"));
    static const auto getSubData =
        reinterpret_cast<PFNGLGETBUFFERSUBDATAARBPROC>(eglGetProcAddress("glGetBufferSubDataARB"));
    Gl::glBindBufferARB(target, buffer);
    GLint size = 0;
    getParameter(target, GL_BUFFER_SIZE_ARB, &size);
    std::vector<T> values(static_cast<std::size_t>(size) / sizeof(T));
    getSubData(target, 0, size, values.data());
    EXPECT_EQ(static_cast<std::size_t>(size), values.size() * sizeof(T)) << "a buffer of whole values";
    return values;
}

GLint Integer(GLenum which) {
    GLint value = 0;
    glGetIntegerv(which, &value);
    return value;
}

GLint PolygonMode() {
    std::array<GLint, 2> mode{};
    glGetIntegerv(GL_POLYGON_MODE, mode.data());
    EXPECT_EQ(mode[0], mode[1]);
    return mode[0];
}

class DrawingTest : public TSceneEngineTest {
protected:
    // Looks straight down the -z axis at the origin from 10 units away.
    void Frame() { Engine.RenderLookAt(0, 0, 10, 0, 0, 0, 0, 1, 0); }
};

}  // namespace

TEST_F(DrawingTest, UploadsEachNonEmptyStreamIntoABufferOfItsOwn) {
    TScene scene;
    scene.Meshes = {Cube(), TMesh{"Lines",
                                  {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1},
                                  {},
                                  {},
                                  {1, 0, 0, 1, 0, 1, 0, 1, 0, 0, 1, 1, 1, 1, 1, 1},
                                  "lines",
                                  {0, 1, 2, 3}}};
    scene.Nodes = {MakeNode("C", "#Cube")};
    TColladaAsset& asset = Load(scene);
    const TGeometry& cube = *asset.Geometries->Items[0];
    const TGeometry& lines = *asset.Geometries->Items[1];

    // Every corner of the document's meshes is a vertex of its own already, so the buffers hold the values
    // the scene was written with, in its order.
    EXPECT_EQ(BufferContents<float>(GL_ARRAY_BUFFER_ARB, cube.PositionBuffer), scene.Meshes[0].Positions);
    EXPECT_EQ(BufferContents<float>(GL_ARRAY_BUFFER_ARB, cube.NormalBuffer), scene.Meshes[0].Normals);
    EXPECT_EQ(BufferContents<float>(GL_ARRAY_BUFFER_ARB, cube.TexCoordBuffer), scene.Meshes[0].TexCoords);
    std::vector<int> sequence(36);
    for (int i = 0; i < 36; ++i) sequence[static_cast<std::size_t>(i)] = i;
    EXPECT_EQ(BufferContents<int>(GL_ELEMENT_ARRAY_BUFFER_ARB, cube.TriangleBuffer), sequence);
    EXPECT_EQ(cube.ColorBuffer, 0u);
    EXPECT_EQ(cube.Attrib1Buffer, 0u);
    EXPECT_EQ(cube.Attrib2Buffer, 0u);
    EXPECT_EQ(cube.LineBuffer, 0u);

    EXPECT_EQ(BufferContents<float>(GL_ARRAY_BUFFER_ARB, lines.ColorBuffer), scene.Meshes[1].Colors);
    EXPECT_EQ(BufferContents<int>(GL_ELEMENT_ARRAY_BUFFER_ARB, lines.LineBuffer), (std::vector<int>{0, 1, 2, 3}));
    EXPECT_EQ(lines.TriangleBuffer, 0u);
    EXPECT_EQ(lines.NormalBuffer, 0u);
}

TEST_F(DrawingTest, MakesBuffersInListAndTableOrderAndLeavesTheLastOnesBound) {
    TScene scene;
    scene.Meshes = {Cube(), TMesh{"Lines", {0, 0, 0, 1, 0, 0}, {}, {}, {1, 0, 0, 1, 0, 1, 0, 1}, "lines", {0, 1}},
                    TMesh{"Bare", {0, 0, 0, 1, 1, 1}, {}, {}, {}, "triangles", {}}};
    scene.Nodes = {MakeNode("C", "#Cube")};
    GlCalls().clear();
    RECORD_GL(glGenBuffersARB);
    RECORD_GL(glBufferDataARB);
    TColladaAsset& asset = Load(scene);
    const TGeometry& cube = *asset.Geometries->Items[0];
    const TGeometry& lines = *asset.Geometries->Items[1];
    const TGeometry& bare = *asset.Geometries->Items[2];

    const std::vector<GLuint> order{cube.PositionBuffer,  cube.NormalBuffer, cube.TexCoordBuffer, cube.TriangleBuffer,
                                    lines.PositionBuffer, lines.ColorBuffer, lines.LineBuffer,    bare.PositionBuffer};
    for (std::size_t i = 1; i < order.size(); ++i) EXPECT_GT(order[i], order[i - 1]);
    EXPECT_EQ(CallsTo("glGenBuffersARB").size(), order.size());
    const auto data = CallsTo("glBufferDataARB");
    ASSERT_EQ(data.size(), order.size());
    EXPECT_EQ(data[0].Arguments[0], GL_ARRAY_BUFFER_ARB);
    EXPECT_EQ(data[0].Arguments[1], 432);
    EXPECT_EQ(data[0].Arguments[3], GL_STATIC_DRAW_ARB);
    EXPECT_EQ(data[3].Arguments[0], GL_ELEMENT_ARRAY_BUFFER_ARB);
    EXPECT_EQ(data[3].Arguments[1], 144);
    // A geometry without an index list still gets its streams uploaded.
    EXPECT_EQ(data[7].Arguments[1], 24);

    EXPECT_EQ(static_cast<GLuint>(Integer(GL_ARRAY_BUFFER_BINDING_ARB)), bare.PositionBuffer);
    EXPECT_EQ(static_cast<GLuint>(Integer(GL_ELEMENT_ARRAY_BUFFER_BINDING_ARB)), lines.LineBuffer);
}

TEST_F(DrawingTest, DrawsTheExactIndexRangeAndSwitchesTheClientArraysOffAgain) {
    TScene scene;
    scene.Meshes = {Cube(), TMesh{"Lines", {0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 1}, {}, {}, {}, "lines", {0, 1, 2, 3}},
                    TMesh{"Bare", {0, 0, 0, 1, 1, 1}, {}, {}, {}, "triangles", {}}};
    scene.Nodes = {MakeNode("C", "#Cube"), MakeNode("B", "#Bare"), MakeNode("L", "#Lines")};
    Load(scene);
    GlCalls().clear();
    RECORD_GL(glDrawRangeElements);
    RECORD_GL(glBindBufferARB);
    Frame();
    const auto draws = CallsTo("glDrawRangeElements");
    ASSERT_EQ(draws.size(), 2u);
    EXPECT_EQ(draws[0].Arguments, (std::vector<long long>{GL_TRIANGLES, 0, 35, 36, GL_UNSIGNED_INT, 0}));
    EXPECT_EQ(draws[1].Arguments, (std::vector<long long>{GL_LINES, 0, 3, 4, GL_UNSIGNED_INT, 0}));
    // Cube: positions, normals, texture coordinates, triangles; the bare geometry binds nothing; lines:
    // positions and the line list.
    EXPECT_EQ(CallsTo("glBindBufferARB").size(), 4u + 2u);
    for (GLenum array : {GL_VERTEX_ARRAY, GL_NORMAL_ARRAY, GL_TEXTURE_COORD_ARRAY, GL_COLOR_ARRAY})
        EXPECT_FALSE(glIsEnabled(array));
}

TEST_F(DrawingTest, PlacesANodeInsideItsAssetAsTheTransformChainSays) {
    // The geometry vertex (1, 0, 0), carried by the node (turned 90 degrees about z, moved by (0, 5, 0)) and
    // the asset (moved by (10, 0, 0)), lands at (10, 6, 0).
    TScene scene;
    scene.Meshes = {Square("Mark", 1, 0, 0.2f)};
    TSceneNode node = MakeNode("N", "#Mark");
    node.Position[1] = 5;
    node.Rotation[2] = 90;
    scene.Nodes = {node};
    TColladaAsset& asset = Load(scene);
    asset.Position[0] = 10;
    Engine.RenderLookAt(10, 6, 10, 10, 6, 0, 0, 1, 0);
    EXPECT_EQ(Pixel(32, 32), White);
    EXPECT_EQ(Pixel(32 + 12, 32 - 12), Black);

    // Moved by the node only (no asset offset) the mark leaves the centre.
    asset.Position[0] = 0;
    Engine.RenderLookAt(10, 6, 10, 10, 6, 0, 0, 1, 0);
    EXPECT_EQ(Pixel(32, 32), Black);
}

TEST_F(DrawingTest, ScalesANodeBeforeTurningIt) {
    // The vertex (0, 1, 0) scaled by 2 and turned 90 degrees about x lands at (0, 0, 2); seen from +x.
    TScene scene;
    scene.Meshes = {TMesh{"Mark",
                          {0, 0.9f, -0.1f, 0, 1.1f, -0.1f, 0, 1.1f, 0.1f, 0, 0.9f, 0.1f},
                          {},
                          {},
                          {},
                          "triangles",
                          {0, 1, 2, 0, 2, 3}}};
    TSceneNode node = MakeNode("N", "#Mark");
    node.Rotation[0] = 90;
    node.Scale[0] = node.Scale[1] = node.Scale[2] = 2;
    scene.Nodes = {node};
    Load(scene);
    Engine.RenderLookAt(10, 0, 2, 0, 0, 2, 0, 0, 1);
    EXPECT_EQ(Pixel(32, 32), White);
    Engine.RenderLookAt(10, 0, 1, 0, 0, 1, 0, 0, 1);
    EXPECT_EQ(Pixel(32, 32), Black);
}

TEST_F(DrawingTest, DrawsVertexColoursOrOpaqueWhite) {
    TScene scene;
    TMesh red = Square("Red", -2, 0, 1);
    red.Colors = {1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1, 1, 0, 0, 1};
    scene.Meshes = {red, Square("Plain", 2, 0, 1)};
    scene.Nodes = {MakeNode("R", "#Red"), MakeNode("P", "#Plain")};
    Load(scene);
    glColor4f(0, 0, 1, 0.5f);
    Frame();
    const int left = 32 - 13, right = 32 + 13;
    EXPECT_EQ(Pixel(left, 32), (TRgba{255, 0, 0, 255}));
    EXPECT_EQ(Pixel(right, 32), White);
    std::array<GLfloat, 4> colour{};
    glGetFloatv(GL_CURRENT_COLOR, colour.data());
    EXPECT_EQ(colour, (std::array<GLfloat, 4>{1, 1, 1, 1}));
}

TEST_F(DrawingTest, SkipsNodesWithoutGeometryAndDrawsTheOthers) {
    TScene scene;
    scene.Meshes = {Square("Mark", 0, 0, 1)};
    scene.Nodes = {MakeNode("Lost", "#Nothing"), MakeNode("Found", "#Mark")};
    Load(scene);
    GlCalls().clear();
    RECORD_GL(glDrawRangeElements);
    Frame();
    EXPECT_EQ(CallsTo("glDrawRangeElements").size(), 1u);
    EXPECT_EQ(Pixel(32, 32), White);
    EXPECT_EQ(Integer(GL_MODELVIEW_STACK_DEPTH), 1);
}

TEST_F(DrawingTest, APolygonModeCarriesOverLaterAssetsAndFramesUntilAnotherIsSet) {
    TScene scene;
    scene.Meshes = {Square("Big", 0, 0, 3)};
    scene.Nodes = {MakeNode("N", "#Big")};
    TColladaAsset& first = Load(scene);
    Load(scene);
    // Inside the square, away from its edges and its diagonal.
    first.PolygonMode = GL_LINE;
    Frame();
    EXPECT_EQ(PolygonMode(), GL_LINE);
    EXPECT_EQ(Pixel(40, 26), Black) << "both squares drawn as outlines";
    first.PolygonMode = -1;
    Frame();
    EXPECT_EQ(PolygonMode(), GL_LINE);
    EXPECT_EQ(Pixel(40, 26), Black);
    first.PolygonMode = GL_FILL;
    Frame();
    EXPECT_EQ(PolygonMode(), GL_FILL);
    EXPECT_EQ(Pixel(40, 26), White);
}

TEST_F(DrawingTest, AnInvisibleAssetMakesNoCallAtAll) {
    TScene scene;
    scene.Meshes = {Square("Big", 0, 0, 3)};
    scene.Nodes = {MakeNode("N", "#Big")};
    TColladaAsset& asset = Load(scene);
    asset.Visible = false;
    asset.PolygonMode = GL_LINE;
    asset.ShaderIndex = 0;
    Engine.ShaderEngine->AddShader("Unbuilt", "none.vert", "none.frag");
    Engine.BeginFrame();
    GlCalls().clear();
    RECORD_GL(glBindBufferARB);
    RECORD_GL(glDrawRangeElements);
    RECORD_GL(glUseProgramObjectARB);
    RECORD_GL(glActiveTextureARB);
    Engine.DrawAsset(&asset);
    EXPECT_TRUE(GlCalls().empty());
    EXPECT_EQ(PolygonMode(), GL_FILL);
    EXPECT_EQ(Integer(GL_MODELVIEW_STACK_DEPTH), 1);
    EXPECT_EQ(Pixel(32, 32), Black);
}

TEST_F(DrawingTest, BindsANodesTexturesInListOrderAndUnbindsThemInTheSameOrder) {
    TScene scene;
    scene.Meshes = {Square("Mark", 0, 0, 1)};
    scene.Nodes = {MakeNode("N", "#Mark")};
    TColladaAsset& asset = Load(scene);
    TTextureEngine& textures = *Engine.TextureEngine;
    // Files of no known kind give empty textures without being read.
    ASSERT_EQ(textures.LoadTexture("zero.none", GL_TEXTURE0_ARB), 0);
    ASSERT_EQ(textures.LoadTexture("one.none", GL_TEXTURE0_ARB + 1), 1);
    ASSERT_EQ(textures.LoadTexture("two.none", GL_TEXTURE0_ARB + 2), 2);
    asset.VisualScenes->Items[0]->TextureIndices = {2, 0};

    GlCalls().clear();
    {
        RECORD_GL(glActiveTextureARB);
        RECORD_GL(glDrawRangeElements);
        Frame();
    }
    const std::vector<std::string> expectedNames{"glActiveTextureARB", "glActiveTextureARB", "glDrawRangeElements",
                                                 "glActiveTextureARB", "glActiveTextureARB"};
    ASSERT_EQ(GlCalls().size(), expectedNames.size());
    for (std::size_t i = 0; i < expectedNames.size(); ++i) EXPECT_EQ(GlCalls()[i].Name, expectedNames[i]);
    EXPECT_EQ(GlCalls()[0].Arguments[0], GL_TEXTURE0_ARB + 2);
    EXPECT_EQ(GlCalls()[1].Arguments[0], GL_TEXTURE0_ARB);
    EXPECT_EQ(GlCalls()[3].Arguments[0], GL_TEXTURE0_ARB + 2);
    EXPECT_EQ(GlCalls()[4].Arguments[0], GL_TEXTURE0_ARB);
    for (GLenum unit : {GL_TEXTURE0_ARB, GL_TEXTURE0_ARB + 2}) {
        Gl::glActiveTextureARB(unit);
        EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
        EXPECT_EQ(static_cast<GLuint>(Integer(GL_TEXTURE_BINDING_2D)), textures.Textures[unit - GL_TEXTURE0_ARB]->Id);
    }

    Engine.UseTextures = false;
    GlCalls().clear();
    RECORD_GL(glActiveTextureARB);
    Frame();
    EXPECT_TRUE(GlCalls().empty());
}
