// The cost of one RenderPlaced frame for 1 to 100 000 nodes on a 1 x 1 pbuffer (so that rasterising costs
// nothing), beside a hand-written loop that makes the same GL calls on the same buffers: the difference is
// what the engine itself adds per frame.
#include <benchmark/benchmark.h>

#include <EGL/egl.h>
#include <GL/gl.h>

#include <memory>

#include "Colladaengine.h"
#include "GlExtensions.h"
#include "ManyNodes.h"

namespace {

struct TFrameScene {
    explicit TFrameScene(int nodes) : Engine(std::make_unique<TColladaEngine>(&XmlDocument, TNativeWindow{}, 1, 1)) {
        const TManyNodeFile file(nodes);
        Engine->LoadAsset(file.Path);
    }

    TXmlDocument XmlDocument;
    std::unique_ptr<TColladaEngine> Engine;
};

void Place(const float* position, const float* rotation, const float* scale) {
    glTranslatef(position[0], position[1], position[2]);
    glRotatef(rotation[2], 0, 0, 1);
    glRotatef(rotation[1], 0, 1, 0);
    glRotatef(rotation[0], 1, 0, 0);
    glScalef(scale[0], scale[1], scale[2]);
}

// The engine's frame for this scene, written out by hand: no flags, no list walks through owners, no
// program cache, nothing looked up.
void HandFrame(const TColladaAsset& asset, EGLDisplay display, EGLSurface surface) {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glTranslatef(0, 0, -12);
    glRotatef(0, 0, 0, 1);
    glRotatef(0, 0, 1, 0);
    glRotatef(0, 1, 0, 0);
    glScalef(1, 1, 1);
    Gl::glUseProgramObjectARB(0);
    const TGeometry& g = *asset.Geometries->Items[0];
    const auto count = static_cast<GLsizei>(g.TriangleIndices.Count());
    for (const auto& node : asset.VisualScenes->Items) {
        glPushMatrix();
        Place(asset.Position.Data(), asset.Rotation.Data(), asset.Scale.Data());
        Place(node->Position.Data(), node->Rotation.Data(), node->Scale.Data());
        Gl::glBindBufferARB(GL_ARRAY_BUFFER_ARB, g.PositionBuffer);
        glVertexPointer(3, GL_FLOAT, 0, nullptr);
        Gl::glBindBufferARB(GL_ARRAY_BUFFER_ARB, g.NormalBuffer);
        glNormalPointer(GL_FLOAT, 0, nullptr);
        Gl::glBindBufferARB(GL_ARRAY_BUFFER_ARB, g.TexCoordBuffer);
        glTexCoordPointer(2, GL_FLOAT, 0, nullptr);
        glColor4f(1, 1, 1, 1);
        Gl::glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, g.TriangleBuffer);
        glEnableClientState(GL_VERTEX_ARRAY);
        glEnableClientState(GL_NORMAL_ARRAY);
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        Gl::glDrawRangeElements(GL_TRIANGLES, 0, static_cast<GLuint>(count - 1), count, GL_UNSIGNED_INT, nullptr);
        glDisableClientState(GL_VERTEX_ARRAY);
        glDisableClientState(GL_NORMAL_ARRAY);
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
        glPopMatrix();
    }
    eglSwapBuffers(display, surface);
}

void BM_RenderPlaced(benchmark::State& state) {
    TFrameScene scene(static_cast<int>(state.range(0)));
    for (auto _ : state) scene.Engine->RenderPlaced(0, 0, -12, 0, 0, 0, 1, 1, 1);
    glFinish();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_HandWrittenLoop(benchmark::State& state) {
    TFrameScene scene(static_cast<int>(state.range(0)));
    const EGLDisplay display = eglGetCurrentDisplay();
    const EGLSurface surface = eglGetCurrentSurface(EGL_DRAW);
    for (auto _ : state) HandFrame(*scene.Engine->Assets[0], display, surface);
    glFinish();
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

// Each size runs both ways back to back, so that both see the same machine load.
BENCHMARK(BM_RenderPlaced)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HandWrittenLoop)->Arg(1)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderPlaced)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HandWrittenLoop)->Arg(100)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderPlaced)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HandWrittenLoop)->Arg(1000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderPlaced)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HandWrittenLoop)->Arg(10000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RenderPlaced)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_HandWrittenLoop)->Arg(100000)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
