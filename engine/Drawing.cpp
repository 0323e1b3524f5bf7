// Geometry upload at load time and drawing from those buffers every frame: drawing sends no vertex data,
// allocates nothing and reads no file.
#include "Colladaengine.h"

#include "GlExtensions.h"

namespace {

void Upload(GLenum target, unsigned& buffer, const void* data, std::size_t count) {
    if (count == 0) return;
    Gl::glGenBuffersARB(1, &buffer);
    Gl::glBindBufferARB(target, buffer);
    Gl::glBufferDataARB(target, static_cast<GLsizeiptrARB>(count * 4), data, GL_STATIC_DRAW_ARB);
}

// Translate, then turn about z, y and x, then scale: a vertex is scaled first and moved last.
void Place(const TFloatArray& position, const TFloatArray& rotation, const TFloatArray& scale) {
    glTranslatef(position[0], position[1], position[2]);
    glRotatef(rotation[2], 0.0f, 0.0f, 1.0f);
    glRotatef(rotation[1], 0.0f, 1.0f, 0.0f);
    glRotatef(rotation[0], 1.0f, 0.0f, 0.0f);
    glScalef(scale[0], scale[1], scale[2]);
}

void DrawRange(GLenum mode, const TIntArray& indices) {
    if (indices.Empty()) return;
    const auto count = static_cast<GLsizei>(indices.Count());
    Gl::glDrawRangeElements(mode, 0, static_cast<GLuint>(count - 1), count, GL_UNSIGNED_INT, nullptr);
}

// Switches the client arrays of the geometry's non-empty streams on or off, always in the same order, and
// its generic attribute arrays too when the engine uses them.
void SetClientArrays(const TGeometry* g, bool useAttributes, bool on) {
    const auto client = on ? glEnableClientState : glDisableClientState;
    if (!g->Positions.Empty()) client(GL_VERTEX_ARRAY);
    if (!g->Normals.Empty()) client(GL_NORMAL_ARRAY);
    if (!g->TexCoords.Empty()) client(GL_TEXTURE_COORD_ARRAY);
    if (!g->Colors.Empty()) client(GL_COLOR_ARRAY);
    if (!useAttributes) return;
    const auto attribute = on ? Gl::glEnableVertexAttribArray : Gl::glDisableVertexAttribArray;
    if (!g->Attrib1.Empty()) attribute(static_cast<GLuint>(g->Attrib1Location));
    if (!g->Attrib2.Empty()) attribute(static_cast<GLuint>(g->Attrib2Location));
}

}  // namespace

void TColladaEngine::UploadGeometries(TColladaAsset* asset) {
    for (const auto& g : asset->Geometries->Items) {
        Upload(GL_ARRAY_BUFFER_ARB, g->PositionBuffer, g->Positions.Data(), g->Positions.Count());
        Upload(GL_ARRAY_BUFFER_ARB, g->NormalBuffer, g->Normals.Data(), g->Normals.Count());
        Upload(GL_ARRAY_BUFFER_ARB, g->TexCoordBuffer, g->TexCoords.Data(), g->TexCoords.Count());
        Upload(GL_ARRAY_BUFFER_ARB, g->ColorBuffer, g->Colors.Data(), g->Colors.Count());
        Upload(GL_ARRAY_BUFFER_ARB, g->Attrib1Buffer, g->Attrib1.Data(), g->Attrib1.Count());
        Upload(GL_ARRAY_BUFFER_ARB, g->Attrib2Buffer, g->Attrib2.Data(), g->Attrib2.Count());
        Upload(GL_ELEMENT_ARRAY_BUFFER_ARB, g->TriangleBuffer, g->TriangleIndices.Data(), g->TriangleIndices.Count());
        Upload(GL_ELEMENT_ARRAY_BUFFER_ARB, g->LineBuffer, g->LineIndices.Data(), g->LineIndices.Count());
    }
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

void TColladaEngine::DrawGeometry(TGeometry* g) {
    if (g->TriangleIndices.Empty() && g->LineIndices.Empty()) return;
    if (!g->Positions.Empty()) {
        Gl::glBindBufferARB(GL_ARRAY_BUFFER_ARB, g->PositionBuffer);
        glVertexPointer(3, GL_FLOAT, 0, nullptr);
    }
    if (!g->Normals.Empty()) {
        Gl::glBindBufferARB(GL_ARRAY_BUFFER_ARB, g->NormalBuffer);
        glNormalPointer(GL_FLOAT, 0, nullptr);
    }
    if (!g->TexCoords.Empty()) {
        Gl::glBindBufferARB(GL_ARRAY_BUFFER_ARB, g->TexCoordBuffer);
        glTexCoordPointer(2, GL_FLOAT, 0, nullptr);
    }
    if (!g->Colors.Empty()) {
        Gl::glBindBufferARB(GL_ARRAY_BUFFER_ARB, g->ColorBuffer);
        glColorPointer(4, GL_FLOAT, 0, nullptr);
    } else {
        glColor4f(1.0f, 1.0f, 1.0f, 1.0f);
    }
    if (!g->Attrib1.Empty()) {
        Gl::glBindBufferARB(GL_ARRAY_BUFFER_ARB, g->Attrib1Buffer);
        Gl::glVertexAttribPointer(static_cast<GLuint>(g->Attrib1Location), 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    }
    if (!g->Attrib2.Empty()) {
        Gl::glBindBufferARB(GL_ARRAY_BUFFER_ARB, g->Attrib2Buffer);
        Gl::glVertexAttribPointer(static_cast<GLuint>(g->Attrib2Location), 3, GL_FLOAT, GL_FALSE, 0, nullptr);
    }
    if (!g->TriangleIndices.Empty()) Gl::glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, g->TriangleBuffer);
    if (!g->LineIndices.Empty()) Gl::glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, g->LineBuffer);

    SetClientArrays(g, UseAttributes, true);
    DrawRange(GL_TRIANGLES, g->TriangleIndices);
    DrawRange(GL_LINES, g->LineIndices);
    SetClientArrays(g, UseAttributes, false);
}
