// The engine's context, initial state, projection, frames, asset list and destruction, on a headless pbuffer.
#include <cmath>

#include <EGL/egl.h>
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "EngineDocuments.h"
#include "GlCallLog.h"
#include "GlTestContext.h"
#include "TestImages.h"

namespace {

constexpr double Pi = 3.14159265358979323846;

std::array<double, 16> Matrix(GLenum which) {
    std::array<double, 16> m{};
    glGetDoublev(which, m.data());
    return m;
}

GLint Integer(GLenum which) {
    GLint value = 0;
    glGetIntegerv(which, &value);
    return value;
}

std::array<GLint, 4> Viewport() {
    std::array<GLint, 4> v{};
    glGetIntegerv(GL_VIEWPORT, v.data());
    return v;
}

// A column-major matrix applied to a point.
std::array<double, 3> Apply(const std::array<double, 16>& m, double x, double y, double z) {
    return {m[0] * x + m[4] * y + m[8] * z + m[12], m[1] * x + m[5] * y + m[9] * z + m[13],
            m[2] * x + m[6] * y + m[10] * z + m[14]};
}

void ExpectPoint(const std::array<double, 3>& p, double x, double y, double z) {
    EXPECT_NEAR(p[0], x, 1e-5);
    EXPECT_NEAR(p[1], y, 1e-5);
    EXPECT_NEAR(p[2], z, 1e-5);
}

std::string OneTriangleScene() {
    TScene scene;
    scene.Meshes = {Triangle("Tri", 0.5f)};
    scene.Nodes = {MakeNode("N", "#Tri")};
    return scene.Document();
}

}  // namespace

TEST(EngineConstruction, SetsTheInitialStateAndProjection) {
    TXmlDocument document;
    TColladaEngine engine(&document, TNativeWindow{}, 80, 40, 60.0f, 0.5f, 50.0f);
    std::array<GLfloat, 4> clear{};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clear.data());
    EXPECT_EQ(clear, (std::array<GLfloat, 4>{0, 0, 0, 1}));
    GLdouble depth = 0;
    glGetDoublev(GL_DEPTH_CLEAR_VALUE, &depth);
    EXPECT_EQ(depth, 1.0);
    EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST));
    EXPECT_EQ(Integer(GL_DEPTH_FUNC), GL_LESS);
    EXPECT_FALSE(glIsEnabled(GL_LIGHTING));
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(Viewport(), (std::array<GLint, 4>{0, 0, 80, 40}));
    std::array<GLint, 2> polygonMode{};
    glGetIntegerv(GL_POLYGON_MODE, polygonMode.data());
    EXPECT_EQ(polygonMode, (std::array<GLint, 2>{GL_FILL, GL_FILL}));
    EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_MODELVIEW);

    const double f = 1.0 / std::tan(30.0 * Pi / 180.0);
    const auto projection = Matrix(GL_PROJECTION_MATRIX);
    EXPECT_NEAR(projection[0], f / 2.0, 1e-5);
    EXPECT_NEAR(projection[5], f, 1e-5);
    EXPECT_NEAR(projection[10], (50.0 + 0.5) / (0.5 - 50.0), 1e-5);
    EXPECT_NEAR(projection[14], 2.0 * 50.0 * 0.5 / (0.5 - 50.0), 1e-5);
    EXPECT_EQ(Matrix(GL_MODELVIEW_MATRIX), (std::array<double, 16>{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}));
}

TEST(EngineConstruction, TheDemoFormUses45DegreesAndItsClippingPlanes) {
    THeadlessEngine headless(50, 50);
    const auto projection = Matrix(GL_PROJECTION_MATRIX);
    EXPECT_NEAR(projection[5], 1.0 / std::tan(22.5 * Pi / 180.0), 1e-5);
    EXPECT_NEAR(projection[10], (100.0 + 0.1) / (0.1 - 100.0), 1e-5);
    EXPECT_NEAR(projection[14], 2.0 * 100.0 * 0.1 / (0.1 - 100.0), 1e-5);
}

