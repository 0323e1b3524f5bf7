// The reader of every exporter's documents on a mesh written as exporters write it, beside the engine's loader
// on the same mesh in its own conventions and the peer importer on the exporter-style document, back to back
// in one process.
//   BENCH_EXPORTER_DOCUMENT=A.dae BENCH_ENGINE_DOCUMENT=B.dae bench_collada [benchmark flags]
// Without them a 1 000 000-triangle pair made by exportergen is used.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "LoadWays.h"

namespace {

struct TDocuments {
    std::string Exporter, Engine;
};

const TDocuments& Documents() {
    static const TDocuments documents = [] {
        const char* exporter = std::getenv("BENCH_EXPORTER_DOCUMENT");
        const char* engine = std::getenv("BENCH_ENGINE_DOCUMENT");
        if (exporter && engine) return TDocuments{exporter, engine};
        const auto folder = std::filesystem::temp_directory_path();
        TDocuments made{(folder / "bench_collada_exporter_1m.dae").string(),
                        (folder / "bench_collada_engine_1m.dae").string()};
        if (!std::filesystem::exists(made.Exporter) || !std::filesystem::exists(made.Engine)) {
            const std::string command = std::string(EXPORTERGEN_PATH) + " 1000000 " + made.Exporter + " " + made.Engine;
            if (std::system(command.c_str()) != 0) std::abort();
        }
        return made;
    }();
    return documents;
}

template <std::size_t (*Load)(const std::string&), std::string TDocuments::*Document>
void Measure(benchmark::State& state) {
    const std::string& path = Documents().*Document;
    std::size_t read = 0;
    for (auto _ : state) {
        read = Load(path);
        benchmark::DoNotOptimize(read);
    }
    if (read == 0) state.SkipWithError("nothing read");
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(path));
}

}  // namespace

BENCHMARK(Measure<LoadFloor, &TDocuments::Exporter>)
    ->Name("BM_FloorExporterStyle")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(Measure<LoadCollada, &TDocuments::Exporter>)
    ->Name("BM_ColladaReader")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(Measure<LoadOurs, &TDocuments::Engine>)
    ->Name("BM_EngineLoaderOwnConventions")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(Measure<LoadPeer, &TDocuments::Exporter>)
    ->Name("BM_PeerExporterStyle")
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_MAIN();
