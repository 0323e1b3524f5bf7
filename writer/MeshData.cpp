#include "MeshData.h"

#include <stdexcept>
#include <string>

void TMesh::Check() const {
    const std::size_t n = Positions.size();
    auto fits = [n](std::size_t size) { return size == 0 || size == n; };
    if (!fits(Normals.size()) || !fits(TexCoords.size()) || !fits(Colors.size()))
        throw std::logic_error("mesh streams differ in length from its positions");
    if (Indices.size() % (Lines ? 2 : 3) != 0) throw std::logic_error("mesh index list ends inside a primitive");
    for (std::uint32_t index : Indices)
        if (index >= n) throw std::logic_error("mesh index " + std::to_string(index) + " past its vertices");
}
