// Texture loading of a 2048 x 2048 image, JPEG and BMP: decoding alone (from memory) against the whole load
// (file read, decode, RGBA conversion, upload) into a headless engine's context.
#include <malloc.h>
#include <unistd.h>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <span>
#include <string>

#include <GL/gl.h>
#include <benchmark/benchmark.h>

#include "../tests/TestImages.h"
#include "Colladaengine.h"
#include "ImageDecoders.h"
#include "XmlDocument.h"

namespace {

constexpr int Side = 2048;

// A gradient with noise, so that the JPEG is about as hard to decode as a photograph.
TRgbImage Picture() {
    TRgbImage image = Gradient(Side, Side);
    std::uint32_t state = 12345;
    for (unsigned char& byte : image.Rgb) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<unsigned char>(byte + (state >> 28));
    }
    return image;
}

struct TFiles {
    TFiles() {
        const TRgbImage picture = Picture();
        Bmp = Bmp24(picture);
        Jpeg = WriteJpeg(picture, {.Quality = 90});
        const std::string stem =
            (std::filesystem::temp_directory_path() / ("bench_textures-" + std::to_string(getpid()))).string();
        BmpPath = stem + ".bmp";
        JpegPath = stem + ".jpg";
        std::ofstream(BmpPath, std::ios::binary) << Bmp;
        std::ofstream(JpegPath, std::ios::binary) << Jpeg;
    }
    ~TFiles() {
        std::filesystem::remove(BmpPath);
        std::filesystem::remove(JpegPath);
    }

    std::string Bmp, Jpeg, BmpPath, JpegPath;
};

TFiles& Files() {
    static TFiles files;
    return files;
}

std::span<const unsigned char> Bytes(const std::string& file) {
    return {reinterpret_cast<const unsigned char*>(file.data()), file.size()};
}

void DecodeOnly(benchmark::State& state, bool jpeg) {
    const std::string& file = jpeg ? Files().Jpeg : Files().Bmp;
    for (auto _ : state) {
        TDecodedImage image = jpeg ? DecodeJpeg(Bytes(file), "bench.jpg") : DecodeBmp(Bytes(file), "bench.bmp");
        benchmark::DoNotOptimize(image.Rgb.data());
    }
    state.SetItemsProcessed(state.iterations() * Side * Side);
    state.counters["file_bytes"] = double(file.size());
}

// Each iteration makes a texture, which the next one deletes; glFinish keeps the upload inside the timing.
void LoadTexture(benchmark::State& state, bool jpeg) {
    const std::string& path = jpeg ? Files().JpegPath : Files().BmpPath;
    TXmlDocument document;
    TColladaEngine engine(&document, TNativeWindow{}, 64, 64);
    for (auto _ : state) {
        TTexture texture;
        texture.LoadImageFile(path, GL_TEXTURE0_ARB);
        glFinish();
    }
    state.SetItemsProcessed(state.iterations() * Side * Side);
}

void BM_DecodeBmp(benchmark::State& state) { DecodeOnly(state, false); }
void BM_DecodeJpeg(benchmark::State& state) { DecodeOnly(state, true); }
void BM_LoadBmpTexture(benchmark::State& state) { LoadTexture(state, false); }
void BM_LoadJpegTexture(benchmark::State& state) { LoadTexture(state, true); }

BENCHMARK(BM_DecodeBmp)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadBmpTexture)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DecodeJpeg)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadJpegTexture)->Unit(benchmark::kMillisecond);

}  // namespace

// Buffers of these sizes would otherwise come fresh from mmap in some runs and from the reused heap in
// others, so that first-touch page faults, not decoding, would decide the comparison.
int main(int argc, char** argv) {
    mallopt(M_MMAP_THRESHOLD, 256 << 20);
    mallopt(M_TRIM_THRESHOLD, 512 << 20);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
