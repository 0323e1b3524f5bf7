// The data a document's mesh is written from: indexed streams where every stream that is present holds one
// entry per vertex, and the index list addresses all streams at once (3 per triangle, or 2 per line).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct TVec2 {
    float X = 0, Y = 0;
};

struct TVec3 {
    float X = 0, Y = 0, Z = 0;
};

struct TColor {
    float R = 1, G = 1, B = 1, A = 1;
};

struct TMesh {
    bool Lines = false;
    std::vector<TVec3> Positions;
    std::vector<TVec3> Normals;    // empty or one per position
    std::vector<TVec2> TexCoords;  // empty or one per position
    std::vector<TColor> Colors;    // empty or one per position
    std::vector<std::uint32_t> Indices;

    std::size_t PrimitiveCount() const { return Indices.size() / (Lines ? 2 : 3); }
    // Throws std::logic_error when a stream's length or an index does not fit the positions.
    void Check() const;
};
