// The whole GL conversation about one geometry, call by call: its upload, one draw and its deletion, for a
// geometry with every stream and both index lists and for one with gaps. The fixed-function array calls are
// interposed by this executable (recorded, then passed on to the driver); the entry points are wrapped
// through their pointers. Both land in one log, so the order between the two kinds is checked too.
#include <dlfcn.h>

#include <memory>
#include <ostream>

#include <GL/gl.h>
#include <gtest/gtest.h>

#include "GlCallLog.h"
#include "GlTestContext.h"

namespace {

bool RecordingFixedFunction = false;

void RecordFixedFunction(const char* name, std::vector<long long> arguments) {
    if (RecordingFixedFunction) GlCalls().push_back({name, std::move(arguments)});
}

template <typename Function>
Function Driver(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

long long Address(const void* p) { return AsInteger(p); }

}  // namespace

void PrintTo(const TGlCall& call, std::ostream* out) {
    *out << call.Name << "(";
    for (std::size_t i = 0; i < call.Arguments.size(); ++i) *out << (i ? ", " : "") << call.Arguments[i];
    *out << ")";
}

extern "C" {

void glVertexPointer(GLint size, GLenum type, GLsizei stride, const void* pointer) {
    static const auto driver = Driver<void (*)(GLint, GLenum, GLsizei, const void*)>("glVertexPointer");
    RecordFixedFunction("glVertexPointer", {size, type, stride, Address(pointer)});
    driver(size, type, stride, pointer);
}

void glNormalPointer(GLenum type, GLsizei stride, const void* pointer) {
    static const auto driver = Driver<void (*)(GLenum, GLsizei, const void*)>("glNormalPointer");
    RecordFixedFunction("glNormalPointer", {type, stride, Address(pointer)});
    driver(type, stride, pointer);
}

void glTexCoordPointer(GLint size, GLenum type, GLsizei stride, const void* pointer) {
    static const auto driver = Driver<void (*)(GLint, GLenum, GLsizei, const void*)>("glTexCoordPointer");
    RecordFixedFunction("glTexCoordPointer", {size, type, stride, Address(pointer)});
    driver(size, type, stride, pointer);
}

void glColorPointer(GLint size, GLenum type, GLsizei stride, const void* pointer) {
    static const auto driver = Driver<void (*)(GLint, GLenum, GLsizei, const void*)>("glColorPointer");
    RecordFixedFunction("glColorPointer", {size, type, stride, Address(pointer)});
    driver(size, type, stride, pointer);
}

void glColor4f(GLfloat red, GLfloat green, GLfloat blue, GLfloat alpha) {
    static const auto driver = Driver<void (*)(GLfloat, GLfloat, GLfloat, GLfloat)>("glColor4f");
    // Recorded in thousandths, so that a colour other than whole ones cannot pass for one.
    const auto milli = [](GLfloat v) { return static_cast<long long>(v * 1000.0f); };
    RecordFixedFunction("glColor4f", {milli(red), milli(green), milli(blue), milli(alpha)});
    driver(red, green, blue, alpha);
}

void glEnableClientState(GLenum array) {
    static const auto driver = Driver<void (*)(GLenum)>("glEnableClientState");
    RecordFixedFunction("glEnableClientState", {array});
    driver(array);
}

void glDisableClientState(GLenum array) {
    static const auto driver = Driver<void (*)(GLenum)>("glDisableClientState");
    RecordFixedFunction("glDisableClientState", {array});
    driver(array);
}

}  // extern "C"

namespace {

constexpr long long ArrayTarget = GL_ARRAY_BUFFER_ARB;
constexpr long long ElementTarget = GL_ELEMENT_ARRAY_BUFFER_ARB;

// Every entry point the buffer and drawing code goes through, recorded for the scope of one object.
struct TGeometryCallRecording {
    TGeometryCallRecording() {
        GlCalls().clear();
        RecordingFixedFunction = true;
    }
    ~TGeometryCallRecording() { RecordingFixedFunction = false; }
    TGeometryCallRecording(const TGeometryCallRecording&) = delete;
    TGeometryCallRecording& operator=(const TGeometryCallRecording&) = delete;

