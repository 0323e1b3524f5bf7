#include "VertexWelding.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

namespace {

constexpr std::uint32_t NoVertex = UINT32_MAX;

// Gives each corner its vertex. The corners of one position are chained from it, so that finding a corner's
// vertex compares it with the few vertices made at its position, not with every vertex.
class TWelder {
public:
    TWelder(const TBlockCorners& corners, const TBlockInputs& inputs) : Corners(corners) {
        const TStreamInput& position = inputs[TSemantic::Position];
        PositionSlot = position.Offset;
        PositionCount = position.Source->Count;
        // The slots a vertex is told apart by, beside its position's.
        for (const TStreamInput& stream : inputs.Streams)
            if (stream.Source && stream.Offset != PositionSlot &&
                std::find(KeySlots.begin(), KeySlots.begin() + KeyCount, stream.Offset) == KeySlots.begin() + KeyCount)
                KeySlots[KeyCount++] = stream.Offset;
    }

    // Each corner's vertex, NoVertex where the position lies outside its source; FirstCorner of each vertex.
    std::vector<std::uint32_t> Weld() {
        const std::size_t count = Corners.Corners;
        const std::size_t stride = Corners.Stride;
        const int* const slots = Corners.Slots.Data();
        std::vector<std::uint32_t> vertexOf(count);
        std::vector<std::uint32_t> head(PositionCount, NoVertex);
        for (std::size_t corner = 0; corner < count; ++corner) {
            const int* const own = slots + corner * stride;
            const int position = own[PositionSlot];
            if (position < 0 || static_cast<std::size_t>(position) >= PositionCount) {
                vertexOf[corner] = NoVertex;
                continue;
            }
            std::uint32_t vertex = head[static_cast<std::size_t>(position)];
            while (vertex != NoVertex && !SameKey(own, slots + FirstCorner[vertex] * stride)) vertex = Next[vertex];
            if (vertex == NoVertex) {
                vertex = static_cast<std::uint32_t>(FirstCorner.size());
                FirstCorner.push_back(static_cast<std::uint32_t>(corner));
                Next.push_back(head[static_cast<std::size_t>(position)]);
                head[static_cast<std::size_t>(position)] = vertex;
            }
            vertexOf[corner] = vertex;
        }
        return vertexOf;
    }

    std::vector<std::uint32_t> FirstCorner;

private:
    bool SameKey(const int* a, const int* b) const {
        for (std::size_t k = 0; k < KeyCount; ++k)
            if (a[KeySlots[k]] != b[KeySlots[k]]) return false;
        return true;
    }

    const TBlockCorners& Corners;
    std::size_t PositionSlot = 0;
    std::size_t PositionCount = 0;
    std::array<std::size_t, SemanticCount> KeySlots{};
    std::size_t KeyCount = 0;
    std::vector<std::uint32_t> Next;
};

// One stream of every vertex, read from its source at the index its first corner gives.
long long FillStream(std::vector<float>& values, const TStreamInput& input, int components,
                     std::initializer_list<float> fallback, const TBlockCorners& corners,
                     const std::vector<std::uint32_t>& firstCorner) {
    if (!input.Source) return 0;
    values.resize(firstCorner.size() * static_cast<std::size_t>(components));
    const int* const slots = corners.Slots.Data();
    long long outside = 0;
    float* out = values.data();
    for (const std::uint32_t corner : firstCorner) {
        const int index = slots[corner * corners.Stride + input.Offset];
        if (!input.Source->Read(index, out, components, std::data(fallback))) ++outside;
        out += components;
    }
    return outside;
}

// Appends the faces of every run: triangles of fans and strips, or line segments.
void AddFaces(const TBlockCorners& corners, const std::vector<std::uint32_t>& vertexOf, TModelMesh& mesh,
              TWeldCounts& counts) {
    const std::size_t faceCorners = corners.Lines ? 2 : 3;
    // Each face is kept only when every corner has a vertex.
    const auto add = [&](std::uint32_t a, std::uint32_t b, std::uint32_t c) {
        if (a == NoVertex || b == NoVertex || (faceCorners == 3 && c == NoVertex)) {
            ++counts.FacesDropped;
            return;
        }
        mesh.Indices.push_back(a);
        mesh.Indices.push_back(b);
        if (faceCorners == 3) mesh.Indices.push_back(c);
    };
    const std::size_t runs = corners.RunSizes.Empty() ? corners.Corners / static_cast<std::size_t>(corners.UniformRun)
                                                       : corners.RunSizes.Count();
    // Faces per run are at most its corners: one allocation for all of them.
    mesh.Indices.reserve(corners.Corners * faceCorners);
    std::size_t first = 0;
    for (std::size_t run = 0; run < runs; ++run) {
        const std::size_t size = corners.RunSizes.Empty() ? static_cast<std::size_t>(corners.UniformRun)
                                                          : static_cast<std::size_t>(corners.RunSizes[run]);
        if (size > corners.Corners - first) break;
        const std::uint32_t* const v = vertexOf.data() + first;
        first += size;
        if (size < faceCorners) {
            if (size > 0) ++counts.ShortRuns;
            continue;
        }
        switch (corners.Kind) {
        case TRunKind::Fan:
            for (std::size_t k = 1; k + 1 < size; ++k) add(v[0], v[k], v[k + 1]);
            break;
        case TRunKind::Strip:
            // Every second triangle of a strip is turned back, so that all face the same way.
            for (std::size_t k = 0; k + 2 < size; ++k)
                k % 2 == 0 ? add(v[k], v[k + 1], v[k + 2]) : add(v[k + 1], v[k], v[k + 2]);
            break;
        case TRunKind::LineStrip:
            for (std::size_t k = 0; k + 1 < size; ++k) add(v[k], v[k + 1], NoVertex);
            break;
        }
    }
}

}  // namespace

TWeldCounts WeldBlock(const TBlockCorners& corners, const TBlockInputs& inputs, TModelMesh& mesh) {
    TWeldCounts counts;
    mesh.Lines = corners.Lines;
    if (!inputs[TSemantic::Position].Source || corners.Corners == 0) return counts;
    TWelder welder(corners, inputs);
    const std::vector<std::uint32_t> vertexOf = welder.Weld();
    const std::vector<std::uint32_t>& firstCorner = welder.FirstCorner;
    counts.OutOfRange += FillStream(mesh.Positions, inputs[TSemantic::Position], 3, {0, 0, 0}, corners, firstCorner);
    counts.OutOfRange += FillStream(mesh.Normals, inputs[TSemantic::Normal], 3, {0, 0, 0}, corners, firstCorner);
    counts.OutOfRange += FillStream(mesh.TexCoords, inputs[TSemantic::TexCoord], 2, {0, 0}, corners, firstCorner);
    counts.OutOfRange += FillStream(mesh.Colors, inputs[TSemantic::Color], 4, {1, 1, 1, 1}, corners, firstCorner);
    AddFaces(corners, vertexOf, mesh, counts);
    return counts;
}