// Nothing switched after construction: the first frame already draws an asset with its program and a
// node with its textures.
TEST_F(THeadlessEngineTest, TheFirstFrameUsesTheAssetsProgramAndTheNodesTextures) {
    TColladaEngine& engine = Engine;
    TScene textured;
    textured.Meshes = {Square("Left", -2, 0, 1)};
    textured.Nodes = {MakeNode("L", "#Left")};
    TScene programmed;
    programmed.Meshes = {Square("Right", 2, 0, 1)};
    programmed.Nodes = {MakeNode("R", "#Right")};
    TTempFile texturedFile("textured.dae", textured.Document());
    TTempFile programmedFile("programmed.dae", programmed.Document());
    ASSERT_EQ(engine.LoadAsset(texturedFile.Path), 0);
    ASSERT_EQ(engine.LoadAsset(programmedFile.Path), 1);

    // One colour all over, so that the texture coordinate a vertex lacks does not matter.
    TRgbImage blue{2, 2, std::vector<unsigned char>(12, 0)};
    for (int i = 0; i < 4; ++i) blue.Rgb[static_cast<std::size_t>(i) * 3 + 2] = 255;
    TTempFile image("blue.bmp", Bmp24(blue));
    engine.Assets[0]->VisualScenes->Items[0]->TextureIndices = {
        engine.TextureEngine->LoadTexture(image.Path, GL_TEXTURE0_ARB)};

    TTempFile vertex("green.vert", "void main() { gl_Position = ftransform(); }\n");
    TTempFile fragment("green.frag", "void main() { gl_FragColor = vec4(0.0, 1.0, 0.0, 1.0); }\n");
    engine.Assets[1]->ShaderIndex = engine.ShaderEngine->AddShader("Green", vertex.Path, fragment.Path);
    engine.ShaderEngine->BuildAll();

    engine.RenderLookAt(0, 0, 10, 0, 0, 0, 0, 1, 0);
    EXPECT_EQ(Pixel(32 - 13, 32), (std::array<unsigned char, 4>{0, 0, 255, 255}));
    EXPECT_EQ(Pixel(32 + 13, 32), (std::array<unsigned char, 4>{0, 255, 0, 255}));
}

TEST(EngineConstruction, AZeroHeightComputesTheAspectWithHeightOne) {
    THeadlessEngine headless(64, 0);
    const auto projection = Matrix(GL_PROJECTION_MATRIX);
    const double f = 1.0 / std::tan(22.5 * Pi / 180.0);
    EXPECT_TRUE(std::isfinite(projection[0]));
    EXPECT_NEAR(projection[0], f / 64.0, 1e-6);
    EXPECT_NEAR(projection[5], f, 1e-5);
}

TEST(EngineConstruction, TwoEnginesLiveSideBySideAndEachEndsItsOwnContext) {
    auto first = std::make_unique<THeadlessEngine>(8, 8);
    auto second = std::make_unique<THeadlessEngine>(16, 16);
    EXPECT_EQ(Viewport()[2], 16);
    second.reset();
    EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
    first.reset();
    THeadlessEngine third(4, 4);
    EXPECT_NE(eglGetCurrentContext(), EGL_NO_CONTEXT);
    EXPECT_EQ(Viewport()[2], 4);
}

TEST(EngineResize, IgnoresAZeroHeightAndOtherwiseUses45Degrees) {
    TXmlDocument document;
    TColladaEngine engine(&document, TNativeWindow{}, 64, 64, 70.0f, 1.0f, 10.0f);
    const auto before = Matrix(GL_PROJECTION_MATRIX);
    glMatrixMode(GL_MODELVIEW);
    glTranslatef(1, 2, 3);
    engine.Resize(100, 0);
    EXPECT_EQ(Viewport(), (std::array<GLint, 4>{0, 0, 64, 64}));
    EXPECT_EQ(Matrix(GL_PROJECTION_MATRIX), before);
    EXPECT_EQ(Matrix(GL_MODELVIEW_MATRIX)[12], 1.0);

    engine.Resize(120, 60);
    EXPECT_EQ(Viewport(), (std::array<GLint, 4>{0, 0, 120, 60}));
    const auto projection = Matrix(GL_PROJECTION_MATRIX);
    const double f = 1.0 / std::tan(22.5 * Pi / 180.0);
    EXPECT_NEAR(projection[5], f, 1e-5);
    EXPECT_NEAR(projection[0], f / 2.0, 1e-5);
    EXPECT_NEAR(projection[10], 11.0 / -9.0, 1e-5);
    EXPECT_EQ(Integer(GL_MATRIX_MODE), GL_MODELVIEW);
    EXPECT_EQ(Matrix(GL_MODELVIEW_MATRIX)[12], 0.0);
}

TEST_F(THeadlessEngineTest, LoadAssetGivesConsecutiveIndicesAndMinusOneForADocumentWithoutScene) {
    TTempFile good("good.dae", OneTriangleScene());
    TTempFile noScene("noscene.dae", "<COLLADA><library_geometries/></COLLADA>");
    TTempFile malformed("malformed.dae", "<COLLADA><library_geometries>");
    EXPECT_EQ(Engine.LoadAsset(good.Path), 0);
    EXPECT_EQ(Engine.LoadAsset(noScene.Path), -1);
    EXPECT_EQ(Engine.Assets.Count(), 1);
    EXPECT_THROW(Engine.LoadAsset(malformed.Path), TXmlError);
    EXPECT_THROW(Engine.LoadAsset(TTempFile::Directory() + "/missing.dae"), TXmlError);
    EXPECT_EQ(Engine.Assets.Count(), 1);
    EXPECT_EQ(Engine.LoadAsset(good.Path), 1);
    EXPECT_NE(Engine.Assets[0]->Geometries->Items[0]->PositionBuffer,
              Engine.Assets[1]->Geometries->Items[0]->PositionBuffer);
}