    RECORD_GL(glGenBuffersARB);
    RECORD_GL(glBindBufferARB);
    RECORD_GL(glBufferDataARB);
    RECORD_GL(glVertexAttribPointer);
    RECORD_GL(glEnableVertexAttribArray);
    RECORD_GL(glDisableVertexAttribArray);
    RECORD_GL(glDrawRangeElements);
    RECORD_GL(glDeleteBuffers);
};

// Six vertices whose values differ from stream to stream and from vertex to vertex.
TFloatArray Stream(std::size_t components, float base) {
    TFloatArray stream(6 * components);
    for (std::size_t i = 0; i < stream.Count(); ++i) stream[i] = base + static_cast<float>(i) / 8.0f;
    return stream;
}

const TIntArray SixIndices{0, 1, 2, 3, 4, 5};

// Every stream and both index lists: a geometry no document gives, but one the engine must handle whole.
std::unique_ptr<TGeometry> FullGeometry() {
    auto g = std::make_unique<TGeometry>();
    g->Name = "Full";
    g->Positions = Stream(3, 1);
    g->Normals = Stream(3, 2);
    g->TexCoords = Stream(2, 3);
    g->Colors = Stream(4, 4);
    g->Attrib1 = Stream(3, 5);
    g->Attrib2 = Stream(3, 6);
    g->TriangleIndices = SixIndices;
    // As long as the triangle list: with both lists bound the last one bound serves both draws.
    g->LineIndices = SixIndices;
    g->Attrib1Location = 3;
    g->Attrib2Location = 5;
    return g;
}

// No normals, colours, first generic stream or line list.
std::unique_ptr<TGeometry> GappedGeometry() {
    auto g = std::make_unique<TGeometry>();
    g->Name = "Gapped";
    g->Positions = Stream(3, 7);
    g->TexCoords = Stream(2, 8);
    g->Attrib2 = Stream(3, 9);
    g->TriangleIndices = SixIndices;
    g->Attrib2Location = 4;
    return g;
}

std::unique_ptr<TColladaAsset> AssetOf(TXmlDocument& document, std::unique_ptr<TGeometry> a,
                                       std::unique_ptr<TGeometry> b) {
    auto asset = std::make_unique<TColladaAsset>(&document);
    asset->Geometries->Items.Add(std::move(a));
    asset->Geometries->Items.Add(std::move(b));
    return asset;
}

// The upload of one array as it must look: a new name into the geometry's own field, bound and filled.
void ExpectUpload(std::vector<TGlCall>& calls, long long target, const unsigned& field, const void* data,
                  long long bytes) {
    calls.push_back({"glGenBuffersARB", {1, Address(&field)}});
    calls.push_back({"glBindBufferARB", {target, field}});
    calls.push_back({"glBufferDataARB", {target, bytes, Address(data), GL_STATIC_DRAW_ARB}});
}

}  // namespace

TEST(GeometryCalls, UploadDrawAndDeletionMakeExactlyTheseCallsInThisOrder) {
    auto headless = std::make_unique<THeadlessEngine>(16, 16);
    TColladaEngine& engine = *headless->Engine;
    auto owned = AssetOf(headless->Document, FullGeometry(), GappedGeometry());
    TColladaAsset* asset = owned.get();
    const TGeometry& full = *asset->Geometries->Items[0];
    const TGeometry& gapped = *asset->Geometries->Items[1];

    {
        TGeometryCallRecording recording;
        engine.UploadGeometries(asset);
        std::vector<TGlCall> expected;
        ExpectUpload(expected, ArrayTarget, full.PositionBuffer, full.Positions.Data(), 72);
        ExpectUpload(expected, ArrayTarget, full.NormalBuffer, full.Normals.Data(), 72);
        ExpectUpload(expected, ArrayTarget, full.TexCoordBuffer, full.TexCoords.Data(), 48);
        ExpectUpload(expected, ArrayTarget, full.ColorBuffer, full.Colors.Data(), 96);
        ExpectUpload(expected, ArrayTarget, full.Attrib1Buffer, full.Attrib1.Data(), 72);
        ExpectUpload(expected, ArrayTarget, full.Attrib2Buffer, full.Attrib2.Data(), 72);
        ExpectUpload(expected, ElementTarget, full.TriangleBuffer, full.TriangleIndices.Data(), 24);
        ExpectUpload(expected, ElementTarget, full.LineBuffer, full.LineIndices.Data(), 24);
        ExpectUpload(expected, ArrayTarget, gapped.PositionBuffer, gapped.Positions.Data(), 72);
        ExpectUpload(expected, ArrayTarget, gapped.TexCoordBuffer, gapped.TexCoords.Data(), 48);
        ExpectUpload(expected, ArrayTarget, gapped.Attrib2Buffer, gapped.Attrib2.Data(), 72);
        ExpectUpload(expected, ElementTarget, gapped.TriangleBuffer, gapped.TriangleIndices.Data(), 24);
        EXPECT_EQ(GlCalls(), expected);
    }
    for (unsigned name : {full.PositionBuffer, full.NormalBuffer, full.TexCoordBuffer, full.ColorBuffer,
                          full.Attrib1Buffer, full.Attrib2Buffer, full.TriangleBuffer, full.LineBuffer,
                          gapped.PositionBuffer, gapped.TexCoordBuffer, gapped.Attrib2Buffer, gapped.TriangleBuffer})
        EXPECT_NE(name, 0u);
    EXPECT_EQ(gapped.NormalBuffer, 0u);
    EXPECT_EQ(gapped.ColorBuffer, 0u);
    EXPECT_EQ(gapped.Attrib1Buffer, 0u);
    EXPECT_EQ(gapped.LineBuffer, 0u);
    engine.Assets.Add(std::move(owned));

    {
        TGeometryCallRecording recording;
        engine.UseAttributes = true;
        engine.DrawGeometry(asset->Geometries->Items[0]);
        const std::vector<TGlCall> expected{
            {"glBindBufferARB", {ArrayTarget, full.PositionBuffer}},
            {"glVertexPointer", {3, GL_FLOAT, 0, 0}},
            {"glBindBufferARB", {ArrayTarget, full.NormalBuffer}},
            {"glNormalPointer", {GL_FLOAT, 0, 0}},
            {"glBindBufferARB", {ArrayTarget, full.TexCoordBuffer}},
            {"glTexCoordPointer", {2, GL_FLOAT, 0, 0}},
            {"glBindBufferARB", {ArrayTarget, full.ColorBuffer}},
            {"glColorPointer", {4, GL_FLOAT, 0, 0}},
            {"glBindBufferARB", {ArrayTarget, full.Attrib1Buffer}},
            {"glVertexAttribPointer", {3, 3, GL_FLOAT, GL_FALSE, 0, 0}},
            {"glBindBufferARB", {ArrayTarget, full.Attrib2Buffer}},
            {"glVertexAttribPointer", {5, 3, GL_FLOAT, GL_FALSE, 0, 0}},
            {"glBindBufferARB", {ElementTarget, full.TriangleBuffer}},
            {"glBindBufferARB", {ElementTarget, full.LineBuffer}},
            {"glEnableClientState", {GL_VERTEX_ARRAY}},
            {"glEnableClientState", {GL_NORMAL_ARRAY}},
            {"glEnableClientState", {GL_TEXTURE_COORD_ARRAY}},
            {"glEnableClientState", {GL_COLOR_ARRAY}},
            {"glEnableVertexAttribArray", {3}},
            {"glEnableVertexAttribArray", {5}},
            {"glDrawRangeElements", {GL_TRIANGLES, 0, 5, 6, GL_UNSIGNED_INT, 0}},
            {"glDrawRangeElements", {GL_LINES, 0, 5, 6, GL_UNSIGNED_INT, 0}},
            {"glDisableClientState", {GL_VERTEX_ARRAY}},
            {"glDisableClientState", {GL_NORMAL_ARRAY}},
            {"glDisableClientState", {GL_TEXTURE_COORD_ARRAY}},
            {"glDisableClientState", {GL_COLOR_ARRAY}},
            {"glDisableVertexAttribArray", {3}},
            {"glDisableVertexAttribArray", {5}},
        };
        EXPECT_EQ(GlCalls(), expected);
    }

    {
        // Without generic attributes in use their pointers are still set, but their arrays stay off.
        TGeometryCallRecording recording;
        engine.UseAttributes = false;
        engine.DrawGeometry(asset->Geometries->Items[1]);
        const std::vector<TGlCall> expected{
            {"glBindBufferARB", {ArrayTarget, gapped.PositionBuffer}},
            {"glVertexPointer", {3, GL_FLOAT, 0, 0}},
            {"glBindBufferARB", {ArrayTarget, gapped.TexCoordBuffer}},
            {"glTexCoordPointer", {2, GL_FLOAT, 0, 0}},
            {"glColor4f", {1000, 1000, 1000, 1000}},
            {"glBindBufferARB", {ArrayTarget, gapped.Attrib2Buffer}},
            {"glVertexAttribPointer", {4, 3, GL_FLOAT, GL_FALSE, 0, 0}},
            {"glBindBufferARB", {ElementTarget, gapped.TriangleBuffer}},
            {"glEnableClientState", {GL_VERTEX_ARRAY}},
            {"glEnableClientState", {GL_TEXTURE_COORD_ARRAY}},
            {"glDrawRangeElements", {GL_TRIANGLES, 0, 5, 6, GL_UNSIGNED_INT, 0}},
            {"glDisableClientState", {GL_VERTEX_ARRAY}},
            {"glDisableClientState", {GL_TEXTURE_COORD_ARRAY}},
        };
        EXPECT_EQ(GlCalls(), expected);
    }

    // The deletion names each buffer through its own field, so the fields' addresses are kept for after.
    std::vector<TGlCall> expected;
    for (const unsigned* field :
         {&full.PositionBuffer, &full.NormalBuffer, &full.TexCoordBuffer, &full.ColorBuffer, &full.Attrib1Buffer,
          &full.Attrib2Buffer, &full.TriangleBuffer, &full.LineBuffer, &gapped.PositionBuffer, &gapped.TexCoordBuffer,
          &gapped.Attrib2Buffer, &gapped.TriangleBuffer})
        expected.push_back({"glDeleteBuffers", {1, Address(field)}});
    {
        TGeometryCallRecording recording;
        headless.reset();
        EXPECT_EQ(GlCalls(), expected);
    }
}
