// The shader store: registration, building, the current-program cache, integer uniforms and diagnostics.
#include <EGL/egl.h>
#include <GL/gl.h>
#include <gtest/gtest.h>

#include "EngineDocuments.h"
#include "FileRead.h"
#include "GlCallLog.h"
#include "GlTestContext.h"

namespace {

const char* const VertexText = "void main() { gl_Position = ftransform(); }\n";
const char* const FragmentText =
    "uniform int UseTexture;\nuniform ivec2 Two;\nuniform ivec3 Three;\nuniform ivec4 Four;\n"
    "void main() { gl_FragColor = vec4(float(UseTexture + Two.y + Three.z + Four.w) / 255.0); }\n";

GLint CurrentProgram() {
    GLint program = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &program);
    return program;
}

std::vector<GLint> Uniform(GLhandleARB program, const char* name, int count) {
    static const auto getUniform = reinterpret_cast<PFNGLGETUNIFORMIVARBPROC>(eglGetProcAddress("glGetUniformivARB"));
    std::vector<GLint> values(4, -99);
    getUniform(program, Gl::glGetUniformLocationARB(program, name), values.data());
    values.resize(static_cast<std::size_t>(count));
    return values;
}

class ShaderTest : public THeadlessEngineTest {
protected:
    TShaderEngine& Shaders = *Engine.ShaderEngine;
    TTempFile Vertex{"shader.vert", VertexText};
    TTempFile Fragment{"shader.frag", FragmentText};

    TShader& Built() {
        const int index = Shaders.AddShader("Phong", Vertex.Path, Fragment.Path);
        Shaders.BuildAll();
        return *Shaders.Shaders[static_cast<std::size_t>(index)];
    }
};

}  // namespace

TEST_F(ShaderTest, RegistrationOnlyAppendsEvenTheSameNameTwice) {
    GlCalls().clear();
    RECORD_GL(glCreateShaderObjectARB);
    RECORD_GL(glCreateProgramObjectARB);
    EXPECT_EQ(Shaders.AddShader("Phong", "a.vert", "a.frag"), 0);
    EXPECT_EQ(Shaders.AddShader("Phong", "a.vert", "a.frag"), 1);
    EXPECT_TRUE(GlCalls().empty());
    EXPECT_EQ(Shaders.Shaders[1]->Program, 0u);
    EXPECT_TRUE(Shaders.Shaders[1]->VertexSource.empty());
}

TEST_F(ShaderTest, BuildCompilesFragmentThenVertexAndLinksBoth) {
    GlCalls().clear();
    RECORD_GL(glCreateShaderObjectARB);
    RECORD_GL(glCompileShaderARB);
    RECORD_GL(glAttachObjectARB);
    RECORD_GL(glLinkProgramARB);
    testing::internal::CaptureStderr();
    TShader& shader = Built();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    ASSERT_EQ(GlCalls().size(), 7u);
    EXPECT_EQ(GlCalls()[0].Arguments[0], GL_FRAGMENT_SHADER_ARB);
    EXPECT_EQ(GlCalls()[1].Arguments[0], GL_VERTEX_SHADER_ARB);
    const long long fragment = GlCalls()[2].Arguments[0];
    const long long vertex = GlCalls()[3].Arguments[0];
    EXPECT_NE(fragment, vertex);
    EXPECT_EQ(GlCalls()[4], (TGlCall{"glAttachObjectARB", {shader.Program, fragment}}));
    EXPECT_EQ(GlCalls()[5], (TGlCall{"glAttachObjectARB", {shader.Program, vertex}}));
    EXPECT_EQ(GlCalls()[6], (TGlCall{"glLinkProgramARB", {shader.Program}}));
    EXPECT_EQ(shader.VertexSource, VertexText);
}

