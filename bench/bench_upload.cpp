// Upload: LoadAsset on a headless engine (the load and every buffer filled) against LoadFromFile alone and
// against the upload floor, a hand-written loop that makes the same buffers with the same bytes, for the same
// document, back to back in one process. The floor alone takes a model of any format the door opens.
//   BENCH_DOCUMENT=FILE bench_upload [benchmark flags]
// The three time the same things: what is freed between iterations (the asset's arrays, the GL buffers) is
// freed in paused time by each, and one document object serves every load of the process, as in the
// programs, so that both loaders read into the storage an earlier load kept, however many iterations each
// run makes. Each reports its page faults, user and kernel time per
// iteration, so that a difference in fresh memory shows beside the times.
#include <GL/gl.h>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "Colladaengine.h"
#include "GlExtensions.h"
#include "ModelDoor.h"

namespace {

std::string DocumentPath() {
    const char* given = std::getenv("BENCH_DOCUMENT");
    return given ? given : "";
}

TXmlDocument& Document() {
    static TXmlDocument document;
    return document;
}

// The page faults, user time and kernel time of the timed part of each iteration, reported per iteration:
// fresh memory is what makes these runs differ most, and its cost shows as faults and kernel time.
class TProcessCost {
public:
    void Start() { Started = Now(); }
    void Stop() {
        const rusage now = Now();
        Faults += now.ru_minflt + now.ru_majflt - Started.ru_minflt - Started.ru_majflt;
        UserSeconds += Seconds(now.ru_utime) - Seconds(Started.ru_utime);
        KernelSeconds += Seconds(now.ru_stime) - Seconds(Started.ru_stime);
    }
    void Report(benchmark::State& state) const {
        const auto perIteration = [](double value) {
            return benchmark::Counter(value, benchmark::Counter::kAvgIterations);
        };
        state.counters["faults"] = perIteration(static_cast<double>(Faults));
        state.counters["user_ms"] = perIteration(UserSeconds * 1e3);
        state.counters["kernel_ms"] = perIteration(KernelSeconds * 1e3);
    }

private:
    static rusage Now() {
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        return usage;
    }
    static double Seconds(const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) * 1e-6;
    }

    rusage Started{};
    long Faults = 0;
    double UserSeconds = 0;
    double KernelSeconds = 0;
};

// Deletes the buffers the engine made for an asset, so that GL memory does not grow from one iteration to the
// next.
void DeleteBuffers(const TColladaAsset& asset) {
    std::vector<GLuint> names;
    for (const auto& geometry : asset.Geometries->Items)
        for (const TGeometryStream& stream : GeometryStreams)
            if (const unsigned name = (*geometry).*stream.Buffer) names.push_back(name);
    Gl::glDeleteBuffers(static_cast<GLsizei>(names.size()), names.data());
}

void BM_LoadFromFile(benchmark::State& state) {
    TXmlDocument& document = Document();
    TProcessCost cost;
    for (auto _ : state) {
        cost.Start();
        auto asset = std::make_unique<TColladaAsset>(&document);
        if (!asset->LoadFromFile(DocumentPath())) state.SkipWithError("load failed");
        cost.Stop();
        state.PauseTiming();
        asset.reset();
        state.ResumeTiming();
    }
    cost.Report(state);
}

void BM_LoadAsset(benchmark::State& state) {
    TXmlDocument& document = Document();
    TColladaEngine engine(&document, TNativeWindow{}, 1, 1);
    TProcessCost cost;
    for (auto _ : state) {
        cost.Start();
        if (engine.LoadAsset(DocumentPath()) < 0) state.SkipWithError("load failed");
        // The driver may copy the data lazily: the upload is done when GL has finished with it.
        glFinish();
        cost.Stop();
        state.PauseTiming();
        for (const auto& asset : engine.Assets) DeleteBuffers(*asset);
        engine.Assets.Clear();
        state.ResumeTiming();
    }
    cost.Report(state);
}

// Makes a buffer holding the array, as the engine's upload does; nothing for an empty array.
template <typename Array>
void UploadByHand(GLenum target, const Array& array, std::vector<GLuint>& names) {
    if (array.Empty()) return;
    GLuint name = 0;
    Gl::glGenBuffersARB(1, &name);
    Gl::glBindBufferARB(target, name);
    Gl::glBufferDataARB(target, static_cast<GLsizeiptrARB>(array.Count() * sizeof(array[0])), array.Data(),
                        GL_STATIC_DRAW_ARB);
    names.push_back(name);
}

// The floor: the file is opened once, as the programs open it (through the door: a document in the engine's
// conventions by LoadFromFile, a model of another format by its reader), then each iteration makes its
// buffers by hand, array by array in the engine's order, and GL finishes with them.
void BM_UploadFloor(benchmark::State& state) {
    TXmlDocument& document = Document();
    TColladaEngine engine(&document, TNativeWindow{}, 1, 1);
    const TOpenedModel model = OpenModel(document, DocumentPath());
    const TColladaAsset& asset = *model.Asset;
    std::vector<GLuint> names;
    names.reserve(static_cast<std::size_t>(asset.Geometries->Items.Count()) * GeometryStreams.size());
    TProcessCost cost;
    for (auto _ : state) {
        cost.Start();
        for (const auto& g : asset.Geometries->Items) {
            UploadByHand(GL_ARRAY_BUFFER_ARB, g->Positions, names);
            UploadByHand(GL_ARRAY_BUFFER_ARB, g->Normals, names);
            UploadByHand(GL_ARRAY_BUFFER_ARB, g->TexCoords, names);
            UploadByHand(GL_ARRAY_BUFFER_ARB, g->Colors, names);
            UploadByHand(GL_ARRAY_BUFFER_ARB, g->Attrib1, names);
            UploadByHand(GL_ARRAY_BUFFER_ARB, g->Attrib2, names);
            UploadByHand(GL_ELEMENT_ARRAY_BUFFER_ARB, g->TriangleIndices, names);
            UploadByHand(GL_ELEMENT_ARRAY_BUFFER_ARB, g->LineIndices, names);
        }
        glFinish();
        cost.Stop();
        state.PauseTiming();
        Gl::glDeleteBuffers(static_cast<GLsizei>(names.size()), names.data());
        names.clear();
        state.ResumeTiming();
    }
    cost.Report(state);
}

}  // namespace

// Each repetition of the two loads averages a few of them: left to itself, a run of loads of a fifth of a
// second would time a single one, and one of this machine's memory stalls would then be a whole repetition.
BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(4);
BENCHMARK(BM_LoadAsset)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(4);
BENCHMARK(BM_UploadFloor)->Unit(benchmark::kMillisecond)->UseRealTime();
// The floor as a program's first frame meets it: one upload, into memory the process never had (run it in a
// fresh process each time; in one process, later uploads reuse what the driver freed and cost a memcpy).
BENCHMARK(BM_UploadFloor)
    ->Name("BM_UploadFloorFirst")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1)
    ->Repetitions(1);
BENCHMARK_MAIN();
