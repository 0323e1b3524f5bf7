#include "LoadWays.h"

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

// Every number of a text read once: digits gathered into an integer, scaled by a power of ten. The sum of
// the values is returned so that the reading cannot be skipped; its count is added to `count`.
double ReadNumbers(const char* p, std::size_t& count) {
    static constexpr double Powers[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10,
                                        1e11, 1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
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
            for (; IsDigit(*p); ++p) exponent = exponent * 10 + (*p - '0');
            scale += negativeExponent ? -exponent : exponent;
        }
        double value = static_cast<double>(digits);
        const int magnitude = scale < 0 ? -scale : scale;
        const double power = Powers[magnitude > Largest ? Largest : magnitude];
        value = scale < 0 ? value / power : value * power;
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
