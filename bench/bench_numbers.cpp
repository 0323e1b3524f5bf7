// Number texts: the loader's one-pass parser against formatted stream extraction (classic locale) of the
// same text, floats and ints.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <locale>
#include <sstream>
#include <string>
#include <vector>

#include "Colladaasset.h"

namespace {

constexpr int Count = 1 << 20;

// Deterministic numbers shaped like exporter output: mixed signs, six decimals, some exponents.
const std::string& FloatText() {
    static const std::string text = [] {
        std::string out;
        unsigned state = 12345;
        char buffer[32];
        for (int i = 0; i < Count; ++i) {
            state = state * 1664525u + 1013904223u;
            const double value = (static_cast<int>(state >> 8) % 2000000 - 1000000) / 1000.0;
            std::snprintf(buffer, sizeof buffer, i % 16 == 0 ? "%.6e " : "%.6f ", value);
            out += buffer;
        }
        return out;
    }();
    return text;
}

const std::string& IntText() {
    static const std::string text = [] {
        std::string out;
        for (long long i = 0; i < Count; ++i) out += std::to_string((i * 7919) % 1000003 - 500000) + ' ';
        return out;
    }();
    return text;
}

template <typename T>
void StreamExtraction(benchmark::State& state, const std::string& text) {
    std::vector<T> values(Count);
    for (auto _ : state) {
        std::istringstream stream(text);
        stream.imbue(std::locale::classic());
        for (int i = 0; i < Count && stream >> values[i]; ++i) {}
        benchmark::DoNotOptimize(values.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void ParseText(TFloatArray& array, const std::string& text) { ParseFloatArray(array, text, Count); }

void ParseText(TIntArray& array, const std::string& text) { ParseIntArray(array, text, Count); }

template <typename T>
void OnePass(benchmark::State& state, const std::string& text) {
    TNumericArray<T> array;
    for (auto _ : state) {
        ParseText(array, text);
        benchmark::DoNotOptimize(array.Data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

void BM_ParseFloatArray(benchmark::State& state) { OnePass<float>(state, FloatText()); }

void BM_StreamFloats(benchmark::State& state) { StreamExtraction<float>(state, FloatText()); }

void BM_ParseIntArray(benchmark::State& state) { OnePass<int>(state, IntText()); }

void BM_StreamInts(benchmark::State& state) { StreamExtraction<int>(state, IntText()); }

}  // namespace

BENCHMARK(BM_ParseFloatArray)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StreamFloats)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseIntArray)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StreamInts)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
