// The look-up of the extension entry points through the window system, and the refusal to start without one
// the engine calls. The test stands between the engine and eglGetProcAddress to watch and to withhold names.
#include <dlfcn.h>

#include <algorithm>
#include <optional>
#include <set>

#include <EGL/egl.h>
#include <gtest/gtest.h>

#include "GlCallLog.h"
#include "GlExtensions.h"
#include "GlTestContext.h"

namespace {

struct TLookUp {
    std::string Name;
    bool ContextCurrent;
};

std::vector<TLookUp>& LookUps() {
    static std::vector<TLookUp> lookUps;
    return lookUps;
}

std::set<std::string>& Withheld() {
    static std::set<std::string> names;
    return names;
}

using TGetProcAddress = __eglMustCastToProperFunctionPointerType (*)(const char*);

}  // namespace

extern "C" __eglMustCastToProperFunctionPointerType eglGetProcAddress(const char* name) {
    static const auto driver = reinterpret_cast<TGetProcAddress>(dlsym(RTLD_NEXT, "eglGetProcAddress"));
    const std::string text = name;
    if (text.rfind("gl", 0) == 0) LookUps().push_back({text, eglGetCurrentContext() != EGL_NO_CONTEXT});
    return Withheld().count(text) != 0 ? nullptr : driver(name);
}

namespace {

// The names the engine's table holds, in its order.
std::vector<std::string> TableNames() {
    std::vector<std::string> names;
#define GL_TABLE_NAME(type, name, called) names.push_back(#name);
    GL_ENTRY_POINTS(GL_TABLE_NAME)
#undef GL_TABLE_NAME
    return names;
}

// What the driver itself gives for a name.
void* DriverEntryPoint(const std::string& name) {
    static const auto driver = reinterpret_cast<TGetProcAddress>(dlsym(RTLD_NEXT, "eglGetProcAddress"));
    return reinterpret_cast<void*>(driver(name.c_str()));
}

// Every entry point wrapped for as long as the object lives, so that the log shows which ones are called.
struct TRecordEveryEntryPoint {
#define GL_RECORD_ENTRY_POINT(type, name, called) RECORD_GL(name);
    GL_ENTRY_POINTS(GL_RECORD_ENTRY_POINT)
#undef GL_RECORD_ENTRY_POINT
};

// A texture on the first unit for the node, a program with integer uniforms of every size for the asset,
// and a generic attribute stream in use: everything either program can ask of an engine.
void AddEverythingAsset(TColladaEngine& engine, const std::string& vertexFile, const std::string& fragmentFile) {
    auto asset = std::make_unique<TColladaAsset>(engine.Document);
    auto geometry = std::make_unique<TGeometry>();
    geometry->Name = "Tri";
    geometry->Positions = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    geometry->Attrib1 = {1, 1, 1, 1, 1, 1, 1, 1, 1};
    geometry->Attrib1Location = 1;
    geometry->TriangleIndices = {0, 1, 2};
    asset->Geometries->Items.Add(std::move(geometry));
    auto node = std::make_unique<TNode>();
    node->Position = {0, 0, 0};
    node->Rotation = {0, 0, 0};
    node->Scale = {1, 1, 1};
    node->GeometryIndex = 0;
    node->TextureIndices = {engine.TextureEngine->LoadTexture("texture.none", GL_TEXTURE0_ARB)};
    asset->VisualScenes->Items.Add(std::move(node));
    engine.UploadGeometries(asset.get());

    TShaderEngine& shaders = *engine.ShaderEngine;
    asset->ShaderIndex = shaders.AddShader("Everything", vertexFile, fragmentFile);
    shaders.BuildAll();
    const int values[4] = {1, 2, 3, 4};
    for (int type = 1; type <= 4; ++type) shaders.Shaders[0]->SetUniform("Values", type, values);
    engine.UseAttributes = true;
    engine.Assets.Add(std::move(asset));
}

// Constructs an engine, uses all of it for one frame and ends it; the names of the entry points it called
// when `record` is set, else none. Construction errors pass out.
std::set<std::string> RunWholeSession(bool record) {
    TTempFile vertex("session.vert", "void main() { gl_Position = ftransform(); }\n");
    TTempFile fragment("session.frag",
                       "uniform ivec4 Values;\nvoid main() { gl_FragColor = vec4(float(Values.w) / 4.0); }\n");
    auto headless = std::make_unique<THeadlessEngine>(8, 8);
    std::optional<TRecordEveryEntryPoint> recording;
    if (record) {
        GlCalls().clear();
        recording.emplace();
    }
    AddEverythingAsset(*headless->Engine, vertex.Path, fragment.Path);
    headless->Engine->RenderLookAt(0, 0, 5, 0, 0, 0, 0, 1, 0);
    headless.reset();
    std::set<std::string> called;
    if (recording)
        for (const TGlCall& call : GlCalls()) called.insert(call.Name);
    return called;
}

std::vector<std::string> LookedUpNames() {
    std::vector<std::string> names;
    for (const TLookUp& lookUp : LookUps()) names.push_back(lookUp.Name);
    return names;
}

class ExtensionTest : public ::testing::Test {
protected:
    void SetUp() override {
        LookUps().clear();
        Withheld().clear();
    }
    void TearDown() override { Withheld().clear(); }
};

}  // namespace

