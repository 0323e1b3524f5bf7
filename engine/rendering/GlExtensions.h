// The GL entry points the driver does not export to the linker: buffer objects, ranged drawing, multitexture,
// generic attributes, shader objects and framebuffer objects. They live in a namespace of their own so that
// they never collide with the symbols that libGL exports under the same names; every call in the engine goes
// through these pointers, which is also what lets a test put a recording wrapper in their place.
#pragma once

#include <string>
#include <vector>

#include <GL/gl.h>
#include <GL/glext.h>

// The look-up table in order: type, name, whether the engine calls it.
#define GL_ENTRY_POINTS(X)                                                      \
    X(PFNGLACTIVETEXTUREARBPROC, glActiveTextureARB, true)                      \
    X(PFNGLGENBUFFERSARBPROC, glGenBuffersARB, true)                            \
    X(PFNGLBINDBUFFERARBPROC, glBindBufferARB, true)                            \
    X(PFNGLBUFFERDATAARBPROC, glBufferDataARB, true)                            \
    X(PFNGLDRAWRANGEELEMENTSPROC, glDrawRangeElements, true)                    \
    X(PFNGLCREATESHADEROBJECTARBPROC, glCreateShaderObjectARB, true)            \
    X(PFNGLSHADERSOURCEARBPROC, glShaderSourceARB, true)                        \
    X(PFNGLCOMPILESHADERARBPROC, glCompileShaderARB, true)                      \
    X(PFNGLCREATEPROGRAMOBJECTARBPROC, glCreateProgramObjectARB, true)          \
    X(PFNGLATTACHOBJECTARBPROC, glAttachObjectARB, true)                        \
    X(PFNGLLINKPROGRAMARBPROC, glLinkProgramARB, true)                          \
    X(PFNGLGETUNIFORMLOCATIONARBPROC, glGetUniformLocationARB, true)            \
    X(PFNGLUSEPROGRAMOBJECTARBPROC, glUseProgramObjectARB, true)                \
    X(PFNGLUNIFORM4FVPROC, glUniform4fv, false)                                 \
    X(PFNGLGETOBJECTPARAMETERIVARBPROC, glGetObjectParameterivARB, false)       \
    X(PFNGLGETINFOLOGARBPROC, glGetInfoLogARB, false)                           \
    X(PFNGLUNIFORM1FVPROC, glUniform1fv, false)                                 \
    X(PFNGLUNIFORM2FVPROC, glUniform2fv, false)                                 \
    X(PFNGLUNIFORM3FVPROC, glUniform3fv, false)                                 \
    X(PFNGLDELETEBUFFERSPROC, glDeleteBuffers, true)                            \
    X(PFNGLUNIFORM1IVPROC, glUniform1iv, true)                                  \
    X(PFNGLUNIFORM2IVPROC, glUniform2iv, true)                                  \
    X(PFNGLUNIFORM3IVPROC, glUniform3iv, true)                                  \
    X(PFNGLUNIFORM4IVPROC, glUniform4iv, true)                                  \
    X(PFNGLVERTEXATTRIBPOINTERPROC, glVertexAttribPointer, true)                \
    X(PFNGLENABLEVERTEXATTRIBARRAYPROC, glEnableVertexAttribArray, true)        \
    X(PFNGLDISABLEVERTEXATTRIBARRAYPROC, glDisableVertexAttribArray, true)      \
    X(PFNGLGETATTRIBLOCATIONARBPROC, glGetAttribLocationARB, false)             \
    X(PFNGLGENRENDERBUFFERSEXTPROC, glGenRenderbuffersEXT, false)               \
    X(PFNGLBINDRENDERBUFFEREXTPROC, glBindRenderbufferEXT, false)               \
    X(PFNGLRENDERBUFFERSTORAGEEXTPROC, glRenderbufferStorageEXT, false)         \
    X(PFNGLGENFRAMEBUFFERSEXTPROC, glGenFramebuffersEXT, false)                 \
    X(PFNGLBINDFRAMEBUFFEREXTPROC, glBindFramebufferEXT, false)                 \
    X(PFNGLFRAMEBUFFERRENDERBUFFEREXTPROC, glFramebufferRenderbufferEXT, false) \
    X(PFNGLFRAMEBUFFERTEXTURE2DEXTPROC, glFramebufferTexture2DEXT, false)       \
    X(PFNGLCHECKFRAMEBUFFERSTATUSEXTPROC, glCheckFramebufferStatusEXT, false)   \
    X(PFNGLDELETERENDERBUFFERSEXTPROC, glDeleteRenderbuffersEXT, false)         \
    X(PFNGLDELETEFRAMEBUFFERSEXTPROC, glDeleteFramebuffersEXT, false)

namespace Gl {

#define GL_DECLARE_ENTRY_POINT(type, name, called) extern type name;
GL_ENTRY_POINTS(GL_DECLARE_ENTRY_POINT)
#undef GL_DECLARE_ENTRY_POINT

// A window system's look-up of a GL function by name (glXGetProcAddressARB, eglGetProcAddress).
using TProc = void (*)();
using TProcLookUp = TProc (*)(const char* name);

// Looks every entry point up by its exact name, in table order, overwriting what an earlier engine stored.
// Needs a current context.
void LoadExtensions(TProcLookUp lookUp);

// The names, in table order, of the entry points the engine calls that the last look-up left null.
std::vector<std::string> MissingEntryPoints();

}  // namespace Gl
