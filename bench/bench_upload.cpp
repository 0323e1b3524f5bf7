// Upload: LoadAsset on a headless engine (the load and every buffer filled) against LoadFromFile alone, for
// the same document, back to back in one process.
//   BENCH_DOCUMENT=FILE.dae bench_upload [benchmark flags]
#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "Colladaengine.h"
#include "LoadWays.h"

namespace {

std::string DocumentPath() {
    const char* given = std::getenv("BENCH_DOCUMENT");
    return given ? given : "";
}

void BM_LoadFromFile(benchmark::State& state) {
    for (auto _ : state) benchmark::DoNotOptimize(LoadOurs(DocumentPath()));
}

void BM_LoadAsset(benchmark::State& state) {
    TXmlDocument document;
    TColladaEngine engine(&document, TNativeWindow{}, 1, 1);
    for (auto _ : state) {
        if (engine.LoadAsset(DocumentPath()) < 0) state.SkipWithError("load failed");
        // The driver may copy the data lazily: the upload is done when GL has finished with it.
        glFinish();
        state.PauseTiming();
        engine.Assets.Clear();
        state.ResumeTiming();
    }
}

}  // namespace

BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_LoadAsset)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