TEST_F(ShaderTest, UseShaderCallsGlOnlyWhenTheProgramChanges) {
    TShader& shader = Built();
    GlCalls().clear();
    RECORD_GL(glUseProgramObjectARB);
    Shaders.UseShader(0);
    Shaders.UseShader(0);
    EXPECT_EQ(CallsTo("glUseProgramObjectARB"), (std::vector<TGlCall>{{"glUseProgramObjectARB", {shader.Program}}}));
    EXPECT_EQ(CurrentProgram(), static_cast<GLint>(shader.Program));
    Shaders.UseShader(-1);
    EXPECT_EQ(Shaders.Current, -1);
    EXPECT_EQ(CurrentProgram(), 0);
    Shaders.UseShader(-1);
    Shaders.ClearShader();
    Shaders.ClearShader();
    const std::vector<TGlCall> expected{{"glUseProgramObjectARB", {shader.Program}},
                                        {"glUseProgramObjectARB", {0}},
                                        {"glUseProgramObjectARB", {0}},
                                        {"glUseProgramObjectARB", {0}}};
    EXPECT_EQ(GlCalls(), expected);
}

TEST_F(ShaderTest, SetUniformSetsOneToFourIntegersAndLeavesTheFixedPipelineCurrent) {
    TShader& shader = Built();
    const int one = 7, two[] = {1, 2}, three[] = {3, 4, 5}, four[] = {6, 7, 8, 9};
    Shaders.UseShader(0);
    shader.SetUniform("UseTexture", 1, &one);
    shader.SetUniform("Two", 2, two);
    shader.SetUniform("Three", 3, three);
    shader.SetUniform("Four", 4, four);
    EXPECT_EQ(Uniform(shader.Program, "UseTexture", 1), (std::vector<GLint>{7}));
    EXPECT_EQ(Uniform(shader.Program, "Two", 2), (std::vector<GLint>{1, 2}));
    EXPECT_EQ(Uniform(shader.Program, "Three", 3), (std::vector<GLint>{3, 4, 5}));
    EXPECT_EQ(Uniform(shader.Program, "Four", 4), (std::vector<GLint>{6, 7, 8, 9}));
    EXPECT_EQ(CurrentProgram(), 0);
    // The cache follows GL, so the next UseShader(0) really makes the program current again.
    EXPECT_EQ(Shaders.Current, -1);
    Shaders.UseShader(0);
    EXPECT_EQ(CurrentProgram(), static_cast<GLint>(shader.Program));
}

TEST_F(ShaderTest, SetUniformWithAnUnknownTypeOrNameSetsNothingButStillSwitchesPrograms) {
    TShader& shader = Built();
    const int zero = 0, values[] = {5, 5, 5, 5};
    shader.SetUniform("UseTexture", 1, &zero);
    GlCalls().clear();
    {
        RECORD_GL(glUseProgramObjectARB);
        RECORD_GL(glUniform1iv);
        RECORD_GL(glUniform4iv);
        shader.SetUniform("UseTexture", 5, values);
        shader.SetUniform("NoSuchUniform", 1, values);
    }
    const std::vector<TGlCall> expected{{"glUseProgramObjectARB", {shader.Program}},
                                        {"glUseProgramObjectARB", {0}},
                                        {"glUseProgramObjectARB", {shader.Program}},
                                        {"glUniform1iv", {-1, 1, AsInteger(values)}},
                                        {"glUseProgramObjectARB", {0}}};
    EXPECT_EQ(GlCalls(), expected);
    EXPECT_EQ(Uniform(shader.Program, "UseTexture", 1), (std::vector<GLint>{0}));
}

TEST_F(ShaderTest, AFrameStartsOnTheFixedPipelineAndSwitchesOncePerAsset) {
    TShader& shader = Built();
    TScene scene;
    scene.Meshes = {Square("A", -2, 0, 1), Square("B", 2, 0, 1)};
    scene.Nodes = {MakeNode("A", "#A"), MakeNode("B", "#B")};
    TTempFile file("scene.dae", scene.Document());
    ASSERT_EQ(Engine.LoadAsset(file.Path), 0);
    Engine.Assets[0]->ShaderIndex = 0;
    const int value = 255;
    shader.SetUniform("UseTexture", 1, &value);
    Shaders.UseShader(0);

    GlCalls().clear();
    {
        RECORD_GL(glUseProgramObjectARB);
        Engine.RenderLookAt(0, 0, 10, 0, 0, 0, 0, 1, 0);
    }
    EXPECT_EQ(GlCalls(),
              (std::vector<TGlCall>{{"glUseProgramObjectARB", {0}}, {"glUseProgramObjectARB", {shader.Program}}}));
    EXPECT_EQ(Pixel(32 - 13, 32), (std::array<unsigned char, 4>{255, 255, 255, 255}));

    Engine.UseShaders = false;
    GlCalls().clear();
    {
        RECORD_GL(glUseProgramObjectARB);
        Engine.RenderLookAt(0, 0, 10, 0, 0, 0, 0, 1, 0);
    }
    EXPECT_EQ(GlCalls(), (std::vector<TGlCall>{{"glUseProgramObjectARB", {0}}}));
}

