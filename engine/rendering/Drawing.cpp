// Geometry upload at load time and drawing from those buffers every frame: drawing sends no vertex data,
// allocates nothing and reads no file.
#include "Colladaengine.h"

#include <algorithm>
#include <variant>

#include "GlExtensions.h"

namespace {

GLenum BufferTarget(const TGeometryStream& stream) {
    return stream.Target == TArrayTarget::Vertex ? GL_ARRAY_BUFFER_ARB : GL_ELEMENT_ARRAY_BUFFER_ARB;
}

// Vertex values are floats; index lists are stored as ints and drawn as unsigned ints.
GLenum ElementType(const TGeometryStream& stream) {
    return std::holds_alternative<TFloatArray TGeometry::*>(stream.Values) ? GL_FLOAT : GL_UNSIGNED_INT;
}

template <typename T>
void Upload(GLenum target, unsigned& buffer, const TNumericArray<T>& array) {
    if (array.Empty()) return;
    Gl::glGenBuffersARB(1, &buffer);
    Gl::glBindBufferARB(target, buffer);
    Gl::glBufferDataARB(target, static_cast<GLsizeiptrARB>(array.Count() * sizeof(T)), array.Data(),
                        GL_STATIC_DRAW_ARB);
}

// Translate, then turn about z, y and x, then scale: a vertex is scaled first and moved last.
// A drawn node has read all three arrays, three numbers each.
void Place(const TFloatArray& position, const TFloatArray& rotation, const TFloatArray& scale) {
    const float* const p = position.Data();
    const float* const r = rotation.Data();
    const float* const s = scale.Data();
    glTranslatef(p[0], p[1], p[2]);
    glRotatef(r[2], 0.0f, 0.0f, 1.0f);
    glRotatef(r[1], 0.0f, 1.0f, 0.0f);
    glRotatef(r[0], 1.0f, 0.0f, 0.0f);
    glScalef(s[0], s[1], s[2]);
}

bool HasIndices(const TGeometry& g) {
    return std::any_of(GeometryStreams.begin(), GeometryStreams.end(), [&](const TGeometryStream& stream) {
        return stream.Target == TArrayTarget::Index && stream.Count(g) != 0;
    });
}

// The fixed-function client array a vertex stream feeds; 0 for the generic attributes.
GLenum ClientArray(TGeometryArray which) {
    switch (which) {
    case TGeometryArray::Positions: return GL_VERTEX_ARRAY;
    case TGeometryArray::Normals: return GL_NORMAL_ARRAY;
    case TGeometryArray::TexCoords: return GL_TEXTURE_COORD_ARRAY;
    case TGeometryArray::Colors: return GL_COLOR_ARRAY;
    default: return 0;
    }
}

// Points GL at the vertex stream in the bound array buffer, tightly packed from its start.
void PointAt(const TGeometry& g, const TGeometryStream& stream) {
    const GLenum type = ElementType(stream);
    switch (stream.Which) {
    case TGeometryArray::Positions: glVertexPointer(stream.Components, type, 0, nullptr); break;
    case TGeometryArray::Normals: glNormalPointer(type, 0, nullptr); break;
    case TGeometryArray::TexCoords: glTexCoordPointer(stream.Components, type, 0, nullptr); break;
    case TGeometryArray::Colors: glColorPointer(stream.Components, type, 0, nullptr); break;
    default:
        Gl::glVertexAttribPointer(static_cast<GLuint>(g.*stream.Location), stream.Components, type, GL_FALSE, 0,
                                  nullptr);
        break;
    }
}

GLenum PrimitiveMode(TGeometryArray which) { return which == TGeometryArray::LineIndices ? GL_LINES : GL_TRIANGLES; }

// The loader gives every corner a vertex of its own, so its index lists run 0 .. n - 1 over n vertices; an asset
// built from another reader's model shares vertices between corners, and its range ends at its last vertex.
void DrawRange(const TGeometry& g, const TGeometryStream& stream) {
    const auto count = static_cast<GLsizei>(stream.Count(g));
    if (count == 0) return;
    const std::size_t vertices = g.Positions.Count() / 3;
    const auto last = static_cast<GLuint>(vertices > 0 ? vertices - 1 : static_cast<std::size_t>(count) - 1);
    Gl::glDrawRangeElements(PrimitiveMode(stream.Which), 0, last, count, ElementType(stream), nullptr);
}

// Switches the client arrays of the geometry's non-empty streams on or off, always in the same order, and
// its generic attribute arrays too when the engine uses them.
void SetClientArrays(const TGeometry& g, bool useAttributes, bool on) {
    const auto client = on ? glEnableClientState : glDisableClientState;
    for (const TGeometryStream& stream : GeometryStreams)
        if (stream.Target == TArrayTarget::Vertex && !stream.Generic() && stream.Count(g) != 0)
            client(ClientArray(stream.Which));
    if (!useAttributes) return;
    const auto attribute = on ? Gl::glEnableVertexAttribArray : Gl::glDisableVertexAttribArray;
    for (const TGeometryStream& stream : GeometryStreams)
        if (stream.Generic() && stream.Count(g) != 0) attribute(static_cast<GLuint>(g.*stream.Location));
}

}  // namespace

