// Loading the many-node scene with LoadFromFile at 10 000 and 100 000 nodes: the load should grow no worse
// than linearly with the number of nodes.
//   bench_nodes [benchmark flags]
#include <benchmark/benchmark.h>

#include <memory>

#include "Colladaasset.h"
#include "ManyNodes.h"

namespace {

void BM_LoadNodes(benchmark::State& state) {
    const int nodes = static_cast<int>(state.range(0));
    const TManyNodeFile file(nodes);
    // Timing a load that dropped the nodes would say nothing about them.
    {
        TXmlDocument document;
        TColladaAsset asset(&document);
        if (!asset.LoadFromFile(file.Path) || asset.VisualScenes->Items.Count() != nodes) {
            state.SkipWithError("the scene's nodes were not all read");
            return;
        }
    }
    // One document serves every load, as in the engine; the asset is freed in paused time, since freeing is
    // not part of a load.
    TXmlDocument document;
    for (auto _ : state) {
        auto asset = std::make_unique<TColladaAsset>(&document);
        benchmark::DoNotOptimize(asset->LoadFromFile(file.Path));
        state.PauseTiming();
        asset.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

}  // namespace

BENCHMARK(BM_LoadNodes)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
