// The look-up of the extension entry points through the window system, and the refusal to start without one
// the engine calls. The test stands between the engine and eglGetProcAddress to watch and to withhold names.
#include <dlfcn.h>

#include <algorithm>
#include <set>

#include <EGL/egl.h>
#include <gtest/gtest.h>

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

const std::vector<std::string> TableOrder{
    "glActiveTextureARB", "glGenBuffersARB", "glBindBufferARB", "glBufferDataARB", "glDrawRangeElements",
    "glCreateShaderObjectARB", "glShaderSourceARB", "glCompileShaderARB", "glCreateProgramObjectARB",
    "glAttachObjectARB", "glLinkProgramARB", "glGetUniformLocationARB", "glUseProgramObjectARB", "glUniform4fv",
    "glGetObjectParameterivARB", "glGetInfoLogARB", "glUniform1fv", "glUniform2fv", "glUniform3fv",
    "glDeleteBuffers", "glUniform1iv", "glUniform2iv", "glUniform3iv", "glUniform4iv", "glVertexAttribPointer",
    "glEnableVertexAttribArray", "glDisableVertexAttribArray", "glGetAttribLocationARB", "glGenRenderbuffersEXT",
    "glBindRenderbufferEXT", "glRenderbufferStorageEXT", "glGenFramebuffersEXT", "glBindFramebufferEXT",
    "glFramebufferRenderbufferEXT", "glFramebufferTexture2DEXT", "glCheckFramebufferStatusEXT",
    "glDeleteRenderbuffersEXT", "glDeleteFramebuffersEXT"};

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

TEST_F(ExtensionTest, EachConstructionLooksUpAll38NamesInTableOrderWithTheContextCurrent) {
    {
        THeadlessEngine first(4, 4);
        EXPECT_EQ(LookedUpNames(), TableOrder);
        LookUps().clear();
        THeadlessEngine second(4, 4);
        EXPECT_EQ(LookedUpNames(), TableOrder);
        EXPECT_TRUE(std::all_of(LookUps().begin(), LookUps().end(), [](const TLookUp& l) { return l.ContextCurrent; }));
    }
    // The pointers outlive the engines.
    EXPECT_NE(Gl::glGenBuffersARB, nullptr);
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
