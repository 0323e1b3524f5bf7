#include "Weld.h"

#include <bit>
#include <cstring>

namespace {

// The bytes of one vertex across its streams; streams absent from the mesh add nothing.
struct TVertexKey {
    float Values[12];
    std::size_t Count = 0;

    bool operator==(const TVertexKey& other) const {
        return Count == other.Count && std::memcmp(Values, other.Values, Count * sizeof(float)) == 0;
    }

    std::uint64_t Hash() const {
        std::uint64_t h = 0x9E3779B97F4A7C15ull;
        for (std::size_t i = 0; i < Count; ++i) {
            h ^= std::bit_cast<std::uint32_t>(Values[i]);
            h *= 0xFF51AFD7ED558CCDull;
            h ^= h >> 32;
        }
        return h;
    }
};

TVertexKey KeyOf(const TMesh& mesh, std::size_t v) {
    TVertexKey key;
    auto add = [&](std::initializer_list<float> values) {
        for (float value : values) key.Values[key.Count++] = value;
    };
    add({mesh.Positions[v].X, mesh.Positions[v].Y, mesh.Positions[v].Z});
    if (!mesh.Normals.empty()) add({mesh.Normals[v].X, mesh.Normals[v].Y, mesh.Normals[v].Z});
    if (!mesh.TexCoords.empty()) add({mesh.TexCoords[v].X, mesh.TexCoords[v].Y});
    if (!mesh.Colors.empty()) add({mesh.Colors[v].R, mesh.Colors[v].G, mesh.Colors[v].B, mesh.Colors[v].A});
    return key;
}

template <typename T>
void Compact(std::vector<T>& stream, const std::vector<std::uint32_t>& kept) {
    if (stream.empty()) return;
    for (std::size_t i = 0; i < kept.size(); ++i) stream[i] = stream[kept[i]];
    stream.resize(kept.size());
}

}  // namespace

void WeldVertices(TMesh& mesh) {
    const std::size_t n = mesh.Positions.size();
    if (n < 2) return;
    // Open addressing over the kept vertices, at most half full.
    const std::size_t size = std::bit_ceil(n * 2);
    constexpr std::uint32_t Empty = 0xFFFFFFFFu;
    std::vector<std::uint32_t> table(size, Empty);  // a position in `kept`
    std::vector<std::uint32_t> kept, renumbered(n);
    std::vector<TVertexKey> keptKeys;
    for (std::size_t v = 0; v < n; ++v) {
        const TVertexKey key = KeyOf(mesh, v);
        std::size_t slot = key.Hash() & (size - 1);
        while (table[slot] != Empty && !(keptKeys[table[slot]] == key)) slot = (slot + 1) & (size - 1);
        if (table[slot] == Empty) {
            table[slot] = static_cast<std::uint32_t>(kept.size());
            kept.push_back(static_cast<std::uint32_t>(v));
            keptKeys.push_back(key);
        }
        renumbered[v] = table[slot];
    }
    if (kept.size() == n) return;
    Compact(mesh.Positions, kept);
    Compact(mesh.Normals, kept);
    Compact(mesh.TexCoords, kept);
    Compact(mesh.Colors, kept);
    for (std::uint32_t& index : mesh.Indices) index = renumbered[index];
}