TEST_F(ExtensionTest, EachConstructionLooksUpTheWholeTableInOrderWithTheContextCurrentAndKeepsTheAnswers) {
    {
        THeadlessEngine first(4, 4);
        EXPECT_EQ(LookedUpNames(), TableNames());
        LookUps().clear();
        THeadlessEngine second(4, 4);
        EXPECT_EQ(LookedUpNames(), TableNames());
        EXPECT_TRUE(std::all_of(LookUps().begin(), LookUps().end(), [](const TLookUp& l) { return l.ContextCurrent; }));
#define GL_EXPECT_DRIVER_ANSWER(type, name, called) \
    EXPECT_EQ(reinterpret_cast<void*>(Gl::name), DriverEntryPoint(#name)) << #name;
        GL_ENTRY_POINTS(GL_EXPECT_DRIVER_ANSWER)
#undef GL_EXPECT_DRIVER_ANSWER
    }
    // The pointers outlive the engines.
    EXPECT_NE(Gl::glGenBuffersARB, nullptr);
}

// Withholding one entry point at a time: the engine refuses to start, naming it, exactly when a whole
// session would call it and has no way round it; without any other it starts and runs the session through.
TEST_F(ExtensionTest, TheEngineRefusesToStartWithoutAnEntryPointItWouldCallAndOnlyThen) {
    const std::set<std::string> called = RunWholeSession(true);
    const std::vector<std::string> lookedUp = LookedUpNames();
    ASSERT_FALSE(lookedUp.empty());
    std::set<std::string> refused;
    for (const std::string& name : lookedUp) {
        Withheld() = {name};
        try {
            RunWholeSession(false);
        } catch (const std::runtime_error& error) {
            EXPECT_EQ(error.what(), "OpenGL driver lacks " + name);
            EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT) << "the context was released";
            refused.insert(name);
        }
    }
    // A refusal is only right for an entry point the session needs. One it calls and was not refused over
    // has a way round its absence, which the session without it just took.
    EXPECT_FALSE(refused.empty());
    for (const std::string& name : refused) EXPECT_EQ(called.count(name), 1u) << name << " is required but unused";
}

TEST_F(ExtensionTest, AMissingEntryPointThatTheEngineCallsStopsTheConstructionNamingIt) {
    Withheld() = {"glGenBuffersARB", "glDisableVertexAttribArray", "glUniform4fv", "glGenFramebuffersEXT"};
    try {
        THeadlessEngine headless(4, 4);
        FAIL() << "the engine started without glGenBuffersARB";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "OpenGL driver lacks glGenBuffersARB, glDisableVertexAttribArray");
    }
    EXPECT_EQ(eglGetCurrentContext(), EGL_NO_CONTEXT) << "the context was released";
    EXPECT_EQ(Gl::MissingEntryPoints(), (std::vector<std::string>{"glGenBuffersARB", "glDisableVertexAttribArray"}));

    Withheld() = {"glUniform4fv", "glGetAttribLocationARB", "glDeleteFramebuffersEXT"};
    EXPECT_NO_THROW(THeadlessEngine(4, 4)) << "entry points no operation calls may be missing";
    Withheld().clear();
    THeadlessEngine healthy(4, 4);
    EXPECT_TRUE(Gl::MissingEntryPoints().empty());
}

TEST_F(ExtensionTest, WithoutTheStatusQueryAFailedCompileIsNotDiagnosedButStillBuilds) {
    Withheld() = {"glGetObjectParameterivARB", "glGetInfoLogARB"};
    THeadlessEngine headless(4, 4);
    TTempFile vertex("v.vert", "void main() { gl_Position = ftransform(); }\n");
    TTempFile fragment("f.frag", "not glsl");
    TShaderEngine& shaders = *headless.Engine->ShaderEngine;
    shaders.AddShader("Phong", vertex.Path, fragment.Path);
    testing::internal::CaptureStderr();
    shaders.BuildAll();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_NE(shaders.Shaders[0]->Program, 0u);
}