void TColladaEngine::UploadGeometries(TColladaAsset* asset) {
    for (const auto& g : asset->Geometries->Items)
        for (const TGeometryStream& stream : GeometryStreams)
            std::visit([&](auto values) { Upload(BufferTarget(stream), (*g).*stream.Buffer, (*g).*values); },
                       stream.Values);
}

// The polygon mode an asset sets stays in force for the assets after it and into the next frame.
void TColladaEngine::DrawAsset(TColladaAsset* asset) {
    if (!asset->Visible) return;
    if (asset->PolygonMode > -1) glPolygonMode(GL_FRONT_AND_BACK, static_cast<GLenum>(asset->PolygonMode));
    for (const auto& node : asset->VisualScenes->Items) {
        if (node->GeometryIndex == -1) continue;
        glPushMatrix();
        Place(asset->Position, asset->Rotation, asset->Scale);
        Place(node->Position, node->Rotation, node->Scale);
        if (UseTextures)
            for (int t : node->TextureIndices) TextureEngine->Textures[static_cast<std::size_t>(t)]->Bind();
        ShaderEngine->UseShader(UseShaders ? asset->ShaderIndex : -1);
        DrawGeometry(asset->Geometries->Items[static_cast<std::size_t>(node->GeometryIndex)]);
        if (UseTextures)
            for (int t : node->TextureIndices) TextureEngine->Textures[static_cast<std::size_t>(t)]->Unbind();
        glPopMatrix();
    }
}

// Every stream is bound and pointed at before any client array is switched on; a geometry without colours
// is drawn in opaque white, which stays the current colour afterwards.
void TColladaEngine::DrawGeometry(TGeometry* g) {
    if (!HasIndices(*g)) return;
    for (const TGeometryStream& stream : GeometryStreams) {
        if (stream.Target != TArrayTarget::Vertex) continue;
        if (stream.Count(*g) != 0) {
            Gl::glBindBufferARB(BufferTarget(stream), g->*stream.Buffer);
            PointAt(*g, stream);
        } else if (stream.Which == TGeometryArray::Colors) {
            glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
        }
    }
    for (const TGeometryStream& stream : GeometryStreams)
        if (stream.Target == TArrayTarget::Index && stream.Count(*g) != 0)
            Gl::glBindBufferARB(BufferTarget(stream), g->*stream.Buffer);

    SetClientArrays(*g, UseAttributes, true);
    for (const TGeometryStream& stream : GeometryStreams)
        if (stream.Target == TArrayTarget::Index) DrawRange(*g, stream);
    SetClientArrays(*g, UseAttributes, false);
}
