// Loading a large document: LoadFromFile against the floor for the same file, which is pugixml parsing it and
// reading every number in it once, with no other work.
//   bench_load [benchmark flags]   (the document is BENCH_DOCUMENT, or a 1 000 000-triangle grid made by meshgen)
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <string>

#include "Colladaasset.h"
#include "LargeAllocation.h"

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

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// The cheapest reading of every number of a text: digits gathered into an integer and scaled by a power of
// ten, with no checks, no rounding care and no storage. A floor, not a parser.
std::size_t ReadNumbers(const char* p, const char* end) {
    static constexpr double Powers[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12};
    std::size_t count = 0;
    while (p != end) {
        while (p != end && !IsDigit(*p) && *p != '-' && *p != '.') ++p;
        if (p == end) break;
        const bool negative = *p == '-';
        if (negative) ++p;
        unsigned long long digits = 0;
        int scale = 0;
        for (; p != end && IsDigit(*p); ++p) digits = digits * 10 + static_cast<unsigned>(*p - '0');
        if (p != end && *p == '.')
            for (++p; p != end && IsDigit(*p); ++p, ++scale) digits = digits * 10 + static_cast<unsigned>(*p - '0');
        const double value = static_cast<double>(digits) / Powers[scale > 12 ? 12 : scale];
        benchmark::DoNotOptimize(negative ? -value : value);
        ++count;
    }
    return count;
}

void BM_Floor(benchmark::State& state) {
    for (auto _ : state) {
        // The file is read and parsed in place into the same kind of buffer the loader uses, so that the floor
        // differs from the load only by the loader's own work.
        const std::size_t size = std::filesystem::file_size(DocumentPath());
        TLargeArray<char> buffer = AllocateLargeArray<char>(size + 1);
        std::ifstream(DocumentPath(), std::ios::binary).read(buffer.get(), static_cast<std::streamsize>(size));
        pugi::xml_document document;
        if (!document.load_buffer_inplace(buffer.get(), size)) state.SkipWithError("parse failed");
        std::size_t numbers = 0;
        for (pugi::xml_node node = document.first_child(); node;) {
            if (node.type() == pugi::node_pcdata) {
                const char* text = node.value();
                const char* end = text + std::char_traits<char>::length(text);
                numbers += ReadNumbers(text, end);
            }
            // Iterative depth-first walk.
            if (node.first_child()) {
                node = node.first_child();
                continue;
            }
            while (node && !node.next_sibling()) node = node.parent();
            if (node) node = node.next_sibling();
        }
        benchmark::DoNotOptimize(numbers);
    }
}

void BM_LoadFromFile(benchmark::State& state) {
    TXmlDocument document;
    for (auto _ : state) {
        TColladaAsset asset(&document);
        if (!asset.LoadFromFile(DocumentPath())) state.SkipWithError("load failed");
        benchmark::DoNotOptimize(asset.Geometries->Items.Count());
    }
}

}  // namespace

BENCHMARK(BM_Floor)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK(BM_LoadFromFile)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();
BENCHMARK_MAIN();
