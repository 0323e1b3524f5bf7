// The GLSL programs: registered by name with two source files, built once at start-up, selected while drawing.
#include "Colladaengine.h"

#include <algorithm>
#include <iostream>

#include "FileRead.h"
#include "GlExtensions.h"
#include "MessageText.h"

namespace {

// Whether the object's compile or link status (the given status query) reports success. A driver without the
// query is taken at its word, since the diagnostics must never call through a missing entry point.
bool Succeeded(GLhandleARB object, GLenum statusQuery) {
    if (Gl::glGetObjectParameterivARB == nullptr) return true;
    GLint status = GL_FALSE;
    Gl::glGetObjectParameterivARB(object, statusQuery, &status);
    return status != GL_FALSE;
}

// The driver's information log of the object, without its trailing line ends.
std::string InfoLog(GLhandleARB object) {
    if (Gl::glGetObjectParameterivARB == nullptr || Gl::glGetInfoLogARB == nullptr) return {};
    GLint length = 0;
    Gl::glGetObjectParameterivARB(object, GL_OBJECT_INFO_LOG_LENGTH_ARB, &length);
    if (length <= 0) return {};
    std::string log(static_cast<std::size_t>(length), '\0');
    GLsizei written = 0;
    Gl::glGetInfoLogARB(object, length, &written, log.data());
    log.resize(static_cast<std::size_t>(std::clamp<GLsizei>(written, 0, length)));
    while (!log.empty() && (log.back() == '\n' || log.back() == '\r' || log.back() == '\0')) log.pop_back();
    return log;
}

// The driver's log may quote the source, so each of its lines is escaped like any text from a file.
std::string EscapedLines(const std::string& log) {
    std::string out;
    for (std::size_t start = 0; start <= log.size();) {
        const std::size_t end = std::min(log.find('\n', start), log.size());
        if (start > 0) out += '\n';
        out += EscapeForMessage(std::string_view(log).substr(start, end - start));
        start = end + 1;
    }
    return out;
}

// A failure is told on standard error and changes nothing else: drawing with a broken program behaves as
// GL makes it behave.
void ReportFailure(GLhandleARB object, GLenum statusQuery, const std::string& what) {
    if (!Succeeded(object, statusQuery)) std::cerr << what << ": " << EscapedLines(InfoLog(object)) << '\n';
}

void Compile(GLhandleARB shader, const std::string& source, const std::string& fileName) {
    const GLcharARB* text = source.c_str();
    Gl::glShaderSourceARB(shader, 1, &text, nullptr);
    Gl::glCompileShaderARB(shader);
    ReportFailure(shader, GL_OBJECT_COMPILE_STATUS_ARB, FileMessage(fileName, "compile failed"));
}

}  // namespace

TShader::TShader(const std::string& name, const std::string& vertexFile, const std::string& fragmentFile)
    : Name(name), VertexFile(vertexFile), FragmentFile(fragmentFile) {}

void TShader::ReadSources() {
    VertexSource = ReadWholeTextFile(VertexFile);
    FragmentSource = ReadWholeTextFile(FragmentFile);
}

void TShader::Build() {
    ReadSources();
    const GLhandleARB fragment = Gl::glCreateShaderObjectARB(GL_FRAGMENT_SHADER_ARB);
    const GLhandleARB vertex = Gl::glCreateShaderObjectARB(GL_VERTEX_SHADER_ARB);
    Compile(fragment, FragmentSource, FragmentFile);
    Compile(vertex, VertexSource, VertexFile);
    Program = Gl::glCreateProgramObjectARB();
    Gl::glAttachObjectARB(Program, fragment);
    Gl::glAttachObjectARB(Program, vertex);
    Gl::glLinkProgramARB(Program);
    ReportFailure(Program, GL_OBJECT_LINK_STATUS_ARB,
                  EscapeForMessage(VertexFile) + ", " + FileMessage(FragmentFile, "link failed"));
}

void TShader::Use() { Gl::glUseProgramObjectARB(Program); }

// The location is looked up afresh on every call; the program is current only for the uniform call, and the
// owner's record of the current program is brought in line with the program 0 left current.
void TShader::SetUniform(const char* name, int type, const int* values) {
    const GLint location = Gl::glGetUniformLocationARB(Program, name);
    Gl::glUseProgramObjectARB(Program);
    switch (type) {
    case 1: Gl::glUniform1iv(location, 1, values); break;
    case 2: Gl::glUniform2iv(location, 1, values); break;
    case 3: Gl::glUniform3iv(location, 1, values); break;
    case 4: Gl::glUniform4iv(location, 1, values); break;
    default: break;
    }
    Gl::glUseProgramObjectARB(0);
    if (Owner != nullptr) Owner->Current = -1;
}

TShaderEngine::~TShaderEngine() = default;

int TShaderEngine::AddShader(const std::string& name, const std::string& vertexFile, const std::string& fragmentFile) {
    auto shader = std::make_unique<TShader>(name, vertexFile, fragmentFile);
    shader->Owner = this;
    Shaders.Add(std::move(shader));
    return Shaders.Count() - 1;
}

void TShaderEngine::BuildAll() {
    for (const auto& shader : Shaders) shader->Build();
}

void TShaderEngine::UseShader(int index) {
    if (index == Current) return;
    if (index == -1)
        Gl::glUseProgramObjectARB(0);
    else
        Shaders[static_cast<std::size_t>(index)]->Use();
    Current = index;
}

void TShaderEngine::ClearShader() {
    Gl::glUseProgramObjectARB(0);
    Current = -1;
}
