#include "LoadWays.h"

#include <algorithm>
#include <assimp/Importer.hpp>
#include <assimp/scene.h>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <pugixml.hpp>
#include <stdexcept>

#include "Colladaasset.h"
#include "LargeAllocation.h"
#include "XmlDocument.h"

namespace {

// Where the floor leaves the sum of what it read, so that the reading cannot be optimised away.
volatile double Sink;

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

// Every number of a text read once: digits gathered into an integer, then multiplied by a power of ten from
// a table (no division, no rounding care). The sum of the values is returned so that the reading cannot be
// skipped; the count of numbers is added to `count`.
double ReadNumbers(const char* p, std::size_t& count) {
    static constexpr double Powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                                        1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    static constexpr double Inverses[] = {1e-0,  1e-1,  1e-2,  1e-3,  1e-4,  1e-5,  1e-6,  1e-7,
                                          1e-8,  1e-9,  1e-10, 1e-11, 1e-12, 1e-13, 1e-14, 1e-15,
                                          1e-16, 1e-17, 1e-18, 1e-19, 1e-20, 1e-21, 1e-22};
    constexpr int Largest = 22;
    double sum = 0;
    for (;;) {
        while (*p != '\0' && !IsDigit(*p) && *p != '-' && *p != '.') ++p;
        if (*p == '\0') break;
        const bool negative = *p == '-';
        if (negative) ++p;
        unsigned long long digits = 0;
        int scale = 0;
        for (; IsDigit(*p); ++p) digits = digits * 10 + static_cast<unsigned>(*p - '0');
        if (*p == '.')
            for (++p; IsDigit(*p); ++p, --scale) digits = digits * 10 + static_cast<unsigned>(*p - '0');
        if (*p == 'e' || *p == 'E') {
            ++p;
            const bool negativeExponent = *p == '-';
            if (*p == '-' || *p == '+') ++p;
            int exponent = 0;
            for (; IsDigit(*p); ++p) exponent = std::min(exponent * 10 + (*p - '0'), 1000);
            scale += negativeExponent ? -exponent : exponent;
        }
        const int magnitude = std::min(scale < 0 ? -scale : scale, Largest);
        const double value = static_cast<double>(digits) * (scale < 0 ? Inverses[magnitude] : Powers[magnitude]);
        sum += negative ? -value : value;
        ++count;
    }
    return sum;
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

std::size_t LoadFloor(const std::string& path) {
    const std::size_t size = std::filesystem::file_size(path);
    TLargeArray<char> buffer = AllocateLargeArray<char>(size + 1);
    if (!std::ifstream(path, std::ios::binary).read(buffer.get(), static_cast<std::streamsize>(size)))
        throw std::runtime_error(path + ": read failed");
    buffer[size] = '\0';
    pugi::xml_document document;
    constexpr unsigned Options = pugi::parse_default | pugi::parse_comments | pugi::parse_pi;
    if (!document.load_buffer_inplace(buffer.get(), size, Options, pugi::encoding_auto))
        throw std::runtime_error(path + ": malformed XML");
    std::size_t numbers = 0;
    double sum = 0;
    // Depth-first walk without recursion.
    for (pugi::xml_node node = document.first_child(); node;) {
        if (node.type() == pugi::node_pcdata) sum += ReadNumbers(node.value(), numbers);
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && !node.next_sibling()) node = node.parent();
        if (node) node = node.next_sibling();
    }
    Sink = sum;
    return numbers;
}

std::size_t LoadPeer(const std::string& path) {
    Assimp::Importer importer;
    const aiScene* scene = importer.ReadFile(path, 0);
    if (scene == nullptr) return 0;
    std::size_t faces = 0;
    for (unsigned i = 0; i < scene->mNumMeshes; ++i) faces += scene->mMeshes[i]->mNumFaces;
    return faces;
}