TEST_F(ShaderTest, AMissingSourceLeavesBuildAllNamingTheFile) {
    const std::string missing = TTempFile::Directory() + "/missing.frag";
    Shaders.AddShader("Broken", Vertex.Path, missing);
    Shaders.AddShader("Next", Vertex.Path, Fragment.Path);
    try {
        Shaders.BuildAll();
        FAIL() << "no error raised";
    } catch (const TFileError& error) {
        EXPECT_NE(std::string(error.what()).find(missing), std::string::npos) << error.what();
    }
    EXPECT_EQ(Shaders.Shaders[0]->VertexSource, VertexText);
    EXPECT_EQ(Shaders.Shaders[0]->Program, 0u);
    EXPECT_EQ(Shaders.Shaders[1]->Program, 0u);

    TShader directory("Dir", TTempFile::Directory(), Fragment.Path);
    EXPECT_THROW(directory.ReadSources(), TFileError);
}

TEST_F(ShaderTest, AFailedCompileOrLinkIsToldOnStandardErrorAndNothingElseChanges) {
    TTempFile broken("broken.frag", "void main() { this is not glsl }\n");
    const int index = Shaders.AddShader("Phong", Vertex.Path, broken.Path);
    testing::internal::CaptureStderr();
    EXPECT_NO_THROW(Shaders.BuildAll());
    const std::string told = testing::internal::GetCapturedStderr();
    EXPECT_EQ(told.rfind(broken.Path + ": compile failed: ", 0), 0u) << told;
    EXPECT_NE(told.find(": link failed: "), std::string::npos) << told;
    EXPECT_EQ(told.find(Vertex.Path + ": compile failed"), std::string::npos) << told;

    TShader& shader = *Shaders.Shaders[static_cast<std::size_t>(index)];
    EXPECT_NE(shader.Program, 0u);
    Shaders.UseShader(index);
    EXPECT_EQ(Shaders.Current, index);
    EXPECT_EQ(CurrentProgram(), 0) << "GL refuses an unlinked program";
}

TEST_F(ShaderTest, SourcesReachGlAsStoredUpToTheirFirstNulByte) {
    const std::string crlf = "void main()\r\n{\r\n  gl_Position = ftransform();\r\n}\r\n";
    const std::string withNul = std::string(FragmentText) + std::string("\0 garbage that does not compile", 31);
    TTempFile vertex("crlf.vert", crlf);
    TTempFile fragment("nul.frag", withNul);
    Shaders.AddShader("Phong", vertex.Path, fragment.Path);
    testing::internal::CaptureStderr();
    Shaders.BuildAll();
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(Shaders.Shaders[0]->VertexSource, crlf);
    EXPECT_EQ(Shaders.Shaders[0]->FragmentSource, withNul);
    Shaders.UseShader(0);
    EXPECT_EQ(CurrentProgram(), static_cast<GLint>(Shaders.Shaders[0]->Program));

    TTempFile empty("empty.frag", "");
    Shaders.AddShader("Empty", vertex.Path, empty.Path);
    testing::internal::CaptureStderr();
    Shaders.Shaders[1]->Build();
    EXPECT_NE(testing::internal::GetCapturedStderr().find(empty.Path + ": compile failed"), std::string::npos);
    EXPECT_TRUE(Shaders.Shaders[1]->FragmentSource.empty());
}
