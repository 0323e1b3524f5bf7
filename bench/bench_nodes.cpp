// Loading the many-node scene with LoadFromFile at 10 000 and 100 000 nodes: the load should grow no worse
// than linearly with the number of nodes.
//   bench_nodes [benchmark flags]
#include <benchmark/benchmark.h>

#include <memory>

#include "Colladaasset.h"
#include "ManyNodes.h"

namespace {

// One document serves every load of the process, as in the programs. A first load, which finds no storage
// kept from an earlier one, is measured on its own by loadpeak.
TXmlDocument& Document() {
    static TXmlDocument document;
    return document;
}

void BM_LoadNodes(benchmark::State& state) {
    const int nodes = static_cast<int>(state.range(0));
    const TManyNodeFile file(nodes);
    TXmlDocument& document = Document();
    // Timing a load that dropped the nodes would say nothing about them.
    {
        TColladaAsset asset(&document);
        if (!asset.LoadFromFile(file.Path) || asset.VisualScenes->Items.Count() != nodes) {
            state.SkipWithError("the scene's nodes were not all read");
            return;
        }
    }
    // The asset is freed in paused time, since freeing is not part of a load.
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
