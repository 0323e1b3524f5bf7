#include "LoadWays.h"

#include <assimp/scene.h>
#include <algorithm>
#include <assimp/Importer.hpp>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <stdexcept>

#include "ColladaReader.h"
#include "Colladaasset.h"
#include "DigitWord.h"
#include "LargeAllocation.h"
#include "LoaderThreads.h"
#include "ModelDoor.h"
#include "XmlDocument.h"

namespace {

// Makes the compiler compute `value` without storing it anywhere, and without a sum that would make each
// number wait for the one before it.
void Keep(double value) { asm volatile("" : : "g"(value)); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Reads the run of digits at `p` into `digits`, eight bytes at a time while the buffer (ending at `end`) has
// them, as the loader's integer reader does for short runs; the number of digits read.
[[gnu::always_inline]] inline int ReadDigits(const char*& p, const char* end, unsigned long long& digits) {
    static constexpr unsigned long long Tens[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
    int read = 0;
    while (end - p >= 8) {
        const std::uint64_t word = DigitWord::Load(p);
        const int run = DigitWord::LeadingDigits(word);
        if (run == 0) return read;
        digits = digits * Tens[run] + DigitWord::Value(word, run);
        p += run;
        read += run;
        if (run < 8) return read;
    }
    for (; IsDigit(*p); ++p, ++read) digits = digits * 10 + static_cast<unsigned>(*p - '0');
    return read;
}

// Every number of a text read once: digits gathered into an integer, then multiplied by a power of ten from
// a table (no division, no rounding care). The text ends with a zero byte inside a buffer that ends at
// `end`. The count of numbers is added to `count`.
void ReadNumbers(const char* p, const char* end, std::size_t& count) {
    // Powers of ten from 1e-22 to 1e22, looked up without a branch on the sign of the scale.
    static constexpr double Powers[] = {
        1e-22, 1e-21, 1e-20, 1e-19, 1e-18, 1e-17, 1e-16, 1e-15, 1e-14, 1e-13, 1e-12, 1e-11, 1e-10, 1e-9, 1e-8,
        1e-7,  1e-6,  1e-5,  1e-4,  1e-3,  1e-2,  1e-1,  1e0,   1e1,   1e2,   1e3,   1e4,   1e5,   1e6,  1e7,
        1e8,   1e9,   1e10,  1e11,  1e12,  1e13,  1e14,  1e15,  1e16,  1e17,  1e18,  1e19,  1e20,  1e21, 1e22};
    constexpr int Largest = 22;
    for (;;) {
        while (*p != '\0' && !IsDigit(*p) && *p != '-' && *p != '.') ++p;
        if (*p == '\0') break;
        const bool negative = *p == '-';
        if (negative) ++p;
        unsigned long long digits = 0;
        ReadDigits(p, end, digits);
        int scale = 0;
        if (*p == '.') scale = -ReadDigits(++p, end, digits);
        if (*p == 'e' || *p == 'E') {
            ++p;
            const bool negativeExponent = *p == '-';
            if (*p == '-' || *p == '+') ++p;
            int exponent = 0;
            for (; IsDigit(*p); ++p) exponent = std::min(exponent * 10 + (*p - '0'), 1000);
            scale += negativeExponent ? -exponent : exponent;
        }
        const double value = static_cast<double>(digits) * Powers[Largest + std::clamp(scale, -Largest, Largest)];
        Keep(negative ? -value : value);
        ++count;
    }
}

}  // namespace

std::size_t LoadOurs(const std::string& path) {
    TXmlDocument document;
    TColladaAsset asset(&document);
    if (!asset.LoadFromFile(path)) throw std::runtime_error(path + ": LoadFromFile returned false");
    std::size_t indices = 0;
    for (const auto& geometry : asset.Geometries->Items) indices += geometry->TriangleIndices.Count();
    return indices;
}

std::size_t LoadThroughDoor(const std::string& path) {
    TXmlDocument document;
    const TOpenedModel model = OpenModel(document, path);
    std::size_t indices = 0;
    for (const auto& geometry : model.Asset->Geometries->Items) indices += geometry->TriangleIndices.Count();
    return indices;
}

std::size_t LoadOursOneThread(const std::string& path) {
    const int threads = LoaderThreads();
    SetLoaderThreads(1);
    try {
        const std::size_t indices = LoadOurs(path);
        SetLoaderThreads(threads);
        return indices;
    } catch (...) {
        SetLoaderThreads(threads);
        throw;
    }
}

std::size_t LoadFloor(const std::string& path) {
    const std::size_t size = std::filesystem::file_size(path);
    TLargeArray<char> buffer = AllocateLargeArray<char>(size + 1);
    if (!std::ifstream(path, std::ios::binary).read(buffer.get(), static_cast<std::streamsize>(size)))
        throw std::runtime_error(path + ": read failed");
    buffer[size] = '\0';
    pugi::xml_document document;
    constexpr unsigned Options = pugi::parse_default | pugi::parse_comments | pugi::parse_pi | pugi::parse_embed_pcdata;
    if (!document.load_buffer_inplace(buffer.get(), size, Options, pugi::encoding_auto))
        throw std::runtime_error(path + ": malformed XML");
    std::size_t numbers = 0;
    // Depth-first walk without recursion.
    for (pugi::xml_node node = document.first_child(); node;) {
        // An element keeps its first text as its value.
        if (node.type() == pugi::node_pcdata || node.type() == pugi::node_element)
            ReadNumbers(node.value(), buffer.get() + size + 1, numbers);
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && !node.next_sibling()) node = node.parent();
        if (node) node = node.next_sibling();
    }
    return numbers;
}

std::size_t LoadCollada(const std::string& path) {
    TXmlDocument document;
    const TModelScene scene = ReadColladaScene(document, path);
    std::size_t indices = 0;
    for (const TModelInstance& instance : scene.Instances)
        indices += scene.Meshes[static_cast<std::size_t>(instance.Mesh)].Indices.size();
    return indices;
}

std::size_t LoadPeer(const std::string& path) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    if (scene == nullptr) return 0;
    std::size_t faces = 0;
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) faces += scene->mMeshes[i]->mNumFaces;
    return faces;
}