TEST_F(THeadlessEngineTest, AFrameWithoutAssetsStillClears) {
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glClearColor(0, 0, 0, 1);
    Engine.RenderLookAt(0, 0, 5, 0, 0, 0, 0, 1, 0);
    EXPECT_EQ(Pixel(10, 10), (std::array<unsigned char, 4>{0, 0, 0, 255}));
    glClearColor(0, 1, 0, 1);
    Engine.RenderPlaced(0, 0, 0, 0, 0, 0, 1, 1, 1);
    EXPECT_EQ(Pixel(10, 10), (std::array<unsigned char, 4>{0, 255, 0, 255}));
}

TEST_F(THeadlessEngineTest, RenderPlacedTurnsAboutXThenYThenZ) {
    Engine.RenderPlaced(0, 0, 0, 0, 30, 0, 1, 1, 1);
    const double c = std::cos(30.0 * Pi / 180.0), s = std::sin(30.0 * Pi / 180.0);
    ExpectPoint(Apply(Matrix(GL_MODELVIEW_MATRIX), 1, 0, 0), c, 0, -s);

    // x first: (0, 1, 0) turns to (0, 0, 1), which z leaves alone; z first would give (-1, 0, 0).
    Engine.RenderPlaced(0, 0, 0, 90, 0, 90, 1, 1, 1);
    ExpectPoint(Apply(Matrix(GL_MODELVIEW_MATRIX), 0, 1, 0), 0, 0, 1);

    // Scaled before it is turned and moved.
    Engine.RenderPlaced(1, 2, 3, 0, 0, 90, 2, 3, 4);
    ExpectPoint(Apply(Matrix(GL_MODELVIEW_MATRIX), 1, 0, 0), 1, 4, 3);
}

TEST_F(THeadlessEngineTest, RenderLookAtSetsTheCameraAndTheFrameLeavesItInPlace) {
    TTempFile scene("scene.dae", OneTriangleScene());
    Engine.LoadAsset(scene.Path);
    Engine.RenderLookAt(0, 0, 5, 0, 0, 0, 0, 1, 0);
    ExpectPoint(Apply(Matrix(GL_MODELVIEW_MATRIX), 0, 0, 0), 0, 0, -5);
    EXPECT_EQ(Integer(GL_MODELVIEW_STACK_DEPTH), 1);
    EXPECT_EQ(Pixel(32, 32), (std::array<unsigned char, 4>{255, 255, 255, 255}));
}

namespace {

struct TDeletion {
    GLuint Name;
    bool ContextCurrent;
};

std::vector<TDeletion>& Deletions() {
    static std::vector<TDeletion> deletions;
    return deletions;
}

PFNGLDELETEBUFFERSPROC DriverDeleteBuffers = nullptr;

void RecordDeleteBuffers(GLsizei n, const GLuint* buffers) {
    for (GLsizei i = 0; i < n; ++i) Deletions().push_back({buffers[i], eglGetCurrentContext() != EGL_NO_CONTEXT});
    DriverDeleteBuffers(n, buffers);
}

}  // namespace

TEST(EngineDestruction, DeletesEveryBufferInOrderWhileTheContextIsCurrentThenTheContext) {
    TScene first;
    first.Meshes = {Triangle("Tri", 0.5f),
                    TMesh{"Lines", {0, 0, 0, 1, 1, 1}, {}, {}, {1, 0, 0, 1, 0, 1, 0, 1}, "lines", {0, 1}}};
    first.Meshes[0].Normals = {0, 0, 1, 0, 0, 1, 0, 0, 1};
    first.Nodes = {MakeNode("N", "#Tri")};
    TScene second;
    second.Meshes = {Triangle("Other", 1.0f), TMesh{"Empty", {0, 0, 0}, {}, {}, {}, "triangles", {}}};
    second.Nodes = {MakeNode("N", "#Other")};
    TTempFile firstFile("first.dae", first.Document());
    TTempFile secondFile("second.dae", second.Document());

    auto headless = std::make_unique<THeadlessEngine>(8, 8);
    TColladaEngine& engine = *headless->Engine;
    ASSERT_EQ(engine.LoadAsset(firstFile.Path), 0);
    ASSERT_EQ(engine.LoadAsset(secondFile.Path), 1);
    std::vector<GLuint> expected;
    for (const auto& asset : engine.Assets)
        for (const auto& g : asset->Geometries->Items)
            for (GLuint name : {g->PositionBuffer, g->NormalBuffer, g->TexCoordBuffer, g->ColorBuffer, g->Attrib1Buffer,
                                g->Attrib2Buffer, g->TriangleBuffer, g->LineBuffer})
                if (name != 0) expected.push_back(name);
    ASSERT_EQ(expected.size(), 3u + 3u + 2u + 1u);

    Deletions().clear();
    DriverDeleteBuffers = Gl::glDeleteBuffers;
    Gl::glDeleteBuffers = RecordDeleteBuffers;
    headless.reset();
    Gl::glDeleteBuffers = DriverDeleteBuffers;

    ASSERT_EQ(Deletions().size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(Deletions()[i].Name, expected[i]);
        EXPECT_TRUE(Deletions()[i].ContextCurrent);
    }
    EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT);
}
