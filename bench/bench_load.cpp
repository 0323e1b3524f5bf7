// Loading a document four ways, back to back in one process: LoadFromFile, the door (what the programs do with
// a file a user gives them), the floor (pugixml parsing the file in place and every number read once; see
// LoadWays.h) and the peer importer with no post-processing.
//   BENCH_DOCUMENT=FILE.dae bench_load [benchmark flags]
// Without BENCH_DOCUMENT a 1 000 000-triangle grid made by meshgen is used.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "LoadWays.h"

namespace {

const std::string& DocumentPath() {
    static const std::string path = [] {
        if (const char* given = std::getenv("BENCH_DOCUMENT")) return std::string(given);
        const std::string made = (std::filesystem::temp_directory_path() / "bench_load_1m.dae").string();
        if (!std::filesystem::exists(made)) {
            const std::string command = std::string(MESHGEN_PATH) + " 1000000 " + made;
            if (std::system(command.c_str()) != 0) std::abort();
        }
        return made;
    }();
    return path;
}

template <std::size_t (*Load)(const std::string&)>
void Measure(benchmark::State& state) {
    std::size_t read = 0;
    for (auto _ : state) {
        read = Load(DocumentPath());
        benchmark::DoNotOptimize(read);
    }
    if (read == 0) state.SkipWithError("nothing read");
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(DocumentPath()));
}

}  // namespace

// Wall time: the first load of a process pays for fresh pages, which the kernel clears in its own time.
BENCHMARK(Measure<LoadFloor>)->Name("BM_Floor")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Measure<LoadOurs>)->Name("BM_LoadFromFile")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Measure<LoadThroughDoor>)->Name("BM_Door")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Measure<LoadOursOneThread>)->Name("BM_LoadFromFileOneThread")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(Measure<LoadPeer>)->Name("BM_Peer")->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_MAIN();
