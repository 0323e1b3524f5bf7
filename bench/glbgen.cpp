// Writes a binary glTF of one grid mesh of at least TRIANGLES triangles (positions, normals, texture coordinates,
// 32-bit indices), for timing reads through the model library (modelread).
//   glbgen TRIANGLES FILE.glb
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

template <typename T>
void Append(std::string& out, const std::vector<T>& values) {
    out.append(reinterpret_cast<const char*>(values.data()), values.size() * sizeof(T));
}

void Put32(std::string& out, std::uint32_t value) { out.append(reinterpret_cast<const char*>(&value), 4); }

}  // namespace

int main(int argc, char** argv) {
    const long triangles = argc == 3 ? std::atol(argv[1]) : 0;
    if (triangles <= 0) {
        std::fprintf(stderr, "usage: glbgen TRIANGLES FILE.glb\n");
        return 2;
    }
    const auto side = static_cast<std::uint32_t>(std::ceil(std::sqrt(triangles / 2.0)));
    const std::uint32_t row = side + 1, vertices = row * row;
    std::vector<float> positions, normals, texCoords;
    std::vector<std::uint32_t> indices;
    for (std::uint32_t y = 0; y <= side; ++y)
        for (std::uint32_t x = 0; x <= side; ++x) {
            const float s = static_cast<float>(x) / side, t = static_cast<float>(y) / side;
            positions.insert(positions.end(), {s, 0.1f * std::sin(s * 20) * std::cos(t * 20), t});
            normals.insert(normals.end(), {0, 1, 0});
            texCoords.insert(texCoords.end(), {s, t});
        }
    for (std::uint32_t y = 0; y < side; ++y)
        for (std::uint32_t x = 0; x < side; ++x) {
            const std::uint32_t a = y * row + x, b = a + 1, c = a + row, d = c + 1;
            indices.insert(indices.end(), {a, c, b, b, c, d});
        }
    std::string bin;
    Append(bin, positions);
    Append(bin, normals);
    Append(bin, texCoords);
    Append(bin, indices);
    const std::size_t p = positions.size() * 4, n = normals.size() * 4, t = texCoords.size() * 4,
                      i = indices.size() * 4;
    const auto view = [](std::size_t offset, std::size_t length) {
        return R"({"buffer":0,"byteOffset":)" + std::to_string(offset) + R"(,"byteLength":)" + std::to_string(length) +
               "}";
    };
    std::string json =
        R"({"asset":{"version":"2.0"},"buffers":[{"byteLength":)" + std::to_string(bin.size()) +
        R"(}],"bufferViews":[)" + view(0, p) + "," + view(p, n) + "," + view(p + n, t) + "," + view(p + n + t, i) +
        R"(],"accessors":[{"bufferView":0,"componentType":5126,"count":)" + std::to_string(vertices) +
        R"(,"type":"VEC3","min":[0,-0.1,0],"max":[1,0.1,1]},)" + R"({"bufferView":1,"componentType":5126,"count":)" +
        std::to_string(vertices) + R"(,"type":"VEC3"},{"bufferView":2,"componentType":5126,"count":)" +
        std::to_string(vertices) + R"(,"type":"VEC2"},{"bufferView":3,"componentType":5125,"count":)" +
        std::to_string(indices.size()) + R"(,"type":"SCALAR"}],)" +
        R"("meshes":[{"name":"grid","primitives":[{"attributes":{"POSITION":0,"NORMAL":1,"TEXCOORD_0":2},)" +
        R"("indices":3}]}],"nodes":[{"name":"grid","mesh":0}],"scenes":[{"nodes":[0]}],"scene":0})";
    json.append((4 - json.size() % 4) % 4, ' ');
    std::string file = "glTF";
    Put32(file, 2);
    Put32(file, static_cast<std::uint32_t>(12 + 8 + json.size() + 8 + bin.size()));
    Put32(file, static_cast<std::uint32_t>(json.size()));
    file += "JSON" + json;
    Put32(file, static_cast<std::uint32_t>(bin.size()));
    file += std::string("BIN\0", 4) + bin;
    std::ofstream out(argv[2], std::ios::binary);
    out.write(file.data(), static_cast<std::streamsize>(file.size()));
    return out.flush() ? 0 : 1;
}
